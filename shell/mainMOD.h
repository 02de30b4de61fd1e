// Start-up: the program's life is the life of its main window.
#pragma once

namespace qd {

// Creates the main window and shows it modally.
void Main();

}  // namespace qd

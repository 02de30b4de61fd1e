// Start-up: the program's life is the life of its main window.
#pragma once

namespace qd {

// The program's look: widget style, font substitutes, pictures and icon.
// Call once, after the application object exists.
void PrepareApplication();

// Creates the main window and shows it modally.
void Main();

}  // namespace qd

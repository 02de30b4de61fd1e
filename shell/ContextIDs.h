// Help: the help context numbers of the windows, and closing the help viewer.
#pragma once

namespace qd {

// Every control of the main window and of the section chooser leads here.
inline constexpr int kHelpMainTopic = 10;

// Tells the help viewer that the program no longer needs it.
void CloseHelp();

}  // namespace qd

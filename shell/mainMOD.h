// Start-up: the program's life is the life of its main window.
#pragma once

namespace qd {

// Keeps code and settings of the program folder out of Qt: Qt is given its
// own qt.conf, built into the program, and the program folder is taken out
// of the folders it loads plugins from. Call first in main, before the
// application object exists: Qt loads the platform and its theme while that
// object is built. It also readies the process for writing its files
// (HandleWriteSignals in shell/platform/TemporaryFile.h).
void PrepareQt();

// The program's look: widget style, font substitutes, pictures and icon.
// Call once, after the application object exists.
void PrepareApplication();

// Creates the main window and shows it modally.
void Main();

}  // namespace qd

// The seams of a program with windows: message boxes, help window, print
// dialog and mouse pointer of the desktop.
#pragma once

#include "shell/platform/MousePointer.h"

namespace qd {

// Puts the desktop's seams into the program-wide state. The program does it
// at start-up, after ResetProgram() a test does it for the seams it keeps real.
void UseDesktopSeams();

// The hourglass as the application's override cursor.
class OverrideCursorDisplay final : public PointerDisplay {
public:
    void show(int pointer) override;
};

}  // namespace qd

// The program's built-in pictures: icons and the splash logo.
#pragma once

#include <QIcon>

namespace qd {

// Makes the pictures of the static library available; call once at start.
void InitResources();
// The program's icon, 32 x 32 and 16 x 16.
QIcon ProgramIcon();

}  // namespace qd

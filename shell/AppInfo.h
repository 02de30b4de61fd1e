// What the splash window and the About dialog tell the user about the program.
#pragma once

#include <QString>

namespace qd {

// The legal notice shown by the splash window and the About dialog.
inline constexpr const char* kWarningText =
    " Notice: Quizdeck, its question files and its help are protected by copyright. You may use them for your own "
    "studies. Copying, selling or passing on the program or its questions, in whole or in part, without written "
    "consent of the publisher is not allowed and may be punished by law.";

// "Version " and the major, minor and revision numbers: "Version 1.1.0".
QString VersionText();
// The company-name entry of the version information.
QString CompanyName();
QString CopyrightText();

}  // namespace qd

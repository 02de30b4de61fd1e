// Finding and starting the system-information tool for the About dialog.
#pragma once

#include <string>

#include "shell/platform/Registry.h"

namespace qd {

inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// Reads one value into `value` (8-bit text; a REG_DWORD as its decimal
// number). False, with `value` emptied, when the key or value cannot be read.
bool GetKeyValue(HKEY root, const std::string& keyName, const std::string& valueName, std::string& value);

// Starts the tool named by the registry, or tells the user it is unavailable.
void StartSysInfo();

}  // namespace qd

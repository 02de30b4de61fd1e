// Files and folders as the program sees them.
#pragma once

#include <filesystem>

namespace qd {

// The folder that holds the running executable, symbolic links resolved.
std::filesystem::path ExecutableFolder();

// A normal file: a regular file (links followed) whose name does not start
// with a dot, the desktop's mark of a hidden file. Folders, devices, sockets
// and missing files are not normal files.
bool IsNormalFile(const std::filesystem::path& path);

}  // namespace qd

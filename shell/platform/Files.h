// Files and folders as the program sees them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace qd {

// The most a file read whole may hold: a data file has at most 32,767
// questions, far below this.
inline constexpr std::size_t kMaxFileBytes = std::size_t {64} * 1024 * 1024;

// The folder that holds the running executable, symbolic links resolved.
std::filesystem::path ExecutableFolder();

// A normal file: a regular file (links followed) whose name does not start
// with a dot, the desktop's mark of a hidden file. Folders, devices, sockets
// and missing files are not normal files.
bool IsNormalFile(const std::filesystem::path& path);

// The bytes of a regular file (links followed). The file is opened first,
// without waiting, and then what was opened is checked, so a FIFO or a
// device never blocks the caller, even one put in place just before the
// call. Throws Failure: 53 the file does not exist, 75 it cannot be opened
// or is not a regular file, 7 it holds more than `maxBytes`, 57 it cannot be
// read. The failure's detail is a phrase that follows the file's name, with
// the system's reason in words.
std::string ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes = kMaxFileBytes);

struct WriteOptions {
    // A symbolic link at the path is written through (the link stays and the
    // file it names is replaced); when false, a link is refused.
    bool followLinks = true;
    // The new content reaches the disk before it replaces the old one.
    bool sync = true;
};

// Replaces the file at `path` with `bytes`, all or nothing: the bytes go to
// a new file in the same folder, which is then renamed over the target. On
// any failure the temporary file is removed, the old file stays as it was,
// and Failure is thrown (75 the target cannot be replaced, 57 the bytes
// cannot be written) with the system's reason in words. An existing target
// that is not a regular file (a folder, a FIFO, a device) is refused, and so
// is a link to nothing, and a file we may not write. The target keeps its
// permissions, its access control list and other extended attributes, and
// its owner and group where we may set them (a group it cannot keep gets no
// more than everyone else); a new file gets the usual permissions (0666 less
// the umask). The temporary file (shell/platform/TemporaryFile.h) is named
// after the target and always fits the folder; a process that calls
// HandleWriteSignals() leaves none behind when a signal ends it.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, const WriteOptions& options = {});

// Whether both paths name one file (same device and inode, links followed).
// False when either does not exist.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace qd

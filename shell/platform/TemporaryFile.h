// The temporary file behind every file replaced whole (WriteFileAtomically).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>

namespace qd {

// A new, empty file in the target's folder, named after the target
// (".NAME.XXXXXX", NAME shortened where the whole would not fit the folder's
// longest file name). It is removed again when it goes, unless it replaced the
// target; while it exists, a signal that HandleWriteSignals() handles removes
// it before the process ends. Throws Failure 75 when it cannot be made.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    // Gives the new file what the file it replaces has: its owner and group
    // where we may set them, its permissions, its access control list and its
    // other extended attributes. A new file (no `existing`) gets 0666 less
    // the umask. Throws Failure 75 when that cannot be done.
    void takeOver(const std::filesystem::path& old, const std::optional<struct stat>& existing) const;

    // Closes the file; Failure 57 when the close reports a failed write.
    void close();
    // Renames the file over `target`; Failure 75 when it cannot.
    void renameOver(const std::filesystem::path& target);

private:
    int fd_ = -1;
    std::string path_;
    bool registered_ = false;  // known to the signal handler
};

// The name of the temporary file for a target named `name` in a folder whose
// file names hold at most `nameMax` bytes, before the six random characters
// replace "XXXXXX": ".NAME.XXXXXX", NAME cut at a character boundary where needed.
std::string TemporaryFileName(const std::string& name, long nameMax);

// For a process that writes files: SIGHUP, SIGINT and SIGTERM remove the
// temporary file of a write under way and then end the process as the signal
// would have (signals ignored at start stay ignored), and a write past the
// file-size limit (ulimit -f) fails with "File too large" instead of ending
// the process with SIGXFSZ.
void HandleWriteSignals();

}  // namespace qd

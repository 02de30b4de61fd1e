#include "shell/platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/Failure.h"
#include "shell/platform/Memory.h"
#include "shell/platform/TemporaryFile.h"

namespace qd {

namespace {

constexpr std::size_t kMiB = std::size_t {1024} * 1024;

// Closes the descriptor it holds when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) { }
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    // Closes now; the result is close's.
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd);
    }

private:
    int fd_;
};

[[noreturn]] void RaiseSystem(std::int16_t number, const char* what, int error)
{
    Raise(number, std::string(what) + ": " + std::strerror(error));
}

[[noreturn]] void RaiseNotRegular(mode_t mode)
{
    Raise(failure::kPathFileAccessError, S_ISDIR(mode) ? "is a folder, not a file" : "is not a regular file");
}

std::string SizeText(std::size_t bytes)
{
    if (bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

// ---------------------------------------------------------------------------
// Writing

// The file a write replaces and what is there now.
struct Target {
    std::filesystem::path file;
    std::optional<struct stat> existing;
};

Target FindTarget(const std::filesystem::path& path, bool followLinks)
{
    struct stat status { };
    if (::lstat(path.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return {path, std::nullopt};
        RaiseSystem(failure::kPathFileAccessError, "cannot be written", errno);
    }
    Target target {path, status};
    if (S_ISLNK(status.st_mode)) {
        if (!followLinks)
            Raise(failure::kPathFileAccessError, "is a symbolic link");
        std::error_code error;
        target.file = std::filesystem::canonical(path, error);
        if (error == std::errc::no_such_file_or_directory)
            Raise(failure::kPathFileAccessError, "is a symbolic link to nothing");
        if (error)
            Raise(failure::kPathFileAccessError, "cannot be written: " + error.message());
        if (::stat(target.file.c_str(), &status) != 0)
            RaiseSystem(failure::kPathFileAccessError, "cannot be written", errno);
        target.existing = status;
    }
    if (!S_ISREG(status.st_mode))
        RaiseNotRegular(status.st_mode);
    // A file we may not write keeps its content, though the folder would
    // let us replace it.
    if (::faccessat(AT_FDCWD, target.file.c_str(), W_OK, AT_EACCESS) != 0)
        RaiseSystem(failure::kPathFileAccessError, "cannot be written", errno);
    return target;
}

void WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            RaiseSystem(failure::kDeviceIOError, "cannot be written", errno);
        if (written == 0)
            RaiseSystem(failure::kDeviceIOError, "cannot be written", ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Makes the rename itself last; file systems that cannot do it are left be.
void SyncFolder(const std::filesystem::path& file)
{
    const auto folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

}  // namespace

std::filesystem::path ExecutableFolder()
{
    std::error_code error;
    const auto executable = std::filesystem::canonical("/proc/self/exe", error);
    if (error)
        return std::filesystem::current_path(error);
    return executable.parent_path();
}

bool IsNormalFile(const std::filesystem::path& path)
{
    const auto name = path.filename().string();
    if (name.empty() || name.front() == '.')
        return false;
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes)
{
    // Open first and never wait: a FIFO without a writer opens at once.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        const int error = errno;
        const bool missing = error == ENOENT || error == ENOTDIR;
        RaiseSystem(missing ? failure::kFileNotFound : failure::kPathFileAccessError, "cannot be opened", error);
    }
    struct stat status { };
    if (::fstat(file.get(), &status) != 0)
        RaiseSystem(failure::kDeviceIOError, "cannot be read", errno);
    if (!S_ISREG(status.st_mode))
        RaiseNotRegular(status.st_mode);
    const std::string tooLarge = "is larger than " + SizeText(maxBytes);
    if (status.st_size < 0 || static_cast<std::uintmax_t>(status.st_size) > maxBytes)
        Raise(failure::kOutOfMemory, tooLarge);

    // One byte more than the size, to see the end; a file that grows
    // meanwhile is read on, up to the limit.
    const std::size_t expected = static_cast<std::size_t>(status.st_size) + 1;
    std::string bytes;
    ReserveLarge(bytes, expected);
    bytes.resize(expected);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > maxBytes)
                Raise(failure::kOutOfMemory, tooLarge);
            bytes.resize(std::min(done * 2, maxBytes + 1));
        }
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            RaiseSystem(failure::kDeviceIOError, "cannot be read", errno);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    if (file.close() != 0)
        RaiseSystem(failure::kDeviceIOError, "cannot be read", errno);
    bytes.resize(done);
    return bytes;
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, const WriteOptions& options)
{
    const Target target = FindTarget(path, options.followLinks);
    TemporaryFile temporary(target.file);
    temporary.takeOver(target.file, target.existing);
    WriteAll(temporary.fd(), bytes);
    if (options.sync && ::fsync(temporary.fd()) != 0)
        RaiseSystem(failure::kDeviceIOError, "cannot be written", errno);
    temporary.close();
    temporary.renameOver(target.file);
    if (options.sync)
        SyncFolder(target.file);
}

bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    struct stat first { };
    struct stat second { };
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

}  // namespace qd

#include "shell/platform/TemporaryFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "shell/Failure.h"

namespace qd {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void RaiseSystem(std::int16_t number, int error)
{
    Raise(number, std::string("cannot be written: ") + std::strerror(error));
}

// ---------------------------------------------------------------------------
// The temporary file of the write under way, for the signal handler. One
// write at a time is registered; one that starts while another is under way
// (in another thread) goes without.

constexpr int kCleanupSignals[] = {SIGHUP, SIGINT, SIGTERM};

std::atomic<bool> gSlotTaken {false};
volatile std::sig_atomic_t gPending = 0;
char gPendingPath[PATH_MAX] {};

extern "C" void RemoveTemporaryAndEnd(int signal)
{
    if (gPending != 0)
        ::unlink(gPendingPath);
    // The handler was reset to the default and the signal is not held, so
    // this ends the process as the signal would have.
    ::raise(signal);
    ::_exit(128 + signal);
}

bool Register(const std::string& path)
{
    if (path.size() >= sizeof gPendingPath || gSlotTaken.exchange(true))
        return false;
    std::memcpy(gPendingPath, path.c_str(), path.size() + 1);
    gPending = 1;
    return true;
}

void Unregister()
{
    gPending = 0;
    gSlotTaken = false;
}

// Holds the cleanup signals back in this thread while it lives: a file is
// never made or renamed without the handler knowing of it.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kCleanupSignals)
            sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &old_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_ {};
};

// ---------------------------------------------------------------------------
// What the replaced file had

// The permissions a new file gets: 0666 less the process's umask.
mode_t NewFileMode()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    }
    return 0644;
}

// Gives the new file the old one's owner and group, or failing that its
// group alone (a user may give a file any group they belong to). True when
// the new file has the old one's group.
bool KeepOwner(int fd, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0)
        return true;
    struct stat now { };
    return ::fstat(fd, &now) == 0 && now.st_gid == old.st_gid;
}

// The bytes `read` gives with a buffer of the size it asks for, asked again
// while the size changes meanwhile; nullopt with errno set when it fails.
template <typename Read>
std::optional<std::vector<char>> ReadSized(const Read& read)
{
    for (;;) {
        const ssize_t size = read(nullptr, 0);
        if (size <= 0)
            return size < 0 ? std::nullopt : std::optional<std::vector<char>>(std::in_place);
        std::vector<char> bytes(static_cast<std::size_t>(size));
        const ssize_t got = read(bytes.data(), bytes.size());
        if (got >= 0) {
            bytes.resize(static_cast<std::size_t>(got));
            return bytes;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
}

// Attributes that the system keeps or that need privileges to set: one that
// cannot be set is left out rather than failing the write.
bool MayBeLeftOut(const std::string& name, int error)
{
    const bool systemKept = name.rfind("security.", 0) == 0 || name.rfind("trusted.", 0) == 0;
    return systemKept && (error == EPERM || error == EACCES || error == ENOTSUP);
}

// Copies every extended attribute of `old`, its access control list
// (system.posix_acl_access) included, to the new file.
void CopyExtendedAttributes(const fs::path& old, int fd)
{
    const auto names = ReadSized([&](char* list, std::size_t size) { return ::listxattr(old.c_str(), list, size); });
    if (!names) {
        if (errno == ENOTSUP)
            return;
        RaiseSystem(failure::kPathFileAccessError, errno);
    }
    for (const char* name = names->data(); name < names->data() + names->size(); name += std::strlen(name) + 1) {
        const auto value =
            ReadSized([&](char* bytes, std::size_t size) { return ::getxattr(old.c_str(), name, bytes, size); });
        if (!value && errno == ENODATA)
            continue;  // removed meanwhile
        if (!value)
            RaiseSystem(failure::kPathFileAccessError, errno);
        if (::fsetxattr(fd, name, value->data(), value->size(), 0) != 0 && !MayBeLeftOut(name, errno))
            RaiseSystem(failure::kPathFileAccessError, errno);
    }
}

}  // namespace

std::string TemporaryFileName(const std::string& name, long nameMax)
{
    constexpr long kAdded = 8;  // "." and ".XXXXXX"
    const std::size_t room = nameMax > kAdded ? static_cast<std::size_t>(nameMax - kAdded) : 1;
    std::size_t keep = name.size();
    if (keep > room) {
        keep = room;
        // Not in the middle of a UTF-8 character.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
    }
    return "." + name.substr(0, keep) + ".XXXXXX";
}

TemporaryFile::TemporaryFile(const fs::path& target)
{
    const auto folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    std::string name =
        (folder / TemporaryFileName(target.filename().string(), nameMax > 0 ? nameMax : NAME_MAX)).string();
    const SignalsHeld held;
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0)
        RaiseSystem(failure::kPathFileAccessError, errno);
    path_ = name;
    registered_ = Register(path_);
}

TemporaryFile::~TemporaryFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!path_.empty())
        ::unlink(path_.c_str());
    if (registered_)
        Unregister();
}

void TemporaryFile::takeOver(const fs::path& old, const std::optional<struct stat>& existing) const
{
    mode_t mode = existing ? existing->st_mode & 07777 : NewFileMode();
    // A group the file cannot keep gets no more than everyone else.
    if (existing && !KeepOwner(fd_, *existing))
        mode = (mode & ~mode_t {070}) | ((mode & 07) << 3);
    if (::fchmod(fd_, mode) != 0)
        RaiseSystem(failure::kPathFileAccessError, errno);
    if (existing)
        CopyExtendedAttributes(old, fd_);
}

void TemporaryFile::close()
{
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        RaiseSystem(failure::kDeviceIOError, errno);
}

void TemporaryFile::renameOver(const fs::path& target)
{
    const SignalsHeld held;
    if (::rename(path_.c_str(), target.c_str()) != 0)
        RaiseSystem(failure::kPathFileAccessError, errno);
    path_.clear();
    if (registered_)
        Unregister();
    registered_ = false;
}

void HandleWriteSignals()
{
    for (const int signal : kCleanupSignals) {
        struct sigaction current { };
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action { };
        action.sa_handler = RemoveTemporaryAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = static_cast<int>(SA_RESETHAND | SA_NODEFER);
        ::sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace qd

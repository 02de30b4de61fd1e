// Replacing a file whole: what the replaced file had stays (owner, group,
// access control list, extended attributes), any name that fits the folder
// can be replaced, and a signal never leaves the temporary file behind.
#include <grp.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "shell/Failure.h"
#include "shell/platform/Files.h"
#include "shell/platform/TemporaryFile.h"
#include "tests/ToolSupport.h"

namespace qd::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSource = "right: a\nwrong: b\nwrong: c\nwrong: d\nreference: r\n";
constexpr const char* kAclName = "system.posix_acl_access";

std::size_t EntriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// The value of the extended attribute `name`, nullopt when there is none.
std::optional<std::string> Attribute(const fs::path& file, const char* name)
{
    std::string value(4096, '\0');
    const ssize_t size = ::getxattr(file.c_str(), name, value.data(), value.size());
    if (size < 0)
        return std::nullopt;
    value.resize(static_cast<std::size_t>(size));
    return value;
}

struct ProcessEnd {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string output;  // standard output and error
};

// Runs `command` in `folder` and gives its exit status as the shell's "$?",
// so that an end by a signal is 128 + the signal, and its standard output and
// error together. `childSetup` runs in the child before the shell starts.
ProcessEnd RunInShell(const QStringList& command, const QString& folder, const std::function<void()>& childSetup = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setChildProcessModifier([childSetup] {
        // Whatever the test runner ignores, the tool starts as a user's shell starts it.
        for (const int signal : {SIGHUP, SIGINT, SIGTERM, SIGXFSZ})
            std::signal(signal, SIG_DFL);
        if (childSetup)
            childSetup();
    });
    process.start(QStringLiteral("/bin/sh"), QStringList {"-c", "\"$@\" 2>&1; echo $? >&2", "sh"} + command);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    const std::string status = process.readAllStandardError().toStdString();
    return {status.empty() ? -1 : std::stoi(status), process.readAllStandardOutput().toStdString()};
}

class FileReplacingTest : public ToolTest { };

TEST_F(FileReplacingTest, ANameUpToTheLongestTheFolderTakesCanBeReplaced)
{
    const std::string accented = "\xC3\xA9";  // é, two bytes
    std::string utf8Name;
    while (utf8Name.size() + accented.size() <= 254)
        utf8Name += accented;
    utf8Name += "x";  // 255 bytes
    for (const std::string& name : {std::string(248, 'n'), std::string(255, 'm'), utf8Name}) {
        write(name, "old");
        WriteFileAtomically(fsPath(name), "new");
        EXPECT_EQ(read(name), "new") << name.size();
        fs::remove(fsPath(name));
    }
    // 256 bytes: no such name can exist.
    EXPECT_THROW(WriteFileAtomically(fsPath(std::string(256, 'n')), "x"), Failure);
    EXPECT_EQ(EntriesIn(fsPath("")), 0u);

    EXPECT_EQ(TemporaryFileName("section.drv", 255), ".section.drv.XXXXXX");
    EXPECT_EQ(TemporaryFileName("a" + accented + "b", 11), ".a" + accented + ".XXXXXX");
    EXPECT_EQ(TemporaryFileName("a" + accented + "b", 10), ".a.XXXXXX");  // not half a character
}

TEST_F(FileReplacingTest, AWriteKeepsTheAccessControlListAndTheExtendedAttributes)
{
    write("shared.drv", "old");
    const fs::path file = fsPath("shared.drv");
    fs::permissions(file, fs::perms(0640));
    if (::setxattr(file.c_str(), "user.author", "someone", 7, 0) != 0)
        GTEST_SKIP() << "the file system here takes no user attributes: " << std::strerror(errno);
    ASSERT_EQ(::setxattr(file.c_str(), "user.empty", "", 0, 0), 0);
    if (QStandardPaths::findExecutable(QStringLiteral("setfacl")).isEmpty())
        GTEST_SKIP() << "setfacl (Debian package acl, scripts/deps.sh) is not installed";
    ASSERT_EQ(QProcess::execute(QStringLiteral("setfacl"), {"-m", "u:65534:rw", path("shared.drv")}), 0);
    const auto acl = Attribute(file, kAclName);
    ASSERT_TRUE(acl);
    const auto mode = fs::status(file).permissions();
    ASSERT_EQ(mode, fs::perms(0660));  // the list's mask gives the group class write

    WriteFileAtomically(file, "new");
    EXPECT_EQ(read("shared.drv"), "new");
    EXPECT_EQ(Attribute(file, kAclName), acl);
    EXPECT_EQ(fs::status(file).permissions(), mode);
    EXPECT_EQ(Attribute(file, "user.author"), "someone");
    EXPECT_EQ(Attribute(file, "user.empty"), "");
}

// A user replaces their own file: it keeps a group they belong to, and one
// they do not belong to is given no more than everyone else.
TEST_F(FileReplacingTest, AUsersFileKeepsItsGroupOrGivesItNothing)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can run the tool as another user";
    constexpr uid_t kUser = 65534;
    constexpr gid_t kPrimary = 65534;
    constexpr gid_t kOther = 4242;  // a group the user is a member of
    write("section.quiz", kSource);
    write("kept.drv", "old");
    write("foreign.drv", "old");
    ASSERT_EQ(::chown(fsPath("").c_str(), kUser, kPrimary), 0);
    ASSERT_EQ(::chown(fsPath("kept.drv").c_str(), kUser, kOther), 0);
    ASSERT_EQ(::chown(fsPath("foreign.drv").c_str(), kUser, 0), 0);
    fs::permissions(fsPath("kept.drv"), fs::perms(0640));
    fs::permissions(fsPath("foreign.drv"), fs::perms(0664));
    const auto asUser = [] {
        const gid_t groups[] = {kOther};
        if (::setgroups(1, groups) != 0 || ::setgid(kPrimary) != 0 || ::setuid(kUser) != 0)
            ::_exit(99);
    };
    const ProcessEnd probe = RunInShell({QUIZDECK_BANK_TOOL, "--version"}, dir_.path(), asUser);
    if (probe.status != 0)
        GTEST_SKIP() << "user " << kUser << " cannot run the tool where it was built: " << probe.output;
    for (const char* output : {"kept.drv", "foreign.drv"}) {
        const ProcessEnd end =
            RunInShell({QUIZDECK_BANK_TOOL, "pack", "section.quiz", "-o", output}, dir_.path(), asUser);
        ASSERT_EQ(end.status, 0) << end.output;
    }
    struct stat kept { };
    struct stat foreign { };
    ASSERT_EQ(::stat(fsPath("kept.drv").c_str(), &kept), 0);
    ASSERT_EQ(::stat(fsPath("foreign.drv").c_str(), &foreign), 0);
    EXPECT_EQ(kept.st_uid, kUser);
    EXPECT_EQ(kept.st_gid, kOther);
    EXPECT_EQ(kept.st_mode & 07777, 0640u);
    EXPECT_EQ(foreign.st_gid, kPrimary);
    EXPECT_EQ(foreign.st_mode & 07777, 0644u);
    EXPECT_NE(read("kept.drv"), "old");
}

// strace delivers the signal when the tool syncs its temporary file, in the
// middle of the write.
TEST_F(FileReplacingTest, ASignalDuringAToolWriteLeavesTheOldFileAndNoTemporaryFile)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace (scripts/deps.sh) is not installed";
    const ProcessEnd probe = RunInShell({strace, "-o", "/dev/null", "true"}, dir_.path());
    if (probe.status != 0)
        GTEST_SKIP() << "strace cannot trace here: " << probe.output;
    write("section.quiz", kSource);
    write("out.drv", "the old data file");
    for (const auto& [signal, name] : {std::pair {SIGHUP, "HUP"}, {SIGINT, "INT"}, {SIGTERM, "TERM"}}) {
        const ProcessEnd end = RunInShell({strace, "-o", "/dev/null", "-e", "trace=fsync", "-e",
                                           QStringLiteral("inject=fsync:signal=%1:when=1").arg(name),
                                           QUIZDECK_BANK_TOOL, "pack", "section.quiz", "-o", "out.drv"},
                                          dir_.path());
        EXPECT_EQ(end.status, 128 + signal) << name << ": " << end.output;
        EXPECT_EQ(read("out.drv"), "the old data file") << name;
        EXPECT_EQ(EntriesIn(fsPath("")), 2u) << name;
    }
    // The same command without a signal does write.
    const ProcessEnd end = RunInShell({QUIZDECK_BANK_TOOL, "pack", "section.quiz", "-o", "out.drv"}, dir_.path());
    EXPECT_EQ(end.status, 0) << end.output;
    EXPECT_NE(read("out.drv"), "the old data file");
}

}  // namespace
}  // namespace qd::test

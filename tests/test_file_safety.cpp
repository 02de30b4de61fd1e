// Reading and writing files safely: only regular files, never waiting on a
// FIFO, never writing through what is not ours, and all or nothing.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include "bank/QuestionFile.h"
#include "shell/Failure.h"
#include "shell/HelpFile.h"
#include "shell/platform/Files.h"
#include "tests/NoWait.h"
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd::test {

namespace {

namespace fs = std::filesystem;

// The failure `action` throws, as "number: detail".
std::string FailureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Failure& failure) {
        return std::to_string(failure.number()) + ": " + failure.detail();
    }
    return "no failure";
}

std::size_t EntriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class FileSafetyTest : public ToolTest {
protected:
    void makeFifo(const std::string& name) const { ASSERT_EQ(::mkfifo(fsPath(name).c_str(), 0600), 0); }
    bool isFifo(const std::string& name) const { return fs::is_fifo(fs::symlink_status(fsPath(name))); }
};

TEST_F(FileSafetyTest, ReadsOnlyRegularFilesWithinTheLimitAndNeverWaits)
{
    write("five", "12345");
    fs::create_symlink(fsPath("five"), fsPath("link"));
    fs::create_directory(fsPath("folder"));
    makeFifo("fifo");
    EXPECT_EQ(ReadRegularFile(fsPath("link")), "12345");
    EXPECT_EQ(ReadRegularFile(fsPath("five"), 5), "12345");
    EXPECT_EQ(FailureOf([&] { ReadRegularFile(fsPath("five"), 4); }), "7: is larger than 4 bytes");
    EXPECT_EQ(FailureOf([&] { ReadRegularFile(fsPath("missing")); }),
              "53: cannot be opened: No such file or directory");
    EXPECT_EQ(FailureOf([&] { ReadRegularFile(fsPath("five/x")); }).substr(0, 3), "53:");
    EXPECT_EQ(FailureOf([&] { ReadRegularFile(fsPath("folder")); }), "75: is a folder, not a file");
    EXPECT_EQ(FailureOf([&] { ReadRegularFile("/dev/null"); }), "75: is not a regular file");
    ExpectNoWaitOn(fsPath("fifo"), [&] {
        EXPECT_EQ(FailureOf([&] { ReadRegularFile(fsPath("fifo")); }), "75: is not a regular file");
        // The help file is read the same way: a FIFO is no help file.
        EXPECT_FALSE(HelpFile::Load(QString::fromStdString(fsPath("fifo").string())));
    });
}

TEST_F(FileSafetyTest, AWriteReplacesTheWholeFileAndKeepsItsPermissions)
{
    write("kept", "old and longer");
    fs::permissions(fsPath("kept"), fs::perms(0640));
    WriteFileAtomically(fsPath("kept"), "new");
    EXPECT_EQ(read("kept"), "new");
    EXPECT_EQ(fs::status(fsPath("kept")).permissions(), fs::perms(0640));

    const mode_t umask = ::umask(027);
    WriteFileAtomically(fsPath("fresh"), "");
    ::umask(umask);
    EXPECT_EQ(fs::status(fsPath("fresh")).permissions(), fs::perms(0640));
    EXPECT_EQ(read("fresh"), "");
    EXPECT_EQ(EntriesIn(fsPath("")), 2u);
}

TEST_F(FileSafetyTest, AWriteGoesThroughALinkOnlyWhenAllowedAndNeverToALinkToNothing)
{
    write("victim", "victim's own");
    fs::create_symlink(fsPath("victim"), fsPath("link"));
    fs::create_symlink(fsPath("nowhere"), fsPath("dangling"));
    WriteOptions noLinks;
    noLinks.followLinks = false;
    EXPECT_EQ(FailureOf([&] { WriteFileAtomically(fsPath("link"), "x", noLinks); }), "75: is a symbolic link");
    EXPECT_EQ(FailureOf([&] { WriteFileAtomically(fsPath("dangling"), "x", noLinks); }), "75: is a symbolic link");
    EXPECT_EQ(FailureOf([&] { WriteFileAtomically(fsPath("dangling"), "x"); }), "75: is a symbolic link to nothing");
    EXPECT_EQ(read("victim"), "victim's own");
    EXPECT_FALSE(exists("nowhere"));

    WriteFileAtomically(fsPath("link"), "through the link");
    EXPECT_TRUE(fs::is_symlink(fsPath("link")));
    EXPECT_EQ(read("victim"), "through the link");
    EXPECT_EQ(EntriesIn(fsPath("")), 3u);
}

TEST_F(FileSafetyTest, AWriteRefusesWhatIsNotARegularFileAndLeavesNothingBehind)
{
    fs::create_directory(fsPath("folder"));
    makeFifo("fifo");
    EXPECT_EQ(FailureOf([&] { WriteFileAtomically(fsPath("folder"), "x"); }), "75: is a folder, not a file");
    EXPECT_EQ(FailureOf([&] { WriteFileAtomically(fsPath("fifo"), "x"); }), "75: is not a regular file");
    EXPECT_TRUE(isFifo("fifo"));
    EXPECT_EQ(FailureOf([&] { WriteFileAtomically(fsPath("none/x"), "x"); }),
              "75: cannot be written: No such file or directory");
    EXPECT_EQ(EntriesIn(fsPath("")), 2u);
}

TEST_F(FileSafetyTest, AFileOrFolderThatCannotBeWrittenKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    write("kept", "old");
    write("read-only", "old");
    fs::permissions(fsPath("read-only"), fs::perms(0444));
    EXPECT_EQ(FailureOf([&] { WriteFileAtomically(fsPath("read-only"), "new"); }),
              "75: cannot be written: Permission denied");
    fs::permissions(fsPath(""), fs::perms(0500));
    EXPECT_EQ(FailureOf([&] { WriteFileAtomically(fsPath("kept"), "new"); }),
              "75: cannot be written: Permission denied");
    fs::permissions(fsPath(""), fs::perms(0700));
    EXPECT_EQ(read("kept"), "old");
    EXPECT_EQ(read("read-only"), "old");
}

TEST_F(FileSafetyTest, SameFileMeansTheSameDeviceAndInode)
{
    write("a", "x");
    write("b", "x");
    fs::create_symlink(fsPath("a"), fsPath("soft"));
    fs::create_hard_link(fsPath("a"), fsPath("hard"));
    EXPECT_TRUE(IsSameFile(fsPath("a"), fsPath("a")));
    EXPECT_TRUE(IsSameFile(fsPath("soft"), fsPath("a")));
    EXPECT_TRUE(IsSameFile(fsPath("a"), fsPath("hard")));
    EXPECT_FALSE(IsSameFile(fsPath("a"), fsPath("b")));
    EXPECT_FALSE(IsSameFile(fsPath("missing"), fsPath("missing")));
}

// ---------------------------------------------------------------------------
// The program's loader

using LoaderFileSafetyTest = ProgramTest;

TEST_F(LoaderFileSafetyTest, AFifoOrADataFileOverTheLimitIsAFileThatCannotBeRead)
{
    ASSERT_EQ(::mkfifo((folder() / "fifo.drv").c_str(), 0600), 0);
    LoadQuestionFile("fifo.drv");
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{75, "3406"}}));

    log->entries.clear();
    writeFile("huge.drv", ScrambledFile({"0", "a", "b", "c", "d", "1", "r"}));
    fs::resize_file(folder() / "huge.drv", kMaxFileBytes + 1);  // sparse: no disk used
    LoadQuestionFile("huge.drv");
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{7, "3406"}}));
    EXPECT_EQ(QuestionCount(), 0);
    EXPECT_TRUE(ender->statuses.empty());
}

// The data file is swapped for a FIFO and back, again and again, while it is
// loaded: no load may wait. A watchdog lets a waiting load go and notes it.
TEST_F(LoaderFileSafetyTest, ADataFileSwappedForAFifoNeverBlocksTheLoad)
{
    const fs::path file = folder() / "swap.drv";
    const fs::path fifo = folder() / "fifo";
    const fs::path regular = folder() / "regular";
    writeFile("regular", ScrambledFile({"0", "a", "b", "c", "d", "1", "r"}));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_hard_link(regular, file);
    std::atomic<bool> stop {false};
    std::atomic<int> loads {0};
    std::atomic<bool> blocked {false};
    std::thread swapper([&] {
        for (int round = 0; !stop; ++round) {
            std::error_code error;
            fs::create_hard_link(round % 2 ? regular : fifo, folder() / "next", error);
            fs::rename(folder() / "next", file, error);
        }
    });
    std::thread watchdog([&] {
        for (int seen = -1, idle = 0; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
            idle = loads == seen ? idle + 1 : 0;
            seen = loads;
            if (idle < 5)
                continue;
            // Opens without waiting only when a reader waits on the FIFO.
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                blocked = true;
                ::close(writer);
            }
        }
    });
    for (int i = 0; i < 20000; ++i) {
        LoadQuestionFile("swap.drv");
        ++loads;
    }
    stop = true;
    swapper.join();
    watchdog.join();
    EXPECT_FALSE(blocked);
}

// ---------------------------------------------------------------------------
// The bank tool's files

constexpr const char* kSource = "right: a\nwrong: b\nwrong: c\nwrong: d\nreference: r\n";

// Runs the bank tool in `folder` with a limit on the size of the files it writes.
ToolRun RunToolWithFileSizeLimit(const QStringList& args, const QString& folder, rlim_t limit)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setChildProcessModifier([limit] {
        const rlimit fileSize {limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        // Not ignored: the tool itself makes a write past the limit fail with
        // EFBIG rather than end it with SIGXFSZ.
        std::signal(SIGXFSZ, SIG_DFL);
    });
    process.start(QStringLiteral(QUIZDECK_BANK_TOOL), args);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

TEST_F(FileSafetyTest, AToolWriteThatFailsKeepsTheOldDataFileAndSaysWhy)
{
    write("section.quiz", kSource);
    write("out.drv", "the old data file");
    const ToolRun run = RunToolWithFileSizeLimit({"pack", "section.quiz", "-o", "out.drv"}, dir_.path(), 16);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quizdeck-bank: out.drv: cannot be written: File too large\n");
    EXPECT_EQ(read("out.drv"), "the old data file");
    EXPECT_EQ(EntriesIn(fsPath("")), 2u);
}

TEST_F(FileSafetyTest, AToolOutputThatIsTheSourceIsRefused)
{
    write("section.quiz", kSource);
    write("bank.gift", "Q? {=a ~b ~c ~d}\n");
    fs::create_symlink(fsPath("section.quiz"), fsPath("soft.drv"));
    fs::create_hard_link(fsPath("section.quiz"), fsPath("hard.drv"));
    for (const char* output : {"section.quiz", "soft.drv", "hard.drv"}) {
        const ToolRun refused = run({"pack", "section.quiz", "-o", output});
        EXPECT_EQ(refused.status, 2) << output;
        EXPECT_EQ(refused.err,
                  "quizdeck-bank: " + std::string(output) + ": is the same file as section.quiz; it is not replaced\n");
        EXPECT_EQ(read("section.quiz"), kSource);
    }
    const ToolRun import = run({"import", "--format", "gift", "bank.gift", "-o", "bank.gift"});
    EXPECT_EQ(import.status, 2);
    EXPECT_EQ(read("bank.gift"), "Q? {=a ~b ~c ~d}\n");
    EXPECT_EQ(EntriesIn(fsPath("")), 4u);
}

TEST_F(FileSafetyTest, AToolOutputThatIsNotARegularFileIsRefused)
{
    write("section.quiz", kSource);
    makeFifo("fifo.drv");
    const ToolRun fifo = run({"pack", "section.quiz", "-o", "fifo.drv"});
    EXPECT_EQ(fifo.status, 2);
    EXPECT_EQ(fifo.err, "quizdeck-bank: fifo.drv: is not a regular file\n");
    EXPECT_TRUE(isFifo("fifo.drv"));
    // Root could replace the device if the refusal failed: only a user tries it.
    if (::geteuid() != 0 && fs::is_character_file("/dev/null")) {
        EXPECT_EQ(run({"pack", "section.quiz", "-o", "/dev/null"}).status, 2);
        EXPECT_TRUE(fs::is_character_file(fs::symlink_status("/dev/null")));
    }
}

TEST_F(FileSafetyTest, AToolInputOverTheLimitOrAFifoIsRefused)
{
    write("huge.drv", "");
    fs::resize_file(fsPath("huge.drv"), kMaxFileBytes + 1);
    makeFifo("fifo.quiz");
    const ToolRun huge = run({"check", "huge.drv"});
    EXPECT_EQ(huge.status, 2);
    EXPECT_EQ(huge.err, "quizdeck-bank: huge.drv: is larger than 64 MiB\n");
    const ToolRun fifo = run({"pack", "fifo.quiz", "-o", "out.drv"});
    EXPECT_EQ(fifo.status, 2);
    EXPECT_EQ(fifo.err, "quizdeck-bank: fifo.quiz: is not a regular file\n");
}

// ---------------------------------------------------------------------------
// Start-up

TEST(StartUpTest, PluginsAreNotLookedForInTheProgramFolder)
{
    const QString folder = QDir(QCoreApplication::applicationDirPath()).canonicalPath();
    for (const QString& path : QCoreApplication::libraryPaths())
        EXPECT_NE(QDir(path).canonicalPath(), folder);
}

}  // namespace
}  // namespace qd::test

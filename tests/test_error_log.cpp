// The error log file and the step runner that feeds it.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <stdexcept>
#include <vector>

#include <QLocale>
#include <gtest/gtest.h>

#include "shell/ErrorLog.h"
#include "shell/StepRunner.h"
#include "tests/NoWait.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

class ErrorLogTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        TheProgram().setErrorLog(std::make_unique<FileErrorLog>());
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        ProgramTest::TearDown();
    }
};

TEST_F(ErrorLogTest, WritesOneLineInTheLocalesDateAndTimeFormWithAFourDigitYear)
{
    EXPECT_FALSE(std::filesystem::exists(folder() / "Kestrel.err"));
    LogError(91, "3702");
    EXPECT_EQ(readFile("Kestrel.err"), "Time: 06.12.2026 06:38:06Err: 91File: :3702\r\n");
}

TEST_F(ErrorLogTest, EveryEntryReplacesTheLastAndNegativeNumbersKeepTheirSign)
{
    LogError(9, "3701");
    clock->dateTime = clock->dateTime.addSecs(1);
    LogError(-5, "3402");
    const std::string text = readFile("Kestrel.err");
    EXPECT_NE(text.find(" 06:38:07Err: -5File: :3402\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("3701"), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.size() - 1);
}

TEST_F(ErrorLogTest, LeavesOutTheTimeZoneOfTheLongTimeForm)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::string line = FormatLogLine(QDateTime(QDate(2026, 12, 6), QTime(18, 38, 6)), 6, "3406");
    EXPECT_EQ(line, "Time: 12/6/2026 6:38:06 PMErr: 6File: :3406\r\n");
}

TEST_F(ErrorLogTest, DateAndTimeTheCodePageCannotHoldFallBackToDigits)
{
    const QDateTime when(QDate(2026, 12, 6), QTime(18, 38, 6));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(FormatLogLine(when, 6, "3406"), "Time: 2026/12/06 18:38:06Err: 6File: :3406\r\n");
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    EXPECT_EQ(FormatLogLine(when, 6, "3406"), "Time: 2026-12-06 18:38:06Err: 6File: :3406\r\n");
}

// The log is replaced, never written in place: a reader of the old log (or
// a copy killed while logging) never sees a cut or empty line.
TEST_F(ErrorLogTest, AnEntryReplacesTheLogWholeAndLeavesNoOtherFile)
{
    LogError(9, "3701");
    const std::string first = readFile("Kestrel.err");
    std::ifstream old(folder() / "Kestrel.err", std::ios::binary);
    LogError(13, "3402");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), first);
    EXPECT_NE(readFile("Kestrel.err").find("Err: 13File: :3402\r\n"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 1);
}

// Anything but a regular file named Kestrel.err drops the entry with one line
// on standard error and is left as it was.
TEST_F(ErrorLogTest, NeverWritesThroughALinkOrToAFifo)
{
    const auto logFile = folder() / "Kestrel.err";
    writeFile("victim.txt", "victim");
    std::filesystem::create_symlink(folder() / "victim.txt", logFile);
    testing::internal::CaptureStderr();
    LogError(13, "3402");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("failure 13 in 3402 not logged"), std::string::npos);
    EXPECT_EQ(readFile("victim.txt"), "victim");
    EXPECT_TRUE(std::filesystem::is_symlink(logFile));

    std::filesystem::remove(logFile);
    std::filesystem::create_symlink(folder() / "created.txt", logFile);
    testing::internal::CaptureStderr();
    LogError(13, "3402");
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(std::filesystem::exists(folder() / "created.txt"));

    // A second name of another file: the name is replaced, the file kept.
    std::filesystem::remove(logFile);
    std::filesystem::create_hard_link(folder() / "victim.txt", logFile);
    LogError(13, "3402");
    EXPECT_EQ(readFile("victim.txt"), "victim");

    std::filesystem::remove(logFile);
    ASSERT_EQ(::mkfifo(logFile.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    ExpectNoWaitOn(logFile, [] { LogError(13, "3402"); });
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a regular file"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_fifo(logFile));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 2);
}

TEST_F(ErrorLogTest, AnUnwritableLogDropsTheEntryWithoutFailing)
{
    std::filesystem::create_directory(folder() / "Kestrel.err");  // cannot be opened as a file
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(LogError(13, "3402"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("failure 13 in 3402 not logged"), std::string::npos);

    TheProgram().programFolder = folder() / "no such folder";
    testing::internal::CaptureStderr();
    Steps steps("3701");
    steps([] { Raise(9); });
    EXPECT_TRUE(steps([] {}));
    testing::internal::GetCapturedStderr();
}

// A folder that takes no new files (read-only, or unchangeable) while the log
// in it may be written: the log is emptied and written where it is. A link in
// the log's place is still never written through. Root may create files
// anywhere, so the child process that logs gives up root's powers first; it
// checks the files itself and says with its status what it found.
TEST_F(ErrorLogTest, AFolderThatTakesNoNewFilesHasItsWritableLogRewrittenInPlace)
{
    constexpr uid_t kNobody = 65534;
    const auto linked = folder() / "linked";
    std::filesystem::create_directory(linked);
    writeFile("Kestrel.err", "Time: an old entry that is longer than the new oneErr: 5File: :3401\r\n");
    writeFile("victim.txt", "victim");
    std::filesystem::create_symlink(folder() / "victim.txt", linked / "Kestrel.err");
    const bool root = ::geteuid() == 0;
    for (const auto& path : {folder(), folder() / "Kestrel.err", folder() / "victim.txt", linked}) {
        if (root) {
            ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        }
    }
    const auto logInReadOnlyFolders = [&] {
        if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            std::_Exit(4);
        if (::chmod(linked.c_str(), 0555) != 0 || ::chmod(folder().c_str(), 0555) != 0)
            std::_Exit(5);
        LogError(91, "3702");
        TheProgram().programFolder = linked;
        LogError(13, "3402");
        if (readFile("Kestrel.err") != "Time: 06.12.2026 06:38:06Err: 91File: :3702\r\n")
            std::_Exit(6);
        if (readFile("victim.txt") != "victim")
            std::_Exit(7);
        if (std::distance(std::filesystem::directory_iterator(folder()), {}) != 3)
            std::_Exit(8);
        std::_Exit(0);
    };
    EXPECT_EXIT(logInReadOnlyFolders(), ::testing::ExitedWithCode(0), "failure 13 in 3402 not logged");
}

TEST_F(ErrorLogTest, NothingIsWrittenWithoutAFailure)
{
    Steps steps("3701");
    steps([] {});
    EXPECT_FALSE(std::filesystem::exists(folder() / "Kestrel.err"));
}

using StepRunnerTest = ProgramTest;

TEST_F(StepRunnerTest, AFailedStepIsLoggedAndTheNextStepRuns)
{
    std::vector<int> ran;
    Steps steps("3706");
    steps([&] { ran.push_back(1); });
    EXPECT_FALSE(steps([&] { Raise(13); }));
    steps([&] { ran.push_back(3); });
    EXPECT_FALSE(steps([] { throw std::bad_alloc(); }));
    EXPECT_FALSE(steps([] { return std::vector<int>().at(2); }));
    EXPECT_FALSE(steps([] { throw std::runtime_error("not ours"); }));
    EXPECT_EQ(ran, (std::vector<int> {1, 3}));
    EXPECT_FALSE(steps.returned());
    EXPECT_EQ(steps.lastFailure(), 51);
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{13, "3706"}, {7, "3706"}, {9, "3706"}, {51, "3706"}}));
}

TEST_F(StepRunnerTest, AReturningRoutineSkipsItsRemainingSteps)
{
    bool later = false;
    Steps steps("3408", AfterFailure::Return);
    steps([] { Raise(31100); });
    EXPECT_FALSE(steps([&] { later = true; }));
    EXPECT_FALSE(later);
    EXPECT_TRUE(steps.returned());
    EXPECT_EQ(log->entries, (std::vector<LogEntry> {{31100, "3408"}}));
}

TEST_F(StepRunnerTest, AHandlerDecidesAndEndingTheProgramPassesThrough)
{
    std::vector<int> handled;
    Steps steps("3406", [&](std::int16_t number) {
        handled.push_back(number);
        if (number == 53)
            EndProgram(1);
        return AfterFailure::NextStep;
    });
    steps([] { Raise(62); });
    EXPECT_THROW(steps([] { Raise(53); }), ProgramEnded);
    EXPECT_EQ(handled, (std::vector<int> {62, 53}));
    EXPECT_TRUE(log->entries.empty());
}

}  // namespace
}  // namespace qd::test

// The error log file and the step runner that feeds it.
#include <filesystem>
#include <new>
#include <stdexcept>
#include <vector>

#include <QLocale>
#include <gtest/gtest.h>

#include "shell/ErrorLog.h"
#include "shell/StepRunner.h"
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

TEST_F(ErrorLogTest, WritesOneLineInTheLocalesDateAndTimeForm)
{
    EXPECT_FALSE(std::filesystem::exists(folder() / "Kestrel.err"));
    LogError(91, "3702");
    const QLocale locale;
    const std::string date = locale.toString(QDate(2026, 12, 6), QLocale::ShortFormat).toStdString();
    EXPECT_EQ(readFile("Kestrel.err"), "Time: " + date + " 06:38:06Err: 91File: :3702\r\n");
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
    EXPECT_EQ(line, "Time: 12/6/26 6:38:06 PMErr: 6File: :3406\r\n");
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

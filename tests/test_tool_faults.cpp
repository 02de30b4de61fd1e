// quizdeck-bank when things go wrong around it: it leaves the program's error
// log alone, writes no data file the program would refuse, and stops at once
// when its output cannot be written.
#include <filesystem>
#include <string>

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "bank/Descrambler.h"
#include "shell/ErrorLog.h"
#include "shell/platform/Files.h"
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"
#include "tools/CommandLine.h"
#include "tools/ToolFiles.h"

namespace qd::test {
namespace {

namespace fs = std::filesystem;

using ToolFaultTest = ToolTest;

// A copy of the tool has its own program folder, as in a copied installation:
// a damaged data file is reported on standard error, and the program's log
// beside the tool is neither made nor replaced.
TEST_F(ToolFaultTest, TheToolNeverWritesTheProgramsErrorLog)
{
    fs::create_directory(fsPath("program"));
    fs::copy_file(QUIZDECK_BANK_TOOL, fsPath("program/quizdeck-bank"));
    const QString tool = path("program/quizdeck-bank");
    const std::string log = std::string("program/") + kErrorLogName;
    // Scrambling markers around an escape character with nothing to escape.
    const std::string damaged = std::string(kStartMarker) + "\x01" + std::string(kEndMarker) + "\r\n";
    write("damaged.drv", damaged + ScrambledFile({"x", "a", "b", "c", "d", "1", "r"}));
    for (const char* command : {"check", "unpack"}) {
        const ToolRun run = RunProgram(tool, {command, "damaged.drv"}, {}, dir_.path());
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_FALSE(exists(log)) << command;
    }
    const std::string entry = "Time: 06.12.2026 06:38:06Err: 75File: :3406\r\n";
    write(log, entry);
    const ToolRun run = RunProgram(tool, {"check", "damaged.drv"}, {}, dir_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("damaged.drv:1: cannot descramble"), std::string::npos) << run.out;
    EXPECT_EQ(read(log), entry);
}

TEST_F(ToolFaultTest, ADataFileOverTheLoadersLimitIsNotWritten)
{
    write("out.drv", "the old data file");
    try {
        tool::WriteFileWhole(path("out.drv").toStdString(), std::string(kMaxFileBytes + 1, 'x'));
        ADD_FAILURE() << "written";
    } catch (const tool::FileError& error) {
        EXPECT_EQ(error.what(),
                  path("out.drv").toStdString()
                      + ": would be larger than 64 MiB, which the program does not read; it is not written");
    }
    EXPECT_TRUE(read("out.drv") == "the old data file");  // not printed: it may be 64 MiB
    EXPECT_EQ(std::distance(fs::directory_iterator(fsPath("")), fs::directory_iterator()), 1);
}

// yes | quizdeck-bank scramble > /dev/full
TEST_F(ToolFaultTest, AFilterStopsAtOnceWhenItsOutputCannotBeWritten)
{
    const QString yesProgram = QStandardPaths::findExecutable(QStringLiteral("yes"));
    if (!fs::is_character_file("/dev/full") || yesProgram.isEmpty())
        GTEST_SKIP() << "needs /dev/full and yes";
    QProcess yes;
    QProcess filter;
    yes.setStandardOutputProcess(&filter);
    filter.setStandardOutputFile(QStringLiteral("/dev/full"));
    filter.start(QStringLiteral(QUIZDECK_BANK_TOOL), {"scramble"});
    yes.start(yesProgram, {});
    const bool ended = filter.waitForFinished(30000);
    yes.kill();
    yes.waitForFinished();
    if (!ended) {
        filter.kill();
        filter.waitForFinished();
    }
    ASSERT_TRUE(ended) << "the filter went on reading an endless input";
    EXPECT_EQ(filter.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(filter.exitCode(), 2);
    EXPECT_EQ(filter.readAllStandardError().toStdString(),
              "quizdeck-bank: cannot write standard output: No space left on device\n");
}

}  // namespace
}  // namespace qd::test

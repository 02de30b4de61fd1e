// quizdeck-bank check, run as the real program on data files in a scratch folder.
#include <filesystem>
#include <string>
#include <vector>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "bank/Descrambler.h"
#include "bank/QuestionRecords.h"
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

using namespace test;

// A scrambled line whose plain text is empty: the scrambler never writes one.
std::string ScrambledEmpty()
{
    std::string line = Scrambled("x");
    line.erase(line.size() - kEndMarker.size() - 1, 1);
    EXPECT_EQ(DescrambleText(kQuestionKey, line), "");
    return line;
}

// The scrambled form of `plain` with one byte escaped that needs no escape:
// it descrambles to the same text, yet the scrambler never writes it.
std::string NeedlesslyEscaped(std::string_view plain)
{
    std::string line = Scrambled(plain);
    for (std::size_t i = kStartMarker.size(); i + kEndMarker.size() < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (line[i - 1] != '\x01' && byte != 0x01 && byte != 0xFF) {
            line.replace(i, 1, std::string {'\x01', static_cast<char>(byte + 1)});
            break;
        }
    }
    EXPECT_NE(line, Scrambled(plain));
    EXPECT_EQ(DescrambleText(kQuestionKey, line), plain);
    return line;
}

class CheckTest : public test::ToolTest {
protected:
    ToolRun check(const std::string& bytes)
    {
        write("section.drv", bytes);
        return RunTool({"check", path("section.drv")});
    }

    // The problem lines of check, without the file name in front.
    std::string problems(const std::string& bytes)
    {
        const ToolRun run = check(bytes);
        const std::string prefix = path("section.drv").toStdString() + ":";
        std::string lines;
        std::size_t pos = run.out.find('\n');
        while (pos != std::string::npos && pos + 1 < run.out.size()) {
            const std::size_t end = run.out.find('\n', pos + 1);
            std::string line = run.out.substr(pos + 1, end - pos);
            if (line.rfind(prefix, 0) == 0)
                line.erase(0, prefix.size());
            lines += line;
            pos = end;
        }
        return lines;
    }
};

TEST_F(CheckTest, CountsTheQuestionsOfACleanFile)
{
    const ToolRun run = check(ScrambledFile(Joined(Record("1", {"q"}), Record("0", {}))) + "\r\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, path("section.drv").toStdString() + ": 2 questions\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CheckTest, ReportsLinesThatCannotBeDescrambled)
{
    const std::string file = Scrambled("1") + "\r\n"  // 1 NumLines
        + Scrambled("q") + "\r\n"  // 2
        + "Text\r\n"  // 3 answer 1, never scrambled
        + ScrambleText("another key", "Caption") + "\r\n"  // 4 answer 2
        + std::string(kStartMarker) + "\x01" + std::string(kEndMarker) + "\r\n"  // 5 answer 3, damaged
        + Scrambled("Name") + "\r\n" + Scrambled("2") + "\r\n" + Scrambled("r") + "\r\n";
    EXPECT_EQ(problems(file),
              "3: cannot descramble the answer 1 line: no scrambling markers\n"
              "4: cannot descramble the answer 2 line: check header does not match (wrong key or damaged line)\n"
              "5: cannot descramble the answer 3 line: escape character at the end of the line\n");
}

TEST_F(CheckTest, ReportsACountOfQuestionLinesOutsideZeroTo255)
{
    EXPECT_EQ(problems(ScrambledFile(Record("256", {}))), "1: NumLines \"256\" is not a number from 0 to 255\n");
    EXPECT_EQ(problems(ScrambledFile(Joined(Record("0", {}), Record("-1", {})))),
              "8: NumLines \"-1\" is not a number from 0 to 255\n");
    EXPECT_EQ(problems(ScrambledFile(Record("two", {}))), "1: NumLines \"two\" is not a number from 0 to 255\n");
}

TEST_F(CheckTest, ReportsARecordCutShort)
{
    auto lines = Record("1", {"q"});
    lines.resize(4);
    const ToolRun run = check(ScrambledFile(lines));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(problems(ScrambledFile(lines)),
              "5: record cut short: the file ends where its answer 3 line should stand (4 lines missing)\n");
}

TEST_F(CheckTest, ReportsAnAnswerNumberOutsideOneToFour)
{
    EXPECT_EQ(problems(ScrambledFile(Record("0", {}, "5"))), "6: AnsNum \"5\" is not a number from 1 to 4\n");
    EXPECT_EQ(problems(ScrambledFile(Record("0", {}, "0"))), "6: AnsNum \"0\" is not a number from 1 to 4\n");
    EXPECT_EQ(problems(ScrambledFile(Record("0", {}, "B"))), "6: AnsNum \"B\" is not a number from 1 to 4\n");
}

TEST_F(CheckTest, ReportsEmptyTexts)
{
    const std::string empty = ScrambledEmpty() + "\r\n";
    const auto record = [&](int emptyLine) {
        std::string file;
        int number = 0;
        for (const std::string& line : Record("1", {"q"}))
            file += ++number == emptyLine ? empty : Scrambled(line) + "\r\n";
        return file;
    };
    EXPECT_EQ(problems(record(2)), "2: empty question line; pack cannot write an empty line\n");
    EXPECT_EQ(problems(record(5)), "5: empty answer 3\n");
    EXPECT_EQ(problems(record(7)), "7: AnsNum \"\" is not a number from 1 to 4\n");
    EXPECT_EQ(problems(record(8)), "8: empty reference line; pack cannot write an empty line\n");
}

TEST_F(CheckTest, ReportsLineEndsOtherThanCrLf)
{
    std::string file = ScrambledFile(Record("0", {}));
    file.replace(file.find("\r\n"), 2, "\n");  // line 1
    const std::size_t third = file.find("\r\n", file.find("\r\n") + 2);
    file.replace(third, 2, "\r");  // line 3
    file.erase(file.size() - 2);  // line 7, the last
    EXPECT_EQ(problems(file),
              "1: line ends with LF only, not CR LF\n"
              "3: line ends with CR only, not CR LF\n"
              "7: last line has no CR LF at its end\n");
    EXPECT_EQ(problems(ScrambledFile(Record("0", {})) + "  "), "8: last line has no CR LF at its end\n");
}

TEST_F(CheckTest, ReportsAScrambledLineTheScramblerWouldWriteDifferently)
{
    std::string file;
    for (const std::string& line : Record("0", {}))
        file += (line == "Title" ? NeedlesslyEscaped(line) : Scrambled(line)) + "\r\n";
    EXPECT_EQ(problems(file),
              "4: the answer 3 line \"Title\" is not scrambled as the scrambler writes it; "
              "pack would write it differently\n");
}

TEST_F(CheckTest, ReportsWhatFollowsTheEndLine)
{
    const std::string record = ScrambledFile(Record("0", {}));
    EXPECT_EQ(problems(record + "\r\n" + record),
              "9: never read: the program stops at the end line 8 (7 lines after it)\n");
    EXPECT_EQ(problems(record + "  \r\n\r\n"),
              "9: never read: the program stops at the end line 8 (1 line after it)\n");
    EXPECT_EQ(problems(record + "\r\n\n"), "9: never read: the program stops at the end line 8 (1 line after it)\n");
}

TEST_F(CheckTest, ReportsEveryProblemOnceInLineOrder)
{
    std::string file = ScrambledFile(Joined(Record("0", {}, "9"), Record("300", {})));
    file.replace(file.find("\r\n"), 2, "\n");
    file += "\r\ntrailing";
    const ToolRun run = check(file);
    const std::string name = path("section.drv").toStdString();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              name + ": 2 questions\n"  //
                  + name + ":1: line ends with LF only, not CR LF\n"  //
                  + name + ":6: AnsNum \"9\" is not a number from 1 to 4\n"  //
                  + name + ":8: NumLines \"300\" is not a number from 0 to 255\n"  //
                  + name + ":16: never read: the program stops at the end line 15 (1 line after it)\n");
}

TEST_F(CheckTest, ReportsAFileWithoutQuestions)
{
    const std::string name = path("section.drv").toStdString();
    std::string expected = name + ": 0 questions\n";
    expected += name + ":1: no questions: the section will show an empty card\n";
    for (const std::string& bytes : {std::string(), std::string("\r\n")}) {
        const ToolRun run = check(bytes);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, expected);
    }
}

TEST_F(CheckTest, TakesEverythingAfterTwoDashesAsFiles)
{
    write("-o", ScrambledFile(Record("1", {"q"})));
    const ToolRun run = RunTool({"check", "--", "-o"}, {}, dir_.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "-o: 1 question\n");
}

TEST_F(CheckTest, WritesNoErrorLogAnywhere)
{
    QTemporaryDir elsewhere;
    write("section.drv", "not scrambled\r\n" + ScrambledFile({"x", "a"}));
    const ToolRun run = RunTool({"check", path("section.drv")}, {}, elsewhere.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(exists(kErrorLogName));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(elsewhere.path().toStdString()) / kErrorLogName));
    EXPECT_EQ(run.err, "");
}

TEST_F(CheckTest, FailsWithStatus2ForFilesItCannotRead)
{
    std::filesystem::create_directory(fsPath("folder"));
    std::filesystem::create_symlink(fsPath("nowhere.drv"), fsPath("dangling.drv"));
    ASSERT_EQ(mkfifo(path("pipe.drv").toStdString().c_str(), 0600), 0);
    for (const char* name : {"missing.drv", "folder", "dangling.drv", "pipe.drv"}) {
        const ToolRun run = RunTool({"check", path(name)});
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_NE(run.err.find(path(name).toStdString() + ": "), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("usage:"), std::string::npos) << run.err;
    }
}

TEST_F(CheckTest, FailsWithStatus2ForAFileWithoutReadPermission)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    write("locked.drv", ScrambledFile(Record("0", {})));
    std::filesystem::permissions(fsPath("locked.drv"), std::filesystem::perms::none);
    EXPECT_EQ(RunTool({"check", path("locked.drv")}).status, 2);
}

TEST_F(CheckTest, ChecksEveryFileAndExitsWithTheWorstStatus)
{
    write("clean.drv", ScrambledFile(Record("0", {})));
    write("bad.drv", ScrambledFile(Record("0", {}, "5")));
    const ToolRun problems = RunTool({"check", "clean.drv", "bad.drv"}, {}, dir_.path());
    EXPECT_EQ(problems.status, 1);
    EXPECT_EQ(problems.out,
              "clean.drv: 1 question\nbad.drv: 1 question\nbad.drv:6: AnsNum \"5\" is not a number from 1 to 4\n");
    const ToolRun missing = RunTool({"check", "missing.drv", "clean.drv", "bad.drv"}, {}, dir_.path());
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, problems.out);
    EXPECT_EQ(missing.err, "quizdeck-bank: missing.drv: no such file\n");
    EXPECT_EQ(RunTool({"check", "clean.drv", "clean.drv"}, {}, dir_.path()).status, 0);
}

}  // namespace
}  // namespace qd

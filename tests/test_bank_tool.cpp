// quizdeck-bank, run as the real program: filters, pack, unpack, check, usage.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "bank/DataFileCheck.h"
#include "bank/Descrambler.h"
#include "bank/QuestionFile.h"
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

using test::ScrambledFile;

using test::RunTool;
using test::ToolRun;

std::string Scrambled(std::string_view plain)
{
    return ScrambleText(kQuestionKey, plain);
}

// The lines of one record: NumLines, question lines, four answers, AnsNum, reference.
std::vector<std::string> Record(const std::string& numLines, const std::vector<std::string>& questionLines,
                                const std::string& ansNum = "2")
{
    std::vector<std::string> lines = {numLines};
    lines.insert(lines.end(), questionLines.begin(), questionLines.end());
    lines.insert(lines.end(), {"Text", "Caption", "Title", "Name", ansNum, "The Caption property."});
    return lines;
}

std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

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

class BankToolTest : public test::ToolTest {
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

// ---------------------------------------------------------------------------
// scramble and descramble

class FilterTest : public BankToolTest { };

// Lines of every byte but LF, with 0, 1, CR, 26 and 128 to 255 among them.
std::vector<std::string> EveryByteLines()
{
    std::vector<std::string> lines;
    std::string line;
    for (int code = 0; code < 256; ++code) {
        if (code == '\n')
            continue;
        line += static_cast<char>(code);
        if (line.size() == 20) {
            lines.push_back(line);
            line.clear();
        }
    }
    lines.push_back(line);
    lines.emplace_back("\x00", 1);
    lines.emplace_back("\x01");
    lines.emplace_back("\x1A\r\x80\xFF");
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view end)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += end;
    }
    return text;
}

TEST_F(FilterTest, ScrambleWritesTheScramblersFormOfEveryLine)
{
    const auto lines = EveryByteLines();
    std::string expected;
    for (const std::string& line : lines)
        expected += Scrambled(line) + "\r\n";
    for (const std::string_view end : {"\n", "\r\n"}) {
        const ToolRun run = RunTool({"scramble"}, JoinLines(lines, end));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, expected);
    }
}

TEST_F(FilterTest, DescrambleGivesBackEveryByte)
{
    const auto lines = EveryByteLines();
    const ToolRun scrambled = RunTool({"scramble"}, JoinLines(lines, "\r\n"));
    for (const std::string_view end : {"\r\n", "\n"}) {
        std::string input = scrambled.out;
        if (end == "\n")
            input.erase(std::remove(input.begin(), input.end(), '\r'), input.end());
        const ToolRun run = RunTool({"descramble"}, input);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, JoinLines(lines, "\n"));
    }
}

TEST_F(FilterTest, DescrambleWritesLineEndsInsideAPlainLineAsTheyAre)
{
    const ToolRun run = RunTool({"descramble"}, Scrambled("a\nb\r\nc\x1A") + "\r\n" + Scrambled("last"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "a\nb\r\nc\x1A\nlast\n");
}

TEST_F(FilterTest, LastLineNeedsNoLineEnd)
{
    EXPECT_EQ(RunTool({"scramble"}, "one\ntwo").out, Scrambled("one") + "\r\n" + Scrambled("two") + "\r\n");
    EXPECT_EQ(RunTool({"scramble"}, "one\r").out, Scrambled("one\r") + "\r\n");
    const ToolRun empty = RunTool({"scramble"}, "");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

TEST_F(FilterTest, UsesTheKeyGiven)
{
    const std::string shortKey = "k";
    const std::string longKey(255, '~');
    for (const std::string& key : {shortKey, longKey}) {
        const ToolRun scrambled = RunTool({"scramble", "--key", QString::fromStdString(key)}, "plain\n\x80\x01\n");
        EXPECT_EQ(scrambled.status, 0);
        EXPECT_EQ(scrambled.out, ScrambleText(key, "plain") + "\r\n" + ScrambleText(key, "\x80\x01") + "\r\n");
        const ToolRun plain = RunTool({"descramble", "--key=" + QString::fromStdString(key)}, scrambled.out);
        EXPECT_EQ(plain.status, 0);
        EXPECT_EQ(plain.out, "plain\n\x80\x01\n");
    }
}

TEST_F(FilterTest, UsesTheKeysBytesWithoutConversion)
{
    // "é" arrives as the two UTF-8 bytes C3 A9, not as the code-page byte E9.
    const ToolRun utf8 = RunTool({"scramble", "--key", QStringLiteral("clé")}, "plain\n");
    EXPECT_EQ(utf8.out, ScrambleText("cl\xC3\xA9", "plain") + "\r\n");
    // Bytes that are no UTF-8 at all, passed by the shell.
    const ToolRun raw = test::RunProgram(
        QStringLiteral("/bin/sh"),
        {"-c", "exec \"$0\" scramble --key \"$(printf '\\377\\200\\001k')\"", QStringLiteral(QUIZDECK_BANK_TOOL)},
        "plain\n", {});
    EXPECT_EQ(raw.status, 0) << raw.err;
    EXPECT_EQ(raw.out, ScrambleText("\xFF\x80\x01k", "plain") + "\r\n");
}

TEST_F(FilterTest, ReportsLinesThatCannotBeDescrambledAndWritesTheOthers)
{
    const std::string input = Scrambled("one") + "\r\n"  //
        + ScrambleText("another key", "two") + "\r\n"  //
        + "three, never scrambled\r\n"  //
        + Scrambled("four") + "\n"  //
        + "\r\n"  //
        + Scrambled("six") + "\r\n";
    const ToolRun run = RunTool({"descramble"}, input);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "one\nfour\nsix\n");
    EXPECT_EQ(run.err,
              "line 2: check header does not match (wrong key or damaged line)\n"
              "line 3: no scrambling markers\n"
              "line 5: empty text\n");
}

TEST_F(FilterTest, WrongKeyRejectsEveryLine)
{
    const ToolRun run =
        RunTool({"descramble", "--key", "wrong"}, Scrambled("one") + "\r\n" + Scrambled("two") + "\r\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("line 1: check header does not match"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 2: check header does not match"), std::string::npos) << run.err;
}

TEST_F(FilterTest, ReportsAnEmptyLineThatCannotBeScrambled)
{
    const ToolRun run = RunTool({"scramble"}, "a\n\r\nb\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, Scrambled("a") + "\r\n" + Scrambled("b") + "\r\n");
    EXPECT_EQ(run.err, "line 2: empty text\n");
}

TEST_F(FilterTest, RejectsKeysOutsideOneTo255Bytes)
{
    for (const QStringList& args :
         {QStringList {"scramble", "--key", ""}, QStringList {"descramble", "--key="},
          QStringList {"scramble", "--key", QString(256, u'k')}, QStringList {"scramble", "--key"}}) {
        const ToolRun run = RunTool(args, "plain\n");
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
}

// ---------------------------------------------------------------------------
// pack

class PackTest : public BankToolTest { };

TEST_F(PackTest, WritesTheDataFile)
{
    write("section.quiz",
          "# Section\nquestion: Which one?\nwrong: Text\nright: Caption\nwrong: Title\nwrong: Name\n"
          "reference: The Caption property.\n");
    const ToolRun run = RunTool({"pack", path("section.quiz"), "-o", path("section.drv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(read("section.drv"), ScrambledFile(Record("1", {"Which one?"})));
}

TEST_F(PackTest, NamesTheSourceLineOfEveryMistakeAndWritesNothing)
{
    write("section.quiz",
          "question: Tools → Menu Editor?\n"  // 1
          "right: a\n"  // 2
          "wrong: b\\q\n"  // 3
          "right: c\n"  // 4
          "reference: r\n"  // 5
          "\n"  // 6
          "lines: 2\n"  // 7
          "question: q\n"  // 8
          "right: a\n"  // 9
          "wrong: b\n"  // 10
          "wrong: c\n"  // 11
          "solution: d\n"  // 12
          "reference: r\n");  // 13
    const ToolRun run = RunTool({"pack", "section.quiz", "-o", "section.drv"}, {}, dir_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "section.quiz:1: character U+2192 \"→\" is not in windows-1252\n"
              "section.quiz:3: unknown escape \"\\q\"; write \"\\\\\" for a backslash or \"\\xHH\" for a byte\n"
              "section.quiz:4: a second \"right:\" answer; exactly one answer is right\n"
              "section.quiz:5: four answers expected, found 3\n"
              "section.quiz:7: \"lines:\" 2 but the question has 1 \"question:\" lines\n"
              "section.quiz:12: unknown keyword \"solution\"\n"
              "section.quiz:13: four answers expected, found 3\n");
    EXPECT_FALSE(exists("section.drv"));
}

TEST_F(PackTest, LeavesAnExistingDataFileAloneWhenTheSourceHasMistakes)
{
    write("section.drv", "old contents");
    write("section.quiz", "right: only one answer\nreference: r\n");
    const ToolRun run = RunTool({"pack", path("section.quiz"), "-o", path("section.drv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(read("section.drv"), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fsPath("")), std::filesystem::directory_iterator()), 2);
}

TEST_F(PackTest, FailsWithStatus2ForFilesItCannotReadOrWrite)
{
    write("section.quiz", "right: a\nwrong: b\nwrong: c\nwrong: d\nreference: r\n");
    std::filesystem::create_directory(fsPath("folder"));
    const ToolRun missing = RunTool({"pack", path("missing.quiz"), "-o", path("out.drv")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("missing.quiz: no such file"), std::string::npos) << missing.err;
    EXPECT_EQ(RunTool({"pack", path("folder"), "-o", path("out.drv")}).status, 2);
    EXPECT_EQ(RunTool({"pack", path("section.quiz"), "-o", path("folder")}).status, 2);
    EXPECT_EQ(RunTool({"pack", path("section.quiz"), "-o", path("no-such-folder/out.drv")}).status, 2);
    EXPECT_FALSE(exists("out.drv"));
}

// ---------------------------------------------------------------------------
// unpack, then pack: byte for byte

struct DataFileCase {
    const char* name;
    std::vector<std::string> lines;  // plain lines, scrambled into the file
    std::string tail;  // bytes after them: an end line
};

void PrintTo(const DataFileCase& data, std::ostream* out)
{
    *out << data.name;
}

std::string Windows1252Controls()
{
    std::string text;
    for (int code = 0x80; code < 0xA0; ++code)
        text += static_cast<char>(code);
    return text;
}

class UnpackPackTest : public BankToolTest, public ::testing::WithParamInterface<DataFileCase> { };

TEST_P(UnpackPackTest, ReproducesTheDataFile)
{
    const std::string original = ScrambledFile(GetParam().lines) + GetParam().tail;
    write("section.drv", original);
    // A file without questions is reported, and still comes back byte for byte.
    const int status = GetParam().lines.empty() ? 1 : 0;
    const ToolRun clean = RunTool({"check", path("section.drv")});
    ASSERT_EQ(clean.status, status) << clean.out << clean.err;

    const ToolRun unpacked = RunTool({"unpack", path("section.drv")});
    ASSERT_EQ(unpacked.status, status) << unpacked.err;
    EXPECT_EQ(unpacked.err,
              status == 0 ? "" : path("section.drv").toStdString() + ":1: " + std::string(kNoQuestionsProblem) + "\n");
    write("section.quiz", unpacked.out);
    const ToolRun packed = RunTool({"pack", path("section.quiz"), "-o", path("again.drv")});
    ASSERT_EQ(packed.status, 0) << packed.err << unpacked.out;
    EXPECT_EQ(read("again.drv"), original) << unpacked.out;
}

INSTANTIATE_TEST_SUITE_P(
    DataFiles, UnpackPackTest,
    ::testing::Values(
        DataFileCase {"OneQuestion", Record("1", {"Which property sets the caption?"}), ""},
        DataFileCase {"NoQuestionLines", Record("0", {}), ""}, DataFileCase {"Empty", {}, ""},
        DataFileCase {"OnlyAnEndLine", {}, "\r\n"},
        DataFileCase {"NonCanonicalNumbers",
                      Joined(Record(" 2", {"Which one?", "Pick one."}, "03"), Record("02 ", {"a", "b"}, " +1")), ""},
        DataFileCase {"Escapes",
                      Record("2", {"back\\slash \\x41", std::string("nul\x00 soh\x01 cr\r lf\n eof\x1A", 22)}, "4"),
                      ""},
        DataFileCase {"BlanksAtBothEnds", Record("3", {" ", "  leading", "trailing  "}), ""},
        DataFileCase {"Windows1252Bytes", Record("1", {Windows1252Controls() + "\xA0\xAD\xE9\xFF"}), ""},
        DataFileCase {"EmptyEndLine", Record("1", {"q"}), "\r\n"},
        DataFileCase {"BlankEndLine", Record("1", {"q"}), "   \r\n"}));

TEST_F(BankToolTest, UnpackWritesWhatItCanAndReportsTheProblems)
{
    write("section.drv", ScrambledFile(Record("1", {"q"}, "7")));
    const ToolRun run = RunTool({"unpack", "section.drv"}, {}, dir_.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "question: q\nwrong: Text\nwrong: Caption\nwrong: Title\nwrong: Name\nanswer-number: 7\n"
              "reference: The Caption property.\n");
    EXPECT_EQ(run.err, "section.drv:7: AnsNum \"7\" is not a number from 1 to 4\n");
}

// ---------------------------------------------------------------------------
// check

class CheckTest : public BankToolTest { };

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

// ---------------------------------------------------------------------------
// Usage

TEST(BankToolUsage, HelpGoesToStandardOutput)
{
    for (const QStringList& args : {QStringList {"--help"}, QStringList {"-h"}, QStringList {"check", "--help"}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("usage: quizdeck-bank", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

TEST(BankToolUsage, MistakesInTheCommandLineGoToStandardErrorWithStatus2)
{
    const std::vector<std::pair<QStringList, std::string>> cases = {
        {{}, "no command"},
        {{"shuffle"}, "unknown command \"shuffle\""},
        {{"--shuffle"}, "unknown option \"--shuffle\""},
        {{"--"}, "no command"},
        {{"scramble", "file.txt"}, "takes no file"},
        {{"scramble", "-o", "x"}, "unknown option \"-o\""},
        {{"pack", "a.quiz"}, "pack needs -o FILE.drv"},
        {{"pack", "-o", "a.drv"}, "pack takes one source file"},
        {{"pack", "a.quiz", "b.quiz", "-o", "a.drv"}, "pack takes one source file"},
        {{"pack", "a.quiz", "-o", "a.drv", "-o", "b.drv"}, "-o given twice"},
        {{"unpack"}, "unpack takes one data file"},
        {{"unpack", "a.drv", "b.drv"}, "unpack takes one data file"},
        {{"check"}, "check needs at least one data file"},
        {{"check", "--key", "k", "a.drv"}, "unknown option \"--key\""},
    };
    for (const auto& [args, message] : cases) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("quizdeck-bank: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("\nusage: quizdeck-bank"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace qd

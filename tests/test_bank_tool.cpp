// quizdeck-bank, run as the real program: filters, pack, unpack, usage (check in
// tests/test_bank_tool_check.cpp).
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

using test::Joined;
using test::Record;
using test::RunTool;
using test::Scrambled;
using test::ScrambledFile;
using test::ToolRun;

class BankToolTest : public test::ToolTest { };

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

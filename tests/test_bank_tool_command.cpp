// quizdeck-bank as a command: its version, the format of an import, and
// what it does with floods of messages, overlong lines and too little memory.
#include <cstddef>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include "Version.h"
#include "bank/Descrambler.h"
#include "bank/Interchange.h"
#include "bank/QuestionFile.h"
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

using test::RunTool;
using test::ScrambledFile;
using test::ToolRun;
using test::UnderAddressSanitizer;
using BankToolTest = test::ToolTest;
using MessageCapTest = test::ToolTest;

std::string Scrambled(std::string_view plain)
{
    return ScrambleText(kQuestionKey, plain);
}

TEST(BankToolUsage, VersionGoesToStandardOutput)
{
    const std::string expected = "quizdeck-bank (" + std::string(version::kProductTitle) + ") "
        + std::to_string(version::kMajor) + "." + std::to_string(version::kMinor) + "."
        + std::to_string(version::kRevision) + "\n";
    for (const QStringList& args : {QStringList {"--version"}, QStringList {"pack", "--version"}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.err, "");
    }
}

// ---------------------------------------------------------------------------
// import: the format

class ImportFormatTest : public BankToolTest { };

const std::string kGiftQuestion = "Which one? {~Text =Caption ~Title ~Name}\n";
const std::string kAikenQuestion = "Which one?\nA. Text\nB. Caption\nC. Title\nD. Name\nANSWER: B\n";

TEST_F(ImportFormatTest, FollowsTheFileNameOrTheFormatGivenInAnyLetterCase)
{
    const std::string expected =
        ScrambledFile({"1", "Which one?", "Text", "Caption", "Title", "Name", "2", std::string(kNoReferenceText)});
    const std::vector<std::tuple<std::string, std::string, QStringList>> cases = {
        {"q.gift", kGiftQuestion, {}},
        {"Q.GIFT", kGiftQuestion, {}},
        {"q.aiken", kAikenQuestion, {}},
        {"q.Txt", kAikenQuestion, {}},
        {"q.dat", kGiftQuestion, {"--format", "GIFT"}},
        {"q.gift", kAikenQuestion, {"--format=Aiken"}},
    };
    for (const auto& [name, text, format] : cases) {
        write(name, text);
        const ToolRun result =
            run(QStringList {"import"} + format + QStringList {QString::fromStdString(name), "-o", "q.drv"});
        EXPECT_EQ(result.status, 0) << name << result.err;
        EXPECT_EQ(result.err, "quizdeck-bank: " + name + ": 1 question imported, 0 skipped, 0 notes\n") << name;
        EXPECT_EQ(read("q.drv"), expected) << name;
        std::filesystem::remove(fsPath("q.drv"));
    }
}

TEST_F(ImportFormatTest, SaysWhenTheFileLooksLikeTheOtherFormat)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"q.txt", kGiftQuestion, "quizdeck-bank: q.txt looks like GIFT, not Aiken; try --format gift\n"},
        {"q.gift", kAikenQuestion, "quizdeck-bank: q.gift looks like Aiken, not GIFT; try --format aiken\n"},
    };
    for (const auto& [name, text, hint] : cases) {
        write(name, text);
        const ToolRun result = run({"import", QString::fromStdString(name), "-o", "q.drv"});
        EXPECT_EQ(result.status, 1) << name;
        EXPECT_NE(result.err.find(hint), std::string::npos) << result.err;
    }
}

// ---------------------------------------------------------------------------
// Floods, long lines and memory

TEST_F(MessageCapTest, ShowsAHundredMessagesOfOneKindAndCountsTheRest)
{
    std::string expected;
    for (int line = 1; line <= 100; ++line)
        expected += "line " + std::to_string(line) + ": no scrambling markers\n";
    expected += "line 151: empty text\n"
                "quizdeck-bank: ... 50 more \"no scrambling markers\" messages left out\n";
    std::string input;
    for (int line = 1; line <= 150; ++line)
        input += "plain\n";
    const ToolRun run = RunTool({"descramble"}, input + "\n" + Scrambled("last") + "\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "last\n");
    EXPECT_EQ(run.err, expected);
}

TEST(BankToolFilter, LinesAcrossTheReadBufferComeThroughWhole)
{
    std::string input;
    std::string expected;
    for (const std::size_t size :
         {std::size_t {65534}, std::size_t {65535}, std::size_t {65536}, std::size_t {200000}}) {
        const std::string line(size, static_cast<char>('a' + size % 26));
        input += line + "\r\n";
        expected += Scrambled(line) + "\r\n";
    }
    const ToolRun run = RunTool({"scramble"}, input + "last\r");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected + Scrambled("last\r") + "\r\n");
}

constexpr std::size_t kMiB = std::size_t {1024} * 1024;

// The tool under a limit of its address space (RLIMIT_AS).
class MemoryLimitTest : public BankToolTest {
protected:
    void SetUp() override
    {
        if (UnderAddressSanitizer())
            GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
        BankToolTest::SetUp();
    }
};

TEST_F(MemoryLimitTest, RunningOutOfMemoryOrOverlongLinesEndWithAMessageAndStatus2)
{
    ASSERT_EQ(test::RunToolLimited({"scramble"}, "/dev/null", test::ToolBaseAddressSpace()).status, 0);
    const std::string tooLong =
        "quizdeck-bank: standard input: line 1 is longer than 64 MiB; nothing from it on is converted\n";
    const std::vector<std::tuple<const char*, std::size_t, std::string>> cases = {
        {"scramble", 16 * kMiB, "quizdeck-bank: out of memory\n"},
        {"descramble", 16 * kMiB, "quizdeck-bank: out of memory\n"},
        {"scramble", 512 * kMiB, tooLong},
        {"descramble", 512 * kMiB, tooLong},
    };
    for (const auto& [command, extra, message] : cases) {
        const ToolRun run = test::RunToolLimited({command}, "/dev/zero", test::ToolBaseAddressSpace() + extra);
        EXPECT_EQ(run.status, 2) << command << " " << extra / kMiB;
        EXPECT_EQ(run.err, message) << command << " " << extra / kMiB;
    }
    write("huge.drv", "");
    std::filesystem::resize_file(fsPath("huge.drv"), 256 * kMiB);
    for (const char* command : {"check", "unpack"}) {
        const ToolRun run =
            test::RunToolLimited({command, path("huge.drv")}, "/dev/null", test::ToolBaseAddressSpace() + 16 * kMiB);
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.err.rfind("quizdeck-bank: ", 0), 0u) << run.err;
    }
}

// The same in every build, the sanitizer's too: an endless line ends with a
// message and status 2, never an abort. Under the address sanitizer, which
// allows no address-space limit (and ends the process itself when memory runs
// out), the limit is the sanitizer's own on one allocation, well above what
// the tool needs to hold its longest line.
TEST(BankToolFilter, AnEndlessLineEndsWithAMessageInEveryBuild)
{
    QProcess process;
    process.setStandardInputFile(QStringLiteral("/dev/zero"));
    process.setStandardOutputFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (UnderAddressSanitizer())
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("max_allocation_size_mb=512"));
    process.setProcessEnvironment(environment);
    for (const char* command : {"scramble", "descramble"}) {
        process.start(QStringLiteral(QUIZDECK_BANK_TOOL), {QString::fromLatin1(command)});
        ASSERT_TRUE(process.waitForFinished(120000)) << command;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << command;
        EXPECT_EQ(process.exitCode(), 2) << command;
        EXPECT_EQ(process.readAllStandardError().toStdString(),
                  "quizdeck-bank: standard input: line 1 is longer than 64 MiB; nothing from it on is converted\n")
            << command;
    }
}

TEST_F(MemoryLimitTest, FiltersHoldOneLineAtATime)
{
    std::string plain;
    for (int line = 0; line < 4000000; ++line)
        plain += "x\n";
    const std::string one = Scrambled("x") + "\r\n";
    std::string scrambled;
    for (int line = 0; line < 2000000; ++line)
        scrambled += one;
    write("plain.txt", plain);
    write("scrambled.drv", scrambled);
    for (const auto& [command, input] :
         {std::pair {"scramble", "plain.txt"}, std::pair {"descramble", "scrambled.drv"}}) {
        const ToolRun run = test::RunToolLimited({command}, path(input), test::ToolBaseAddressSpace() + 32 * kMiB);
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_EQ(run.err, "") << command;
    }
}

}  // namespace
}  // namespace qd

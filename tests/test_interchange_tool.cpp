// The import and export commands of quizdeck-bank, run as the real program.
#include <string>

#include <gtest/gtest.h>

#include "bank/Interchange.h"
#include "bank/QuestionSource.h"
#include "tests/InterchangeSupport.h"
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

using namespace test::interchange;

using InterchangeToolTest = test::ToolTest;
using test::ToolRun;
using ImportToolTest = InterchangeToolTest;
using ExportToolTest = InterchangeToolTest;

TEST_F(ImportToolTest, WritesTheDataFileAndExitsWith0WhenEverythingIsImported)
{
    write("props.gift", std::string(kGiftSample));
    const ToolRun gift = run({"import", "--format", "gift", "props.gift", "-o", "props.drv"});
    EXPECT_EQ(gift.status, 0) << gift.err;
    EXPECT_EQ(gift.out, "");
    EXPECT_EQ(gift.err, "quizdeck-bank: props.gift: 2 questions imported, 0 skipped, 0 notes\n");
    EXPECT_EQ(read("props.drv"), WriteDataFile(GiftSampleBank()));

    write("props.txt", "Which one?\nA. Text\nB. Caption\nC. Title\nD. Name\nANSWER: B\n");
    const ToolRun aiken = run({"import", "--format=aiken", "props.txt", "-o", "aiken.drv"});
    EXPECT_EQ(aiken.status, 0) << aiken.err;
    EXPECT_EQ(aiken.err, "quizdeck-bank: props.txt: 1 question imported, 0 skipped, 0 notes\n");
    EXPECT_EQ(read("aiken.drv"), WriteDataFile(Bank({Card({"Which one?"}, {"Text", "Caption", "Title", "Name"}, 2)})));
}

TEST_F(ImportToolTest, ReportsSkippedQuestionsWritesTheOthersAndExitsWith1)
{
    write("mixed.gift",
          "// two good, two skipped\n"  // 1
          "Good? {=a ~b ~c ~d}\n"  // 2
          "\n"  // 3
          "Which → one? {=a ~b ~c ~d}\n"  // 4
          "\n"  // 5
          "True? {T}\n"  // 6
          "\n"  // 7
          "Also good? {~a =b ~c ~d}\n");  // 8
    write("mixed.drv", "old contents");
    const ToolRun result = run({"import", "--format", "gift", "mixed.gift", "-o", "mixed.drv"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "mixed.gift:4: character U+2192 \"→\" is not in windows-1252\n"
              "mixed.gift:6: a true/false question is not supported\n"
              "quizdeck-bank: mixed.gift: 2 questions imported, 2 skipped, 0 notes\n");
    EXPECT_EQ(
        read("mixed.drv"),
        WriteDataFile(Bank({Card({"Good?"}, {"a", "b", "c", "d"}, 1), Card({"Also good?"}, {"a", "b", "c", "d"}, 2)})));
}

TEST_F(ImportToolTest, WritesNothingWhenNoQuestionCanBeImported)
{
    write("none.txt", "Q?\nA. a\nB. b\nC. c\nANSWER: A\n");
    write("old.drv", "old contents");
    const ToolRun missing = run({"import", "--format", "aiken", "none.txt", "-o", "new.drv"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "none.txt:5: 3 choices; a card holds exactly four\n"
              "quizdeck-bank: none.txt: 0 questions imported, 1 skipped, 0 notes\n"
              "quizdeck-bank: none.txt: no question could be imported; new.drv is not written\n");
    EXPECT_FALSE(exists("new.drv"));
    EXPECT_EQ(run({"import", "--format", "aiken", "none.txt", "-o", "old.drv"}).status, 1);
    EXPECT_EQ(read("old.drv"), "old contents");
    write("empty.gift", "// nothing yet\n");
    EXPECT_EQ(run({"import", "--format", "gift", "empty.gift", "-o", "new.drv"}).status, 1);
    EXPECT_FALSE(exists("new.drv"));
}

TEST_F(ImportToolTest, ExitsWith2ForFilesItCannotReadOrWrite)
{
    write("good.gift", "Q? {=a ~b ~c ~d}\n");
    std::filesystem::create_directory(fsPath("folder"));
    const ToolRun missing = run({"import", "--format", "gift", "missing.gift", "-o", "out.drv"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "quizdeck-bank: missing.gift: no such file\n");
    EXPECT_EQ(run({"import", "--format", "gift", "folder", "-o", "out.drv"}).status, 2);
    EXPECT_EQ(run({"import", "--format", "gift", "good.gift", "-o", "folder"}).status, 2);
    EXPECT_EQ(run({"import", "--format", "gift", "good.gift", "-o", "no-such-folder/out.drv"}).status, 2);
    EXPECT_FALSE(exists("out.drv"));
}

TEST_F(InterchangeToolTest, UsageMistakesExitWith2)
{
    const std::vector<std::pair<QStringList, std::string>> cases = {
        {{"import", "a.dat", "-o", "a.drv"},
         "import needs --format gift, aiken or xml (\"a.dat\" ends in none of .gift, .aiken, .txt and .xml)"},
        {{"import", "--format", "moodle", "a.gift", "-o", "a.drv"},
         "unknown format \"moodle\"; use gift, aiken or xml"},
        {{"import", "--format", "gift", "a.gift"}, "import needs -o FILE.drv"},
        {{"import", "--format", "gift", "-o", "a.drv"}, "import takes one source file"},
        {{"import", "--format", "gift", "--format", "aiken", "a.gift", "-o", "a.drv"}, "--format given twice"},
        {{"import", "--format"}, "--format needs a value"},
        {{"export", "a.drv"}, "export needs --format gift, aiken or xml"},
        {{"export", "--format", "gift"}, "export takes one data file"},
        {{"export", "--format", "gift", "a.drv", "-o", "b.txt"}, "unknown option \"-o\" for export"},
        {{"unpack", "--format", "gift", "a.drv"}, "unknown option \"--format\" for unpack"},
    };
    for (const auto& [args, message] : cases) {
        const ToolRun result = run(args);
        EXPECT_EQ(result.status, 2) << args.join(u' ').toStdString();
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("quizdeck-bank: " + message + "\n", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("\nusage: quizdeck-bank"), std::string::npos) << result.err;
    }
    const ToolRun help = run({"--help"});
    EXPECT_NE(help.out.find("quizdeck-bank import --format gift|aiken|xml SOURCE -o FILE.drv"), std::string::npos);
    EXPECT_NE(help.out.find("quizdeck-bank export --format gift|aiken|xml FILE.drv"), std::string::npos);
}

TEST_F(ExportToolTest, WritesGiftAndAikenToStandardOutput)
{
    const StoredBank bank = TrickyBank();
    write("tricky.drv", WriteDataFile(bank));
    const ToolRun gift = run({"export", "--format", "gift", "tricky.drv"});
    EXPECT_EQ(gift.status, 0) << gift.err;
    EXPECT_EQ(gift.err, "");
    EXPECT_EQ(gift.out, ExportGift(bank).text);

    const ToolRun aiken = run({"export", "--format=aiken", "tricky.drv"});
    EXPECT_EQ(aiken.status, 1) << aiken.err;
    EXPECT_EQ(aiken.out, ExportAiken(bank).text);
    EXPECT_EQ(aiken.err,
              "tricky.drv:19: question 3 cannot be written in Aiken: it has no question text, which Aiken needs\n"
              "quizdeck-bank: Aiken has no place for references: 3 references left out\n");
}

TEST_F(ExportToolTest, SaysNothingAboutReferencesWhenNoneIsLost)
{
    write("plain.drv", WriteDataFile(Bank({Card({"q?"}, {"a", "b", "c", "d"}, 1)})));
    const ToolRun aiken = run({"export", "--format", "aiken", "plain.drv"});
    EXPECT_EQ(aiken.status, 0);
    EXPECT_EQ(aiken.err, "");
}

TEST_F(ExportToolTest, NamesTheLineOfEveryQuestionItLeavesOutAndExitsWith1)
{
    write("section.drv",
          WriteDataFile(Bank({
              Card({"fine"}, {"a", "b", "c", "d"}, 1),  // lines 1 to 8
              Card({"q", "r"}, {"a", "b ", "c", "d"}, 1),  // lines 9 to 17
              Card({"A. q"}, {"a", "b", "c", "d"}, 1),  // lines 18 to 25
          })));
    const ToolRun gift = run({"export", "--format", "gift", "section.drv"});
    EXPECT_EQ(gift.status, 1);
    EXPECT_EQ(gift.err,
              "section.drv:9: question 2 cannot be written in GIFT: answer 2 begins or ends with a "
              "blank, which an import drops\n");
    EXPECT_EQ(gift.out.find("::Q2::"), std::string::npos);
    EXPECT_NE(gift.out.find("::Q3:: A. q {"), std::string::npos);
    const ToolRun aiken = run({"export", "--format", "aiken", "section.drv"});
    EXPECT_EQ(aiken.status, 1);
    EXPECT_EQ(aiken.err,
              "section.drv:9: question 2 cannot be written in Aiken: answer 2 begins or ends with a "
              "blank, which an import drops\n"
              "section.drv:18: question 3 cannot be written in Aiken: its question text would be read as a "
              "choice (\"A.\")\n");
    EXPECT_EQ(aiken.out, "fine\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n");
}

TEST_F(ExportToolTest, ReportsTheProblemsOfTheDataFileAsCheckDoes)
{
    write("bad.drv", test::ScrambledFile({"0", "a", "b", "c", "d", "7", "r"}));
    const ToolRun result = run({"export", "--format", "gift", "bad.drv"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "bad.drv:6: AnsNum \"7\" is not a number from 1 to 4\n"
              "bad.drv:1: question 1 cannot be written in GIFT: AnsNum \"7\" is not a number from 1 to 4\n");
    EXPECT_EQ(run({"export", "--format", "gift", "missing.drv"}).status, 2);
}

TEST_F(InterchangeToolTest, ImportedBanksExportAndImportAgainUnchanged)
{
    write("props.gift", std::string(kGiftSample));
    ASSERT_EQ(run({"import", "--format", "gift", "props.gift", "-o", "first.drv"}).status, 0);
    for (const char* format : {"gift", "aiken"}) {
        SCOPED_TRACE(format);
        const ToolRun exported = run({"export", "--format", format, "first.drv"});
        ASSERT_EQ(exported.status, 0) << exported.err;
        write("again.txt", exported.out);
        const ToolRun imported = run({"import", "--format", format, "again.txt", "-o", "again.drv"});
        ASSERT_EQ(imported.status, 0) << imported.err;
        const InterchangeFormat which =
            std::string(format) == "gift" ? InterchangeFormat::Gift : InterchangeFormat::Aiken;
        EXPECT_EQ(read("again.drv"), WriteDataFile(AsImported(GiftSampleBank(), which)));
    }
}

}  // namespace
}  // namespace qd

// GIFT and Aiken: exporting question banks, the round trip between export and
// import, and the import and export commands of quizdeck-bank. The imports
// themselves: test_gift_import.cpp and test_aiken_import.cpp.
#include "bank/Interchange.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "bank/QuestionSource.h"
#include "shell/Failure.h"
#include "tests/InterchangeSupport.h"
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

using namespace test::interchange;

// ---------------------------------------------------------------------------
// A GIFT sample, imported here and by the commands below

constexpr std::string_view kGiftSample =
    "// Section 4: object properties\n"  // 1
    "// Each question has four answers.\n"  // 2
    "\n"  // 3
    "::Caption:: Which property sets the text in a window's title bar? {\n"  // 4
    "  =Caption\n"  // 5
    "  ~Text\n"  // 6
    "  // Title is a common guess.\n"  // 7
    "  ~Title\n"  // 8
    "  ~Name\n"  // 9
    "  ####A form's Caption property holds the text of its title bar.\n"  // 10
    "}\n"  // 11
    "\n"  // 12
    "::Visible::[plain]Which property hides a control?\\nPick one. {~Enabled =Visible ~Hidden ~Show}\n";  // 13

StoredBank GiftSampleBank()
{
    return Bank({
        Card({"Which property sets the text in a window's title bar?"}, {"Caption", "Text", "Title", "Name"}, 1,
             "A form's Caption property holds the text of its title bar."),
        Card({"Which property hides a control?", "Pick one."}, {"Enabled", "Visible", "Hidden", "Show"}, 2),
    });
}

TEST(InterchangeGift, ReadsCommentsTitlesFormatsAndTheReference)
{
    const ImportResult result = ImportGift(kGiftSample);
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(result.skipped, 0u);
    EXPECT_EQ(result.bank, GiftSampleBank());
}

// ---------------------------------------------------------------------------
// Export

StoredBank TrickyBank()
{
    return Bank({
        Card({"Tom & Jerry: {braces}, = and ~ and #hash?", "C:\\temp\\new \\n folder", "::not a title::"},
             {"a & b", "{x}", "=~#", "a -> b"}, 3, "See \\\\server\\share: {1} = #2 ~ 3 ####"),
        Card({"Caf\xE9 co\xFBte 5 \x80, \x93quoted\x94 \x85"}, {"\xE9t\xE9", "\x80", "tab\tinside", "%50 percent"}, 1,
             "\xA9 \x99 \xA0no-break\xAD"),
        Card({}, {"A. not a choice", "ANSWER: B", "// not a comment", "$CATEGORY: no"}, 4, "r"),
        Card({"[html] looks like a format", "B. is no start of the choices", "Answer: in lower case", "T"},
             {"T", "{#1}", "}", "{"}, 2, kNoReference),
        Card({"// at the start", "$CATEGORY: not one"}, {"x \\", "\\", "\\\\", "::"}, 1, "#"),
    });
}

TEST(InterchangeExport, WritesGift)
{
    const StoredBank bank = Bank({
        Card({"Which one?", "Pick {one}."}, {"Text", "Caption", "a = b", "#1"}, 2, "The Caption: see \\help."),
        Card({"Caf\xE9 \x80?"}, {"a", "b", "c", "d"}, 4),
    });
    const ExportResult result = ExportGift(bank);
    EXPECT_EQ(Describe(result.problems), "");
    EXPECT_EQ(result.referencesDropped, 0u);
    EXPECT_EQ(result.text,
              "::Q1:: Which one?\\nPick \\{one\\}. {\n"
              "~Text\n"
              "=Caption\n"
              "~a \\= b\n"
              "~\\#1\n"
              "####The Caption\\: see \\\\help.\n"
              "}\n"
              "\n"
              "::Q2:: Café €? {\n"
              "~a\n"
              "~b\n"
              "~c\n"
              "=d\n"
              "}\n");
}

TEST(InterchangeExport, WritesAiken)
{
    const StoredBank bank = Bank({
        Card({"Which one?", "Pick {one}."}, {"Text", "Caption", "a = b", "#1"}, 2, "The Caption property."),
        Card({"Caf\xE9 \x80?"}, {"a", "b", "c", "d"}, 4),
    });
    const ExportResult result = ExportAiken(bank);
    EXPECT_EQ(Describe(result.problems), "");
    EXPECT_EQ(result.referencesDropped, 1u);
    EXPECT_EQ(result.text,
              "Which one? Pick {one}.\nA. Text\nB. Caption\nC. a = b\nD. #1\nANSWER: B\n"
              "\n"
              "Café €?\nA. a\nB. b\nC. c\nD. d\nANSWER: D\n");
}

TEST(InterchangeExport, LeavesOutQuestionsTheFormatCannotCarry)
{
    QuestionRecord badNumber = Card({"q"}, {"a", "b", "c", "d"}, 1);
    badNumber.AnsNum = "7";
    QuestionRecord badCount = Card({"q"}, {"a", "b", "c", "d"}, 1);
    badCount.NumLines = "2";
    const StoredBank bank = Bank({
        Card({"fine"}, {"a", "b", "c", "d"}, 1),  // 0
        badNumber,  // 1
        badCount,  // 2
        Card({"q", ""}, {"a", "b", "c", "d"}, 1),  // 3
        Card({"q"}, {"a", "b ", "c", "d"}, 1),  // 4
        Card({"q"}, {"a", "b", "c", "line\nbreak"}, 1),  // 5
        Card({"\tq"}, {"a", "b", "c", "d"}, 1),  // 6
        Card({"q?"}, {"a", "b", "c", "d"}, 1, " r"),  // 7 GIFT only
        Card({"q?"}, {"a", "%50%b", "c", "d"}, 1),  // 8 GIFT only
        Card({"A. q"}, {"a", "b", "c", "d"}, 1),  // 9 Aiken only
        Card({"ANSWER: A"}, {"a", "b", "c", "d"}, 1),  // 10 Aiken only
        Card({"q\x81"}, {"a", "b", "c", "d"}, 1),  // 11
        Card({"also fine"}, {"a", "b", "c", "d"}, 1),  // 12
        Card({"E.g.", "this"}, {"a", "b", "c", "d"}, 1),  // 13 Aiken only
        Card({"?"}, {"a", "b", "c", "d"}, 1),  // 14 Aiken only
        Card({}, {"a", "b", "c", "d"}, 1),  // 15 Aiken only
        Card({"q", "A. r"}, {"[html]a", "b", "c", "d"}, 1, "[moodle]r"),  // 16
    });
    const std::string common = "1: AnsNum \"7\" is not a number from 1 to 4\n"
                               "2: NumLines \"2\" does not match its 1 question lines\n"
                               "3: question line 2 is empty\n"
                               "4: answer 2 begins or ends with a blank, which an import drops\n"
                               "5: answer 4 holds the control character U+000A\n"
                               "6: question line 1 begins or ends with a blank, which an import drops\n";
    const ExportResult gift = ExportGift(bank);
    EXPECT_EQ(Describe(gift.problems),
              common
                  + "7: the reference begins or ends with a blank, which an import drops\n"
                    "8: answer 2 begins like an answer weight (\"%50%\")\n"
                    "11: question line 1 holds the control character U+0081\n");
    const ExportResult aiken = ExportAiken(bank);
    EXPECT_EQ(Describe(aiken.problems),
              common
                  + "9: its question text would be read as a choice (\"A.\")\n"
                    "10: its question text would be read as the \"ANSWER:\" line\n"
                    "11: question line 1 holds the control character U+0081\n"
                    "13: its question text would be read as a choice (\"E.\")\n"
                    "14: its question text \"?\" is one character, which Aiken ignores\n"
                    "15: it has no question text, which Aiken needs\n");
    EXPECT_EQ(ImportGift(gift.text).bank,
              Bank({bank.questions[0], bank.questions[9], bank.questions[10], bank.questions[12], bank.questions[13],
                    bank.questions[14], bank.questions[15], bank.questions[16]}));
    EXPECT_NE(gift.text.find("=[plain][html]a\n"), std::string::npos);
    EXPECT_NE(gift.text.find("####[plain][moodle]r\n"), std::string::npos);
    EXPECT_EQ(ImportAiken(aiken.text).bank,
              Bank({bank.questions[0], Card({"q?"}, {"a", "b", "c", "d"}, 1), bank.questions[8], bank.questions[12],
                    Card({"q A. r"}, {"[html]a", "b", "c", "d"}, 1)}));
}

// ---------------------------------------------------------------------------
// Round trips

// What an import gives back for a stored question: plain numbers, and for
// Aiken the question lines joined into one and the reference every Aiken
// import writes.
QuestionRecord AsImported(QuestionRecord question, InterchangeFormat format)
{
    const std::vector<std::string> lines = QuestionLinesOf(question);
    question.NumLines = std::to_string(lines.size());
    question.AnsNum = std::to_string(std::stoi(question.AnsNum));
    if (format == InterchangeFormat::Aiken) {
        question.Ref = kNoReference;
        std::string line;
        for (const std::string& text : lines)
            line += (line.empty() ? "" : " ") + text;
        question.Question.clear();
        AddQuestionLine(question, line);
        question.NumLines = "1";
    }
    return question;
}

StoredBank AsImported(const StoredBank& bank, InterchangeFormat format)
{
    StoredBank imported;
    for (const QuestionRecord& question : bank.questions)
        imported.questions.push_back(AsImported(question, format));
    return imported;
}

// The questions an export wrote, as an import gives them back.
StoredBank Exported(const StoredBank& bank, const ExportResult& exported, InterchangeFormat format)
{
    StoredBank expected;
    std::size_t problem = 0;
    for (std::size_t i = 0; i < bank.questions.size(); ++i) {
        if (problem < exported.problems.size() && exported.problems[problem].question == i)
            ++problem;
        else
            expected.questions.push_back(AsImported(bank.questions[i], format));
    }
    return expected;
}

TEST(InterchangeRoundTrip, ExportThenImportGivesBackTheSameQuestions)
{
    const StoredBank bank = TrickyBank();
    for (const InterchangeFormat format : {InterchangeFormat::Gift, InterchangeFormat::Aiken}) {
        SCOPED_TRACE(format == InterchangeFormat::Gift ? "GIFT" : "Aiken");
        const ExportResult exported = ExportQuestions(format, bank);
        ASSERT_EQ(Describe(exported.problems),
                  format == InterchangeFormat::Gift ? "" : "2: it has no question text, which Aiken needs\n");
        const ImportResult imported = ImportQuestions(format, exported.text);
        EXPECT_EQ(Describe(imported.errors), "") << exported.text;
        EXPECT_EQ(Describe(imported.notes), "") << exported.text;
        EXPECT_EQ(imported.bank, Exported(bank, exported, format)) << exported.text;
    }
}

// Every bundled bank goes out in both formats and comes back the same.
TEST(InterchangeRoundTrip, HoldsForEveryBundledBank)
{
    const std::filesystem::path data = std::filesystem::path(QUIZDECK_SOURCE_DIR) / "data";
    std::size_t banks = 0;
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        if (entry.path().extension() != ".quiz")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++banks;
        std::ifstream file(entry.path(), std::ios::binary);
        const ParsedSource source = ParseSource(std::string(std::istreambuf_iterator<char>(file), {}));
        ASSERT_EQ(Describe(source.errors), "");
        for (const InterchangeFormat format : {InterchangeFormat::Gift, InterchangeFormat::Aiken}) {
            const ExportResult exported = ExportQuestions(format, source.bank);
            EXPECT_EQ(Describe(exported.problems), "");
            const ImportResult imported = ImportQuestions(format, exported.text);
            EXPECT_EQ(Describe(imported.errors), "");
            EXPECT_EQ(Describe(imported.notes), "");
            EXPECT_EQ(imported.bank, Exported(source.bank, exported, format));
        }
    }
    EXPECT_GE(banks, 15u);
}

TEST(InterchangeRoundTrip, KeepsEveryAnswerPlaceAndNonCanonicalNumbersComeBackPlain)
{
    std::vector<QuestionRecord> questions;
    for (int right = 1; right <= 4; ++right)
        questions.push_back(Card({"q" + std::to_string(right)}, {"a", "b", "c", "d"}, right, "r"));
    questions[0].NumLines = " 1";
    questions[1].AnsNum = "02";
    const StoredBank bank = Bank(questions);
    for (const InterchangeFormat format : {InterchangeFormat::Gift, InterchangeFormat::Aiken}) {
        const ImportResult imported = ImportQuestions(format, ExportQuestions(format, bank).text);
        EXPECT_EQ(imported.bank, AsImported(bank, format));
        EXPECT_EQ(imported.bank.questions[0].NumLines, "1");
        EXPECT_EQ(imported.bank.questions[1].AnsNum, "2");
    }
}

// A text of bytes drawn mostly from the characters the formats treat
// specially; now and then a byte no format carries (a line break, a control
// character), a blank at an end or any byte at all.
std::string RandomText(std::mt19937& random)
{
    static const std::string special = "{}=~#:\\[]%->/nT$ATEGORY.)\xE9\x80\xA0"
                                       "aA ";
    static const std::string hazards = "\t\r\n\x81 ";
    std::uniform_int_distribution<int> length(0, 10);
    std::uniform_int_distribution<int> pick(0, 199);
    std::uniform_int_distribution<std::size_t> specialIndex(0, special.size() - 1);
    std::uniform_int_distribution<std::size_t> hazardIndex(0, hazards.size() - 1);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::string text = "x";
    for (int i = length(random); i > 0; --i) {
        const int kind = pick(random);
        text += kind < 2 ? hazards[hazardIndex(random)]
            : kind < 4   ? static_cast<char>(anyByte(random))
                         : special[specialIndex(random)];
    }
    std::shuffle(text.begin(), text.end(), random);
    return pick(random) < 2 ? std::string() : text;
}

QuestionRecord RandomQuestion(std::mt19937& random)
{
    std::uniform_int_distribution<int> lines(0, 3);
    std::uniform_int_distribution<int> right(1, 4);
    QuestionRecord question;
    const int count = lines(random);
    for (int i = count; i > 0; --i)
        AddQuestionLine(question, RandomText(random));
    question.NumLines = std::to_string(count);
    for (std::size_t i = 0; i < kAnswerCount; ++i)
        question.answer(i) = RandomText(random);
    question.AnsNum = std::to_string(right(random));
    question.Ref = RandomText(random);
    return question;
}

// Whatever an export writes, the import gives back; what it leaves out, it reports.
TEST(InterchangeRoundTrip, HoldsForRandomQuestions)
{
    std::mt19937 random(20240607);
    StoredBank bank;
    for (int i = 0; i < 3000; ++i)
        bank.questions.push_back(RandomQuestion(random));
    for (const InterchangeFormat format : {InterchangeFormat::Gift, InterchangeFormat::Aiken}) {
        SCOPED_TRACE(format == InterchangeFormat::Gift ? "GIFT" : "Aiken");
        const ExportResult exported = ExportQuestions(format, bank);
        const StoredBank expected = Exported(bank, exported, format);
        EXPECT_EQ(expected.questions.size() + exported.problems.size(), bank.questions.size());
        EXPECT_GT(expected.questions.size(), 1000u);
        const ImportResult imported = ImportQuestions(format, exported.text);
        EXPECT_EQ(Describe(imported.errors), "");
        ASSERT_EQ(imported.bank.questions.size(), expected.questions.size());
        for (std::size_t i = 0; i < expected.questions.size(); ++i)
            ASSERT_EQ(imported.bank.questions[i], expected.questions[i]) << UnpackSource(Bank({expected.questions[i]}));
    }
}

// Any bytes import without harm, and whatever is imported can be written.
TEST(InterchangeRoundTrip, AnyBytesImportWithoutHarm)
{
    std::mt19937 random(7);
    std::vector<std::string> sources = {std::string(kGiftSample), ExportGift(TrickyBank()).text,
                                        ExportAiken(TrickyBank()).text};
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int i = 0; i < 200; ++i) {
        std::string noise;
        for (int j = 0; j < 200; ++j)
            noise += static_cast<char>(anyByte(random));
        sources.push_back(noise);
    }
    for (const std::string& source : sources) {
        for (std::size_t size = 0; size <= source.size(); size += 3) {
            const std::string_view prefix(source.data(), size);
            for (const ImportResult& result : {ImportGift(prefix), ImportAiken(prefix)}) {
                EXPECT_NO_THROW(WriteDataFile(result.bank));
                EXPECT_LE(result.skipped, result.errors.size());
                EXPECT_TRUE(std::is_sorted(result.errors.begin(), result.errors.end(),
                                           [](const SourceError& a, const SourceError& b) { return a.line < b.line; }));
            }
        }
    }
}

// ---------------------------------------------------------------------------
// The import and export commands

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

// GIFT and Aiken: exporting question banks and the round trip between export
// and import. The imports themselves: test_gift_import.cpp and
// test_aiken_import.cpp; the commands of quizdeck-bank: test_interchange_tool.cpp.
#include "bank/Interchange.h"

#include <algorithm>
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

TEST(InterchangeGift, ReadsCommentsTitlesFormatsAndTheReference)
{
    const ImportResult result = ImportGift(kGiftSample);
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(result.skipped, 0u);
    EXPECT_EQ(result.bank, GiftSampleBank());
}

// ---------------------------------------------------------------------------
// Export

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

// Keeps the messages an import hands on as they come.
struct KeptMessages : ImportMessages {
    void error(const SourceError& e) override { errors.push_back(e); }
    void note(const SourceError& n) override { notes.push_back(n); }
    std::vector<SourceError> errors;
    std::vector<SourceError> notes;
};

// The bank tool's import writes each question as it comes: the data file is
// the one the kept questions make, and the messages are the same.
TEST(InterchangeImport, WritingAsItGoesGivesTheDataFileOfTheKeptQuestions)
{
    std::vector<std::pair<InterchangeFormat, std::string>> sources = {
        {InterchangeFormat::Gift, "Good? {=a ~b ~c ~d}\n\nBad {=a}\n\n[html]<img src=x>Pic? {=a ~b ~c ~d}\n"},
        {InterchangeFormat::Aiken, "Good?\nA. a\nB. b\nC. c\nD. d\nANSWER: B\n\nBad\nA. a\nx\n"},
    };
    for (const auto& [name, text] : test::BundledSources()) {
        const ParsedSource source = ParseSource(text);
        for (const InterchangeFormat format : {InterchangeFormat::Gift, InterchangeFormat::Aiken})
            sources.emplace_back(format, ExportQuestions(format, source.bank).text);
    }
    for (const auto& [format, text] : sources) {
        const ImportResult kept = ImportQuestions(format, text);
        KeptMessages messages;
        const ImportResult written =
            format == InterchangeFormat::Gift ? ImportGift(text, messages) : ImportAiken(text, messages);
        ASSERT_FALSE(kept.bank.questions.empty()) << text;
        EXPECT_TRUE(written.bank.questions.empty());
        EXPECT_EQ(written.imported, kept.bank.questions.size());
        EXPECT_EQ(kept.imported, kept.bank.questions.size());
        EXPECT_EQ(written.dataFile, WriteDataFile(kept.bank)) << text;
        EXPECT_FALSE(written.writeFailure);
        EXPECT_EQ(Describe(messages.errors), Describe(kept.errors));
        EXPECT_EQ(Describe(messages.notes), Describe(kept.notes));
    }
    EXPECT_NE(Describe(ImportQuestions(InterchangeFormat::Gift, sources[0].second).errors), "");
    EXPECT_NE(Describe(ImportQuestions(InterchangeFormat::Gift, sources[0].second).notes), "");
}

// Every bundled bank goes out in both formats and comes back the same.
TEST(InterchangeRoundTrip, HoldsForEveryBundledBank)
{
    const std::vector<test::BundledSource> sources = test::BundledSources();
    for (const auto& [name, text] : sources) {
        SCOPED_TRACE(name);
        const ParsedSource source = ParseSource(text);
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
    EXPECT_GE(sources.size(), 15u);
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

}  // namespace
}  // namespace qd

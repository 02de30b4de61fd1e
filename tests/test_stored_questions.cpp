// Unpack and export question by question: the questions of a load made one at
// a time in one record give what the whole stored bank gives, and text handed
// to a stream a chunk at a time is the text kept whole.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bank/Descrambler.h"
#include "bank/Interchange.h"
#include "bank/LoadRecorder.h"
#include "bank/QuestionRecords.h"
#include "bank/QuestionSource.h"
#include "bank/StoredQuestions.h"
#include "tests/InterchangeSupport.h"
#include "tests/TestSupport.h"

namespace qd {
namespace {

using test::ScrambledFile;
using test::interchange::Bank;
using test::interchange::Card;
using test::interchange::Describe;

// Every question and the end line, as LoadedQuestions gives them.
StoredBank Collected(StoredQuestions& questions)
{
    StoredBank bank;
    while (const QuestionRecord* question = questions.next())
        bank.questions.push_back(*question);
    if (const auto endLine = questions.endLine())
        bank.endLine = std::string(*endLine);
    return bank;
}

TEST(LoadedQuestions, GiveWhatStoredBankFromLoadGives)
{
    const std::vector<std::string> good = {"2", "Which one?", "second line", "a", "b", "c", "d", "2", "a reference"};
    std::vector<std::string> damaged = good;
    damaged.insert(damaged.end(), {"1", "one\r\ntwo", "e", "f", "g", "h", "04", "r"});
    damaged.insert(damaged.end(), good.begin(), good.end());
    // A record cut short after a whole one: its answers are empty, not the last one's.
    damaged.insert(damaged.end(), {"1", "cut"});
    const ParsedSource packed = ParseSource("lines: 02\nquestion: Which one?\nquestion: \\x20\nwrong: a\\x00\n"
                                            "wrong: b\nright: c\nwrong: d\nanswer-number: 3\\x20\nreference: r\n\n"
                                            "end:  \\x20\n");
    ASSERT_TRUE(packed.errors.empty()) << test::interchange::Describe(packed.errors);
    const std::vector<std::string> files = {
        ScrambledFile(damaged),     ScrambledFile(good) + "garbage\r\n" + ScrambledFile(good),
        WriteDataFile(packed.bank), ScrambledFile(good) + "\r\n" + ScrambledFile(good),
        ScrambledFile(good) + "  ", "",
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        LoadRecorder load(files[i]);
        CountDataFileRecords(files[i], load);
        LoadedQuestions questions(load, files[i]);
        const StoredBank collected = Collected(questions);
        const StoredBank whole = StoredBankFromLoad(load, files[i]);
        EXPECT_EQ(collected.questions, whole.questions) << "file " << i;
        EXPECT_EQ(collected.endLine, whole.endLine) << "file " << i;
        EXPECT_FALSE(questions.next()) << "file " << i;
    }
}

// Questions enough for many chunks, some of which no format carries.
StoredBank ManyQuestions()
{
    StoredBank bank;
    const std::string longText(300, 'x');
    for (int i = 0; i < 3000; ++i) {
        const std::string n = std::to_string(i);
        bank.questions.push_back(Card({"Question " + n + "? " + longText, "Tom & Jerry ]]> {braces} \x93quoted\x94"},
                                      {"a" + n, "b", "c\t" + longText, "d"}, 1 + i % 4,
                                      i % 3 == 0 ? std::string(kNoReferenceText) : "reference " + n));
        if (i % 500 == 7)
            bank.questions.back().Answer2 = "control \x01 character";
    }
    bank.endLine = "  ";
    return bank;
}

TEST(TextOut, AStreamGetsTheTextAnExportOrUnpackKeepsWhole)
{
    const StoredBank bank = ManyQuestions();
    for (const InterchangeFormat format : {InterchangeFormat::Gift, InterchangeFormat::Aiken, InterchangeFormat::Xml}) {
        const ExportResult whole = ExportQuestions(format, bank);
        ASSERT_GT(whole.text.size(), std::size_t {1} << 20);
        std::ostringstream stream;
        BankQuestions questions(bank);
        TextOut out(stream);
        const ExportResult streamed = ExportQuestions(format, questions, out);
        EXPECT_TRUE(stream.str() == whole.text) << static_cast<int>(format);
        EXPECT_TRUE(streamed.text.empty());
        EXPECT_EQ(Describe(streamed.problems), Describe(whole.problems));
        EXPECT_EQ(whole.problems.size(), 6u);
        EXPECT_EQ(streamed.referencesDropped, whole.referencesDropped);
    }
    std::ostringstream stream;
    BankQuestions questions(bank);
    TextOut out(stream);
    WriteSource(questions, out);
    const std::string source = UnpackSource(bank);
    EXPECT_TRUE(stream.str() == source);
    EXPECT_EQ(ParseSource(source).bank, bank);
}

TEST(TextOut, AnExportOfNoQuestionsIsTheFormatsFrameAlone)
{
    const StoredBank none = Bank({});
    EXPECT_EQ(ExportQuestions(InterchangeFormat::Gift, none).text, "");
    EXPECT_EQ(ExportQuestions(InterchangeFormat::Xml, none).text,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n</quiz>\n");
    EXPECT_EQ(UnpackSource({{}, std::string(" ")}), "end: \\x20\n");
}

TEST(ExportChecks, FindAControlCharacterAnywhereInALongTextAndOnlyThen)
{
    // Long enough that the first look takes the bytes many at a time; bytes
    // 0x80 to 0x9F that stand for printable characters, and a tab, are fine.
    const std::string words = "words enough that a text is longer than what is looked at in one go";
    std::vector<QuestionRecord> questions;
    for (const char control : {'\x01', '\x1F', '\x7F', '\x81', '\x8D', '\x8F', '\x90', '\x9D'})
        questions.push_back(Card({"q"}, {"a", words + control + words, "c", "d"}, 1));
    const std::string printable = "\x80\x82\x85\x8A\x91\x93\x94\x96\x99\x9F tab\there and " + words;
    questions.push_back(Card({"q"}, {"a", printable + printable, "c", "d"}, 1));
    const ExportResult result = ExportGift(Bank(questions));
    EXPECT_EQ(Describe(result.problems),
              "0: answer 2 holds the control character U+0001\n"
              "1: answer 2 holds the control character U+001F\n"
              "2: answer 2 holds the control character U+007F\n"
              "3: answer 2 holds the control character U+0081\n"
              "4: answer 2 holds the control character U+008D\n"
              "5: answer 2 holds the control character U+008F\n"
              "6: answer 2 holds the control character U+0090\n"
              "7: answer 2 holds the control character U+009D\n");
}

TEST(ExportChecks, WriteACharacterOutsideAsciiWhereverItStandsInALongText)
{
    // ASCII is taken sixteen bytes at a time: "é" before, inside and after such blocks.
    for (std::size_t at = 0; at < 40; ++at) {
        std::string text(40, 'x');
        text[at] = '\xE9';
        std::string expected(40, 'x');
        expected.replace(at, 1, "\xC3\xA9");
        const ExportResult aiken = ExportAiken(Bank({Card({"q" + text}, {text, "b", "c", "d"}, 2)}));
        EXPECT_EQ(aiken.text, "q" + expected + "\nA. " + expected + "\nB. b\nC. c\nD. d\nANSWER: B\n") << at;
    }
}

}  // namespace
}  // namespace qd

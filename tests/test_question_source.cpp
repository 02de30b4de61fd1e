// The question source form: parsing, packing, writing and unpacking.
#include "bank/QuestionSource.h"

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "shell/Failure.h"
#include "tests/TestSupport.h"

namespace qd {
namespace {

using test::ScrambledFile;

constexpr std::string_view kOneQuestion = "question: Which property sets the caption?\n"
                                          "wrong: Text\n"
                                          "right: Caption\n"
                                          "wrong: Title\n"
                                          "wrong: Name\n"
                                          "reference: The Caption property.\n";

const std::vector<std::string> kOneQuestionLines = {
    "1", "Which property sets the caption?", "Text", "Caption", "Title", "Name", "2", "The Caption property.",
};

std::string Describe(const std::vector<SourceError>& errors)
{
    std::ostringstream text;
    for (const SourceError& error : errors)
        text << error.line << ": " << error.message << '\n';
    return text.str();
}

std::string Bytes(std::initializer_list<int> codes)
{
    std::string bytes;
    for (const int code : codes)
        bytes += static_cast<char>(code);
    return bytes;
}

QuestionRecord Question(std::string numLines, const std::vector<std::string>& lines, std::string ansNum)
{
    QuestionRecord question {std::move(numLines), {}, "one", "two", "three", "four", std::move(ansNum),
                             "see the manual"};
    for (const std::string& line : lines)
        AddQuestionLine(question, line);
    return question;
}

// ---------------------------------------------------------------------------
// Packing what the source says

TEST(PackSource, WritesEachQuestionAsItsScrambledRecord)
{
    const PackResult packed = PackSource(kOneQuestion);
    ASSERT_TRUE(packed.errors.empty()) << Describe(packed.errors);
    EXPECT_EQ(packed.bytes, ScrambledFile(kOneQuestionLines));
}

TEST(PackSource, IgnoresCommentsBlankLinesIndentationTrailingBlanksAndByteOrderMark)
{
    const std::string source = "\xEF\xBB\xBF# Section 1\r\n"
                               "\r\n"
                               "   # an indented comment\n"
                               "  question: Which property sets the caption?   \n"
                               "\twrong: Text\t\n"
                               "right: Caption\n"
                               "\n"
                               "wrong: Title\n"
                               "wrong: Name\n"
                               "reference: The Caption property.";
    const PackResult packed = PackSource(source);
    ASSERT_TRUE(packed.errors.empty()) << Describe(packed.errors);
    EXPECT_EQ(packed.bytes, ScrambledFile(kOneQuestionLines));
}

TEST(PackSource, CountsQuestionLinesAndPlacesTheRightAnswer)
{
    const PackResult packed =
        PackSource("question: First line?\nquestion: Second line.\nwrong: a\nwrong: b\nwrong: c\n"
                   "right: d\nreference: r\n\nright: A\nwrong: B\nwrong: C\nwrong: D\nreference: R\n");
    ASSERT_TRUE(packed.errors.empty()) << Describe(packed.errors);
    EXPECT_EQ(packed.bytes,
              ScrambledFile({"2", "First line?", "Second line.", "a", "b", "c", "d", "4", "r",  //
                             "0", "A", "B", "C", "D", "1", "R"}));
}

TEST(PackSource, KeepsTheStoredTextOfLinesAndAnswerNumber)
{
    const PackResult packed =
        PackSource("lines:  2\nquestion: q1\nquestion: q2\nwrong: a\nright: b\nwrong: c\nwrong: d\n"
                   "answer-number: 02\\x20\nreference: r\n");
    ASSERT_TRUE(packed.errors.empty()) << Describe(packed.errors);
    EXPECT_EQ(packed.bytes, ScrambledFile({" 2", "q1", "q2", "a", "b", "c", "d", "02 ", "r"}));
}

TEST(PackSource, WritesTheEndLineUnscrambled)
{
    const std::string questions(kOneQuestion);
    EXPECT_EQ(PackSource(questions + "end:\n").bytes, ScrambledFile(kOneQuestionLines) + "\r\n");
    EXPECT_EQ(PackSource(questions + "\n# the end\nend:  \\x20\n\n").bytes,
              ScrambledFile(kOneQuestionLines) + "  \r\n");
    EXPECT_EQ(PackSource("end:\n").bytes, "\r\n");
}

TEST(PackSource, EmptySourceGivesAnEmptyFile)
{
    const PackResult packed = PackSource("# nothing yet\n\n");
    EXPECT_TRUE(packed.errors.empty()) << Describe(packed.errors);
    EXPECT_EQ(packed.bytes, "");
}

TEST(PackSource, EscapesGiveExactBytes)
{
    const ParsedSource parsed = ParseSource("right: a\\\\b\\x00\\x01\\x0D\\x0a\\x1A\\xfF\\x20\n"
                                            "wrong: \\x20 leading and trailing \\x20\n"
                                            "wrong: \ttab\n"
                                            "wrong: x\\\\\n"
                                            "reference: \\\\x41 is not an escape\n");
    ASSERT_TRUE(parsed.errors.empty()) << Describe(parsed.errors);
    ASSERT_EQ(parsed.bank.questions.size(), 1u);
    const QuestionRecord& question = parsed.bank.questions.front();
    EXPECT_EQ(question.Answer1, std::string("a\\b\x00\x01\r\n\x1A\xFF ", 10));
    EXPECT_EQ(question.Answer2, "  leading and trailing  ");
    EXPECT_EQ(question.Answer3, "\ttab");
    EXPECT_EQ(question.Answer4, "x\\");
    EXPECT_EQ(question.Ref, "\\x41 is not an escape");
}

TEST(PackSource, StoresWindows1252CharactersAsTheirBytes)
{
    const ParsedSource parsed = ParseSource("right: €‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ\n"
                                            "wrong: é ÿ ¡ ×\n"
                                            "wrong: \\x81\\x8D\\x8F\\x90\\x9D\n"
                                            "wrong: plain\n"
                                            "reference: r\n");
    ASSERT_TRUE(parsed.errors.empty()) << Describe(parsed.errors);
    const QuestionRecord& question = parsed.bank.questions.front();
    EXPECT_EQ(question.Answer1,
              Bytes({0x80, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8E, 0x91,
                     0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9E, 0x9F}));
    EXPECT_EQ(question.Answer2, Bytes({0xE9, ' ', 0xFF, ' ', 0xA1, ' ', 0xD7}));
    EXPECT_EQ(question.Answer3, Bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D}));
}

// ---------------------------------------------------------------------------
// Mistakes, each named by its line

struct SourceMistake {
    const char* name;
    std::string source;
    int line;
    std::string fragment;
};

void PrintTo(const SourceMistake& mistake, std::ostream* out)
{
    *out << mistake.name;
}

// A whole question around one line; the line under test is line 2.
std::string Around(const std::string& line)
{
    return "question: q\n" + line + "\nwrong: b\nwrong: c\nwrong: d\nreference: r\n";
}

class PackSourceMistake : public ::testing::TestWithParam<SourceMistake> { };

TEST_P(PackSourceMistake, IsReportedOnItsLineAndNothingIsWritten)
{
    const SourceMistake& mistake = GetParam();
    const PackResult packed = PackSource(mistake.source);
    EXPECT_EQ(packed.bytes, "");
    ASSERT_FALSE(packed.errors.empty());
    const bool found = std::any_of(packed.errors.begin(), packed.errors.end(), [&](const SourceError& error) {
        return error.line == mistake.line && error.message.find(mistake.fragment) != std::string::npos;
    });
    EXPECT_TRUE(found) << "expected line " << mistake.line << " with \"" << mistake.fragment << "\", got:\n"
                       << Describe(packed.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Structure, PackSourceMistake,
    ::testing::Values(
        SourceMistake {"MissingAnswer", "question: q\nright: a\nwrong: b\nwrong: c\nreference: r\n", 5,
                       "four answers expected, found 3"},
        SourceMistake {"FifthAnswer", Around("right: a\nwrong: e"), 7, "four answers expected, found 5"},
        SourceMistake {"TwoRightAnswers", "question: q\nright: a\nwrong: b\nright: c\nwrong: d\nreference: r\n", 4,
                       "a second \"right:\""},
        SourceMistake {"NoRightAnswer", Around("wrong: a"), 6, "no \"right:\" answer"},
        SourceMistake {"QuestionAfterAnswers", "right: a\nquestion: q\nwrong: b\nwrong: c\nwrong: d\nreference: r\n", 2,
                       "after the answers"},
        SourceMistake {"NoReference", "# q\nquestion: q\nright: a\nwrong: b\nwrong: c\nwrong: d\n", 2,
                       "without a \"reference:\""},
        SourceMistake {"EmptyAnswer", Around("right:"), 2, "has no text"},
        SourceMistake {"EmptyQuestionLine", "question:   \nright: a\nwrong: b\nwrong: c\nwrong: d\nreference: r\n", 1,
                       "has no text"},
        SourceMistake {"LineBreakInAQuestionLine", "question: a\\x0D\\x0Ab\n" + Around("right: a"), 1,
                       "a question line cannot hold \"\\x0D\\x0A\""},
        SourceMistake {"EmptyReference", "right: a\nwrong: b\nwrong: c\nwrong: d\nreference:\n", 5, "has no text"},
        SourceMistake {"LinesDisagree", "lines: 2\n" + Around("right: a"), 1, "\"lines:\" 2 but the question has 1"},
        SourceMistake {"LinesNotANumber", "lines: two\n" + Around("right: a"), 1, "is not a number from 0 to 255"},
        SourceMistake {"LinesOutOfRange", "lines: 256\n" + Around("right: a"), 1, "is not a number from 0 to 255"},
        SourceMistake {"SecondLines", "lines: 1\nlines: 1\n" + Around("right: a"), 2, "a second \"lines:\""},
        SourceMistake {"AnswerNumberDisagrees", Around("right: a\nanswer-number: 3"), 3,
                       "\"answer-number:\" 3 but the \"right:\" answer is number 1"},
        SourceMistake {"AnswerNumberOutOfRange", Around("right: a\nanswer-number: 5"), 3,
                       "is not a number from 1 to 4"},
        SourceMistake {"AnswerNumberNotANumber", Around("right: a\nanswer-number: one"), 3,
                       "is not a number from 1 to 4"},
        SourceMistake {"EndInsideQuestion", "question: q\nend:\nright: a\nwrong: b\nwrong: c\nwrong: d\nreference: r\n",
                       2, "\"end:\" inside a question"},
        SourceMistake {"QuestionAfterEnd", "end:\n\n" + Around("right: a"), 3, "may follow \"end:\" (line 1)"},
        SourceMistake {"SecondEnd", "end:\nend:\n", 2, "a second \"end:\""},
        SourceMistake {"EndWithText", "end: x\n", 1, "\"end:\" may hold blanks only"}));

INSTANTIATE_TEST_SUITE_P(
    Lines, PackSourceMistake,
    ::testing::Values(
        SourceMistake {"UnknownKeyword", Around("answer: a"), 2, "unknown keyword \"answer\""},
        SourceMistake {"KeywordsAreLowerCase", Around("Right: a"), 2, "unknown keyword \"Right\""},
        SourceMistake {"NoKeyword", Around("Caption"), 2, "expected \"keyword: value\""},
        SourceMistake {"NoBlankAfterColon", Around("right:a"), 2, "a blank must follow \"right:\""},
        SourceMistake {"UnknownEscape", Around("right: C:\\Windows"), 2, "unknown escape \"\\W\""},
        SourceMistake {"ShortHexEscape", Around("right: \\x4"), 2, "\"\\x\" needs two hexadecimal digits"},
        SourceMistake {"NonHexEscape", Around("right: \\xG0"), 2, "\"\\x\" needs two hexadecimal digits"},
        SourceMistake {"BackslashAtEnd", Around("right: a\\"), 2, "a backslash ends the value"},
        SourceMistake {"Arrow", Around("right: Tools → Menu Editor"), 2, "U+2192 \"→\" is not in windows-1252"},
        SourceMistake {"CharacterOutsideTheBasicPlane", Around("right: \xF0\x9F\x98\x80"), 2,
                       "U+1F600 \"\xF0\x9F\x98\x80\" is not in windows-1252"},
        SourceMistake {"InvalidUtf8", Around("right: \xC3\x28"), 2, "not valid UTF-8"},
        SourceMistake {"OverlongUtf8", Around("right: \xC0\xAF"), 2, "not valid UTF-8"},
        SourceMistake {"EncodedSurrogate", Around("right: \xED\xA0\x80"), 2, "not valid UTF-8"},
        SourceMistake {"TruncatedUtf8", Around("right: \xE2\x86"), 2, "not valid UTF-8"},
        SourceMistake {"ControlCharacter", Around("right: bell\x07"), 2,
                       "control character U+0007; write it as \"\\x07\""},
        SourceMistake {"LoneCarriageReturn", Around("right: a\rb"), 2, "control character U+000D"},
        SourceMistake {"C1ControlCharacter", Around("right: \xC2\x81"), 2, "control character U+0081"},
        SourceMistake {"ByteOrderMarkInside", Around("right: \xEF\xBB\xBFx"), 2, "U+FEFF"}));

TEST(PackSource, ReportsEveryMistakeInLineOrder)
{
    const PackResult packed = PackSource("question: a → b\n"
                                         "right: a\n"
                                         "wrong: b\\q\n"
                                         "right: c\n"
                                         "reference: r\n"
                                         "bogus: x\n");
    EXPECT_EQ(Describe(packed.errors),
              "1: character U+2192 \"→\" is not in windows-1252\n"
              "3: unknown escape \"\\q\"; write \"\\\\\" for a backslash or \"\\xHH\" for a byte\n"
              "4: a second \"right:\" answer; exactly one answer is right\n"
              "5: four answers expected, found 3\n"
              "6: unknown keyword \"bogus\"\n");
}

TEST(PackSource, AllowsAtMost255QuestionLines)
{
    std::string source;
    for (int i = 0; i < 255; ++i)
        source += "question: q\n";
    const std::string answers = "right: a\nwrong: b\nwrong: c\nwrong: d\nreference: r\n";
    EXPECT_TRUE(PackSource(source + answers).errors.empty());
    const PackResult tooMany = PackSource(source + "question: q\n" + answers);
    EXPECT_EQ(Describe(tooMany.errors), "256: more than 255 question lines\n");
}

TEST(PackSource, AllowsAtMost32767Questions)
{
    const std::string question = "right: a\nwrong: b\nwrong: c\nwrong: d\nreference: r\n";
    std::string source;
    source.reserve(question.size() * 32768);
    for (int i = 0; i < kMaxQuestions; ++i)
        source += question;
    EXPECT_TRUE(ParseSource(source).errors.empty());
    EXPECT_FALSE(PackSource(source).bytes.empty());
    source += question;
    const std::string tooMany =
        std::to_string(5 * 32768) + ": more than 32767 questions; the program reads no further\n";
    EXPECT_EQ(Describe(ParseSource(source).errors), tooMany);
    const PackResult packed = PackSource(source);
    EXPECT_EQ(Describe(packed.errors), tooMany);
    EXPECT_EQ(packed.bytes, "");
}

// Pack writes a few questions at a time, and the records of those written
// take the next ones: over many of them, of every shape and length, the data
// file is still the whole bank's, and a mistake in the last question still
// leaves nothing written.
TEST(PackSource, ManyQuestionsPackAsTheWholeBankWrites)
{
    std::string questions;
    for (std::size_t i = 0; i < 300; ++i) {
        const std::string text((i * 37) % 90 + 1, static_cast<char>('a' + i % 26));
        for (std::size_t line = 0; line < i % 4; ++line)
            questions += "question: " + text + (line % 2 == 0 ? "?" : "") + "\n";
        for (std::size_t place = 0; place < 4; ++place)
            questions +=
                (place == i % 4 ? "right: " : "wrong: ") + text.substr(0, (i + place * 29) % text.size() + 1) + "\n";
        questions += "reference: " + text + "\n\n";
    }
    const std::string source = questions + "end: \\x20\n";
    const ParsedSource parsed = ParseSource(source);
    ASSERT_TRUE(parsed.errors.empty()) << Describe(parsed.errors);
    ASSERT_EQ(parsed.bank.questions.size(), 300u);
    EXPECT_EQ(PackSource(source).bytes, WriteDataFile(parsed.bank));

    const PackResult faulty = PackSource(questions + "question: q\nright: a\nreference: r\n");
    EXPECT_EQ(faulty.bytes, "");
    const auto lastLine = std::count(questions.begin(), questions.end(), '\n') + 3;
    EXPECT_EQ(Describe(faulty.errors), std::to_string(lastLine) + ": four answers expected, found 1\n");
}

// ---------------------------------------------------------------------------
// Writing stored questions

TEST(WriteDataFile, RefusesQuestionsTheLoaderWouldReadDifferently)
{
    StoredBank bank;
    bank.questions = {Question("1", {"q"}, "2")};
    EXPECT_EQ(WriteDataFile(bank), ScrambledFile({"1", "q", "one", "two", "three", "four", "2", "see the manual"}));

    const auto refused = [](const StoredBank& wrong) {
        try {
            WriteDataFile(wrong);
        } catch (const Failure&) {
            return true;
        }
        return false;
    };
    StoredBank countDiffers = bank;
    countDiffers.questions[0].NumLines = "2";
    EXPECT_TRUE(refused(countDiffers));
    StoredBank countNotANumber = bank;
    countNotANumber.questions[0].NumLines = "one";
    EXPECT_TRUE(refused(countNotANumber));
    StoredBank answerNumberOutOfRange = bank;
    answerNumberOutOfRange.questions[0].AnsNum = "5";
    EXPECT_TRUE(refused(answerNumberOutOfRange));
    StoredBank looseQuestionText = bank;
    looseQuestionText.questions[0].Question = "q";
    EXPECT_TRUE(refused(looseQuestionText));
    StoredBank emptyAnswer = bank;
    emptyAnswer.questions[0].Answer3 = "";
    EXPECT_TRUE(refused(emptyAnswer));
    StoredBank endLineWithText = bank;
    endLineWithText.endLine = " x";
    EXPECT_TRUE(refused(endLineWithText));

    // Appending: a question refused after others leaves the file as it was.
    std::string file = "kept";
    StoredBank lateFault = bank;
    lateFault.questions.push_back(emptyAnswer.questions[0]);
    EXPECT_THROW(AppendDataFile(file, lateFault), Failure);
    EXPECT_EQ(file, "kept");
    AppendDataFile(file, bank);
    EXPECT_EQ(file, "kept" + WriteDataFile(bank));

    // The lines that repeat from question to question are written again
    // after one that was refused, and follow each change.
    std::string written;
    DataFileWriter writer(written);
    QuestionRecord emptyReference = bank.questions[0];
    emptyReference.Ref.clear();
    writer.add(bank.questions[0]);
    EXPECT_THROW(writer.add(emptyReference), Failure);
    QuestionRecord other = Question("1", {"q"}, "3");
    other.Ref = "another reference";
    writer.add(other);
    writer.add(bank.questions[0]);
    StoredBank expected = bank;
    expected.questions = {bank.questions[0], other, bank.questions[0]};
    EXPECT_EQ(written, WriteDataFile(expected));
}

TEST(QuestionLinesOf, GivesBackTheLinesOfTheQuestionText)
{
    const std::vector<std::string> lines = {"Which one?", "", "a\r", "\nb?", "?", "c\n\r"};
    QuestionRecord record;
    for (const std::string& line : lines)
        AddQuestionLine(record, line);
    EXPECT_EQ(record.Question, "Which one?\r\n\r\n\r\n\r\na\r\r\n\nb?\r\n\r\n\r\n?\r\n\r\n\r\nc\n\r\r\n");
    EXPECT_EQ(QuestionLinesOf(record), lines);

    QuestionRecord twoInOne;
    AddQuestionLine(twoInOne, "a\r\nb");
    EXPECT_EQ(QuestionLinesOf(twoInOne), (std::vector<std::string> {"a", "b"}));
}

// ---------------------------------------------------------------------------
// Unpacking

TEST(UnpackSource, WritesTheCanonicalSource)
{
    StoredBank bank;
    bank.questions = {Question("2", {"Which one?", "Pick one."}, "3"), Question("0", {}, "1")};
    bank.endLine = "";
    EXPECT_EQ(UnpackSource(bank),
              "question: Which one?\nquestion: Pick one.\n"
              "wrong: one\nwrong: two\nright: three\nwrong: four\nreference: see the manual\n"
              "\n"
              "right: one\nwrong: two\nwrong: three\nwrong: four\nreference: see the manual\n"
              "\n"
              "end:\n");
}

TEST(UnpackSource, WritesLinesAndAnswerNumberOnlyForNonCanonicalText)
{
    StoredBank bank;
    bank.questions = {Question(" 1", {"q"}, "03"), Question("01", {"q"}, "+2")};
    bank.endLine = "   ";
    EXPECT_EQ(UnpackSource(bank),
              "lines:  1\nquestion: q\n"
              "wrong: one\nwrong: two\nright: three\nwrong: four\n"
              "answer-number: 03\nreference: see the manual\n"
              "\n"
              "lines: 01\nquestion: q\n"
              "wrong: one\nright: two\nwrong: three\nwrong: four\n"
              "answer-number: +2\nreference: see the manual\n"
              "\n"
              "end:   \\x20\n");
}

TEST(UnpackSource, LeavesEveryAnswerWrongWhenTheAnswerNumberIsNotOneToFour)
{
    StoredBank bank;
    bank.questions = {Question("0", {}, "0")};
    const std::string source = UnpackSource(bank);
    EXPECT_EQ(source,
              "wrong: one\nwrong: two\nwrong: three\nwrong: four\nanswer-number: 0\n"
              "reference: see the manual\n");
    EXPECT_FALSE(PackSource(source).errors.empty());
}

TEST(EscapeValue, SpellsWhatASourceCannotShow)
{
    EXPECT_EQ(EscapeValue("plain text"), "plain text");
    EXPECT_EQ(EscapeValue("a\\b"), "a\\\\b");
    EXPECT_EQ(EscapeValue(std::string("\x00\x01\t\r\n\x1A\x7F", 7)), "\\x00\\x01\\x09\\x0D\\x0A\\x1A\\x7F");
    EXPECT_EQ(EscapeValue(Bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xA0, 0xAD})), "\\x81\\x8D\\x8F\\x90\\x9D\\xA0\\xAD");
    EXPECT_EQ(EscapeValue(Bytes({0x80, 0x93, 0x94, 0x9F, 0xE9, 0xFF})), "€“”Ÿéÿ");
    EXPECT_EQ(EscapeValue(" two  "), " two \\x20");
    EXPECT_EQ(EscapeValue(" "), "\\x20");
}

}  // namespace
}  // namespace qd

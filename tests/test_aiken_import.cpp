// Aiken import: what is taken, what is noted, what is skipped.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bank/Interchange.h"
#include "tests/InterchangeSupport.h"

namespace qd {
namespace {

using namespace test::interchange;

TEST(InterchangeAiken, ReadsQuestionsChoicesAndAnswers)
{
    const ImportResult result = ImportAiken("Which property sets the text in a window's title bar?\n"
                                            "A. Text\n"
                                            "B. Caption\n"
                                            "C. Title\n"
                                            "D. Name\n"
                                            "ANSWER: B\n"
                                            "Which event happens first?\n"
                                            "A) Load\n"
                                            "B)Activate\n"
                                            "C)\tPaint\n"
                                            "D) Resize\n"
                                            "ANSWER:A\n"
                                            "\n"
                                            "Who designed the Analytical Engine?\n"
                                            "A. Babbage\n"
                                            "B. Watt\n"
                                            "?\n"
                                            "C. Diesel\n"
                                            "D. Otto\n"
                                            "ANSWER: A. Babbage\n");
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(Describe(result.notes),
              "17: a line of one character is ignored\n"
              "20: \"ANSWER: A. Babbage\": only its first letter counts, the rest is ignored\n");
    EXPECT_EQ(
        result.bank,
        Bank({
            Card({"Which property sets the text in a window's title bar?"}, {"Text", "Caption", "Title", "Name"}, 2),
            Card({"Which event happens first?"}, {"Load", "Activate", "Paint", "Resize"}, 1),
            Card({"Who designed the Analytical Engine?"}, {"Babbage", "Watt", "Diesel", "Otto"}, 1),
        }));
}

// Lines that belong to no question are reported with the question they
// break; the question text is the one line before the choices.
TEST(InterchangeAiken, ReportsLinesThatAreNotPartOfAQuestion)
{
    const ImportResult result = ImportAiken("Chapter 3: Properties\n"  // 1
                                            "\n"  // 2
                                            "Q1?\n"  // 3
                                            "A. a\nB. b\nC. c\nD. d\n"  // 4 to 7
                                            "ANSWER: A\n"  // 8
                                            "Remember: captions can change at run time.\n"  // 9
                                            "Q2?\n"  // 10
                                            "A. a\nB. b\nC. c\nD. d\n"  // 11 to 14
                                            "Answer: B\n"  // 15
                                            "First line\n"  // 16
                                            "Q3?\n"  // 17
                                            "A. a\nB. b\nC. c\nD. d\n"  // 18 to 21
                                            "ANSWER: C\n"  // 22
                                            "C. Babbage designed which engine?\n"  // 23
                                            "A. a\nB. b\nC. c\nD. d\n"  // 24 to 27
                                            "ANSWER: D\n");  // 28
    EXPECT_EQ(Describe(result.errors),
              "1: text with no choices after it: a question is one line of text, then its choices (the next "
              "question starts on line 3)\n"
              "9: text with no choices after it: a question is one line of text, then its choices (the next "
              "question starts on line 10)\n"
              "15: \"Answer: B\" is no answer line: write \"ANSWER:\" in capitals\n"
              "16: text with no choices after it: a question is one line of text, then its choices (the next "
              "question starts on line 17)\n"
              "23: a choice with no question text before it; a question cannot begin like a choice (\"A.\" to "
              "\"Z.\")\n");
    EXPECT_EQ(result.skipped, 5u);
    EXPECT_EQ(result.bank, Bank({Card({"Q1?"}, {"a", "b", "c", "d"}, 1), Card({"Q3?"}, {"a", "b", "c", "d"}, 3)}));
}

TEST(InterchangeAiken, TakesAnyLayoutOfBlankLinesAndLineEnds)
{
    const std::vector<std::pair<const char*, std::string>> layouts = {
        {"no blank lines", "Q1?\nA. a\nB. b\nC. c\nD. d\nANSWER: A\nQ2?\nA. a\nB. b\nC. c\nD. d\nANSWER: D\n"},
        {"several blank lines",
         "\n\nQ1?\n\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n\n\n\nQ2?\nA. a\nB. b\nC. c\nD. d\n\nANSWER: D\n\n"},
        {"no line end at the end", "Q1?\nA. a\nB. b\nC. c\nD. d\nANSWER: A\n\nQ2?\nA. a\nB. b\nC. c\nD. d\nANSWER: D"},
        {"CR LF",
         "Q1?\r\nA. a\r\nB. b\r\nC. c\r\nD. d\r\nANSWER: A\r\n\r\nQ2?\r\nA. a\r\nB. b\r\nC. c\r\nD. d\r\nANSWER: "
         "D\r\n"},
        {"CR", "Q1?\rA. a\rB. b\rC. c\rD. d\rANSWER: A\r\rQ2?\rA. a\rB. b\rC. c\rD. d\rANSWER: D\r"},
        {"byte order mark",
         "\xEF\xBB\xBFQ1?\nA. a\nB. b\nC. c\nD. d\nANSWER: A\nQ2?\nA. a\nB. b\nC. c\nD. d\nANSWER: D"},
        {"blanks around",
         "  Q1?  \n A. a \nB. b\t\nC. c\nD. d\n ANSWER:  A \n \t \nQ2?\nA. a\nB. b\nC. c\nD. d\nANSWER: D\n"},
    };
    const StoredBank expected = Bank({Card({"Q1?"}, {"a", "b", "c", "d"}, 1), Card({"Q2?"}, {"a", "b", "c", "d"}, 4)});
    for (const auto& [name, text] : layouts) {
        SCOPED_TRACE(name);
        const ImportResult result = ImportAiken(text);
        EXPECT_EQ(Describe(result.errors), "");
        EXPECT_EQ(result.bank, expected);
    }
}

TEST(InterchangeAiken, ReportsAndSkipsQuestionsThatDoNotFitACard)
{
    const std::string good = "Good?\nA. a\nB. b\nC. c\nD. d\nANSWER: A";  // lines 1 to 6, then a blank line
    const std::vector<RejectCase> cases = {
        {"five choices", "Five?\nA. a\nB. b\nC. c\nD. d\nE. e\nANSWER: A",
         "13: 5 choices; a card holds exactly four\n"},
        {"three choices", "Three?\nA) a\nB) b\nC) c\nANSWER: A", "12: 3 choices; a card holds exactly four\n"},
        {"one choice", "One?\nA) a\nANSWER: A", "10: 1 choice; a card holds exactly four\n"},
        {"answer in lower case", "Q?\nA. a\nB. b\nC. c\nD. d\nANSWER: b",
         "13: \"ANSWER: b\" names no choice; the letter must be a capital\n"},
        {"answer names no letter", "Q?\nA. a\nB. b\nC. c\nD. d\nANSWER: 2",
         "13: \"ANSWER:\" must name a choice letter, not \"2\"\n"},
        {"answer names no choice", "Q?\nA. a\nB. b\nC. c\nD. d\nANSWER: E", "13: \"ANSWER: E\" names no choice\n"},
        {"empty answer line", "Q?\nA. a\nB. b\nC. c\nD. d\nANSWER:", "13: \"ANSWER:\" names no choice letter\n"},
        {"no choices", "Short answer?\nANSWER: A",
         "8: no choices before \"ANSWER:\"; only questions with four choices can be imported\n"},
        {"choices out of order", "Q?\nA. a\nC. c\nB. b\nD. d\nANSWER: A", "10: choice C where B was expected\n"},
        {"empty choice", "Q?\nA. a\nB.\nC. c\nD. d\nANSWER: A", "10: choice B is empty\n"},
        {"missing ANSWER line", "Q?\nA. a\nB. b\nC. c\nD. d",
         "14: no \"ANSWER:\" line after the choices of the question on line 8\n"},
        {"character in the question", "Third → fourth\nA. a\nB. b\nC. c\nD. d\nANSWER: B",
         "8: character U+2192 \"→\" is not in windows-1252\n"},
        {"character in a choice", "Q?\nA. a\nB. b ←\nC. c\nD. d\nANSWER: B",
         "10: character U+2190 \"←\" is not in windows-1252\n"},
        {"not UTF-8", "Q?\nA. \xC3\nB. b\nC. c\nD. d\nANSWER: B", "9: not valid UTF-8\n"},
    };
    for (const RejectCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult result = ImportAiken(Between(good, c.source));
        EXPECT_EQ(Describe(result.errors), c.errors);
        EXPECT_EQ(result.skipped, 1u);
        EXPECT_EQ(result.bank,
                  Bank({Card({"Good?"}, {"a", "b", "c", "d"}, 1), Card({"Good?"}, {"a", "b", "c", "d"}, 1)}));
    }
}

TEST(InterchangeAiken, ReportsWhatTheSourceEndsWithout)
{
    EXPECT_EQ(Describe(ImportAiken("Q?\nA. a\nB. b\nC. c\nD. d\n").errors),
              "1: no \"ANSWER:\" line after the choices\n");
    EXPECT_EQ(Describe(ImportAiken("\nJust text.\n").errors),
              "2: question text without choices or an \"ANSWER:\" line\n");
    const ImportResult stray = ImportAiken("ANSWER: A\n");
    EXPECT_EQ(Describe(stray.errors), "1: \"ANSWER:\" without a question before it\n");
    EXPECT_EQ(stray.skipped, 0u);
}

}  // namespace
}  // namespace qd

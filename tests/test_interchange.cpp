// GIFT and Aiken: importing question banks, exporting them, the round trip
// between the two, and the import and export commands of quizdeck-bank.
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
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

const std::string kNoReference(kNoReferenceText);

std::string Describe(const std::vector<SourceError>& errors)
{
    std::ostringstream text;
    for (const SourceError& error : errors)
        text << error.line << ": " << error.message << '\n';
    return text.str();
}

std::string Describe(const std::vector<ExportProblem>& problems)
{
    std::ostringstream text;
    for (const ExportProblem& problem : problems)
        text << problem.question << ": " << problem.message << '\n';
    return text.str();
}

// A question as an import writes it: texts in code-page bytes, plain numbers.
StoredQuestion Card(std::vector<std::string> lines, std::array<std::string, 4> answers, int right,
                    std::string reference = kNoReference)
{
    StoredQuestion question;
    question.numLines = std::to_string(lines.size());
    question.questionLines = std::move(lines);
    question.answers = std::move(answers);
    question.ansNum = std::to_string(right);
    question.reference = std::move(reference);
    return question;
}

StoredBank Bank(std::vector<StoredQuestion> questions)
{
    return {std::move(questions), std::nullopt};
}

// ---------------------------------------------------------------------------
// GIFT import

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

TEST(InterchangeGift, TakesAnyLayoutOfBlankLinesAndLineEnds)
{
    const std::string first = "Q1? {=a ~b ~c ~d}";
    const std::string second = "Q2?\n{\n~a\n=b\n~c\n~d\n}";
    const std::vector<std::pair<const char*, std::string>> layouts = {
        {"one blank line", first + "\n\n" + second + "\n"},
        {"several blank lines", "\n\n\n" + first + "\n\n\n\n" + second + "\n\n\n"},
        {"blanks and tabs on the blank lines", first + "\n  \t\n \n" + second + "\n \t"},
        {"no line end at the end", first + "\n\n" + second},
        {"CR LF line ends", "Q1? {=a ~b ~c ~d}\r\n\r\nQ2?\r\n{\r\n~a\r\n=b\r\n~c\r\n~d\r\n}\r\n"},
        {"byte order mark", "\xEF\xBB\xBF" + first + "\n\n" + second + "\n"},
        {"comments between", "// one\n" + first + "\n// two\n\n// three\n" + second + "\n// end"},
    };
    const StoredBank expected = Bank({Card({"Q1?"}, {"a", "b", "c", "d"}, 1), Card({"Q2?"}, {"a", "b", "c", "d"}, 2)});
    for (const auto& [name, text] : layouts) {
        SCOPED_TRACE(name);
        const ImportResult result = ImportGift(text);
        EXPECT_EQ(Describe(result.errors), "");
        EXPECT_EQ(result.bank, expected);
    }
}

TEST(InterchangeGift, TakesAnswersOnOneLineOrOnSeveral)
{
    const std::vector<std::string> sources = {
        "Q? {=a ~b ~c ~d}",
        "Q? {=a~b~c~d}",
        "Q?{\n=a\n~b\n~c\n~d\n}",
        "Q?\n{\n\t=a\t\n  ~b ~c\n~d }",
        "::T::\nQ?\n{=a\n~b\n~c\n~d}",
    };
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        const ImportResult result = ImportGift(source);
        EXPECT_EQ(Describe(result.errors), "");
        EXPECT_EQ(result.bank, Bank({Card({"Q?"}, {"a", "b", "c", "d"}, 1)}));
    }
}

TEST(InterchangeGift, HonoursEscapes)
{
    const ImportResult result = ImportGift("::Title \\:: with colons:: Is 1 \\= 2 \\{really\\}\\? {\n"
                                           "=a \\~ b\n"
                                           "~c \\# d\n"
                                           "~back\\\\slash, C:\\temp and \\q\n"
                                           "~x \\: y -> z\n"
                                           "####see \\{ and \\} in \\#4 \\= \\~\n"
                                           "}\n");
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(result.bank,
              Bank({Card({"Is 1 = 2 {really}\\?"}, {"a ~ b", "c # d", "back\\slash, C:\\temp and \\q", "x : y -> z"}, 1,
                         "see { and } in #4 = ~")}));
}

TEST(InterchangeGift, LineBreaksInTheQuestionTextMakeQuestionLines)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"One\\nTwo\\n Three {=a ~b ~c ~d}", {"One", "Two", "Three"}},
        {"One\nTwo\n  Three\n{=a ~b ~c ~d}", {"One", "Two", "Three"}},
        {"::T::\n[markdown]\nOne\\nTwo {=a ~b ~c ~d}", {"One", "Two"}},
        {"::T:: {=a ~b ~c ~d}", {}},
        {"{=a ~b ~c ~d}", {}},
    };
    for (const auto& [source, lines] : cases) {
        SCOPED_TRACE(source);
        const ImportResult result = ImportGift(source);
        EXPECT_EQ(Describe(result.errors), "");
        EXPECT_EQ(result.bank, Bank({Card(lines, {"a", "b", "c", "d"}, 1)}));
    }
}

TEST(InterchangeGift, DropsPlainMoodleAndMarkdownFormatsAndKeepsOtherBrackets)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[plain]Q? {=a ~b ~c ~d}", "Q?"},          {"::T::[moodle] Q? {=a ~b ~c ~d}", "Q?"},
        {"::T:: [Markdown]Q? {=a ~b ~c ~d}", "Q?"}, {"[moodle][html]Q? {=a ~b ~c ~d}", "[html]Q?"},
        {"[1] Q? {=a ~b ~c ~d}", "[1] Q?"},         {"[text]Q? {=a ~b ~c ~d}", "[text]Q?"},
    };
    for (const auto& [source, line] : cases) {
        SCOPED_TRACE(source);
        const ImportResult result = ImportGift(source);
        EXPECT_EQ(Describe(result.errors), "");
        EXPECT_EQ(result.bank, Bank({Card({line}, {"a", "b", "c", "d"}, 1)}));
    }
}

TEST(InterchangeGift, IgnoresCategories)
{
    const ImportResult result = ImportGift("$CATEGORY: $course$/Properties\n\nQ? {=a ~b ~c ~d}\n");
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(result.skipped, 0u);
    EXPECT_EQ(result.bank.questions.size(), 1u);
}

TEST(InterchangeGift, TakesWindows1252Characters)
{
    const ImportResult result = ImportGift("Café “quoted” – 5 € ‰? {=é ~ß ~Œ ~ÿ ####© ™}");
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(
        result.bank,
        Bank({Card({"Caf\xE9 \x93quoted\x94 \x96 5 \x80 \x89?"}, {"\xE9", "\xDF", "\x8C", "\xFF"}, 1, "\xA9 \x99")}));
}

// `question` with `good` before and after it, blank lines between.
std::string Between(const std::string& good, const std::string& question)
{
    std::string text = good;
    text += "\n\n";
    text += question;
    text += "\n\n";
    text += good;
    text += "\n";
    return text;
}

struct RejectCase {
    const char* name;
    std::string source;  // starts at line 3
    std::string errors;
};

// Every kind of question that does not fit a card, between two that do: the
// message names the line, and the skipped question leaves no trace.
TEST(InterchangeGift, ReportsAndSkipsQuestionsThatDoNotFitACard)
{
    const std::string good = "Good? {=a ~b ~c ~d}";
    const std::vector<RejectCase> cases = {
        {"two right answers", "Two? {=a =b ~c ~d}", "3: 2 right answers (\"=\"); a card has exactly one\n"},
        {"no right answer", "None? {~a ~b ~c ~d}", "3: no right answer (\"=\"); a card has exactly one\n"},
        {"five choices", "Five? {=a ~b ~c ~d ~e}", "3: 5 answers; a card holds exactly four\n"},
        {"three choices", "::T::\nThree?\n{\n=a\n~b\n~c\n}", "3: 3 answers; a card holds exactly four\n"},
        {"true/false", "True? {T}", "3: a true/false question is not supported\n"},
        {"true/false with feedback", "True?{ FALSE#Yes, false.}", "3: a true/false question is not supported\n"},
        {"short answer", "Two plus two? {=four =4}",
         "3: a short-answer question (\"=\" answers only) is not supported\n"},
        {"matching", "Match {\n=a -> 1\n=b -> 2\n=c -> 3\n}", "3: a matching question is not supported\n"},
        {"numerical", "Pi? {#3.14:0.01}", "3: a numerical question is not supported\n"},
        {"essay", "Write an essay. {}", "3: an essay question (no answers in the braces) is not supported\n"},
        {"essay with feedback", "Essay {####Think first.}",
         "3: an essay question (no answers in the braces) is not supported\n"},
        {"description", "Just some text\nover two lines.",
         "3: no answers in braces: a description, or a question whose braces are missing\n"},
        {"missing braces", "Q? =a ~b ~c ~d",
         "3: no answers in braces: a description, or a question whose braces are missing\n"},
        {"unterminated braces", "Q? {=a ~b\n~c ~d", "3: the answer braces are not closed\n"},
        {"a second opening brace", "Q? {=a ~b {~c ~d}", "3: a second \"{\" before the answer braces are closed\n"},
        {"closing brace first", "Q? } {=a ~b ~c ~d}", "3: a \"}\" before the answer braces open\n"},
        {"missing word", "The {=Caption ~Text ~Title ~Name} property.",
         "3: text after the closing \"}\": a missing-word question, or no blank line between two questions\n"},
        {"no blank line between questions", "One? {=a ~b ~c ~d}\nTwo? {=a ~b ~c ~d}",
         "3: text after the closing \"}\": a missing-word question, or no blank line between two questions\n"},
        {"answer feedback", "Q? {=a#Right! ~b#No. ~c ~d}", "3: feedback on an answer (\"#\") is not supported\n"},
        {"answer weights", "Q? {~%50%a ~%50%b ~%-100%c ~%-100%d}", "3: answer weights (\"%50%\") are not supported\n"},
        {"text before the answers", "Q? {pick =a ~b ~c ~d}", "3: text before the first answer in the braces\n"},
        {"no answers", "Q? {pick one}", "3: no \"=\" or \"~\" answers in the braces\n"},
        {"html", "::T::[html]<b>Q?</b> {=a ~b ~c ~d}", "3: HTML question text ([html]) is not supported\n"},
        {"unclosed title", "::Title Q? {=a ~b ~c ~d}", "3: the title has no closing \"::\"\n"},
        {"empty answer", "Q? {=a ~ ~c ~d}", "3: answer 2 is empty\n"},
        {"line break in an answer", "Q? {=a\\nb ~b ~c ~d}", "3: a line break inside answer 1\n"},
        {"real line break in an answer", "Q? {=a ~b\nstill b ~c ~d}", "3: a line break inside answer 2\n"},
        {"line break in the reference", "Q? {=a ~b ~c ~d ####one\\ntwo}",
         "3: a line break inside the reference text after \"####\"\n"},
        {"empty question line", "One\\n\\nTwo {=a ~b ~c ~d}",
         "3: an empty line in the question text; a data file cannot hold an empty line\n"},
        {"empty question line at a line end", "One\\n\nTwo {=a ~b ~c ~d}",
         "3: an empty line in the question text; a data file cannot hold an empty line\n"},
        {"first line after a comment", "// about the next one\nTwo? {=a =b ~c ~d}",
         "4: 2 right answers (\"=\"); a card has exactly one\n"},
        {"character outside windows-1252", "First line\nMenu → Editor? {=a ~b ~c ~d}",
         "4: character U+2192 \"→\" is not in windows-1252\n"},
        {"several such characters", "Q → ? {\n=a\n~b ←\n~c\n~d ####→ ←\n}",
         "3: character U+2192 \"→\" is not in windows-1252\n"
         "5: character U+2190 \"←\" is not in windows-1252\n"
         "7: character U+2192 \"→\" is not in windows-1252\n"
         "7: character U+2190 \"←\" is not in windows-1252\n"},
        {"character beyond U+FFFF", "Q? {=a ~b ~c ~d \U0001F600}",
         "3: character U+1F600 \"\U0001F600\" is not in windows-1252\n"},
        {"control character", "Q?\x01 {=a ~b ~c ~d}", "3: control character U+0001 cannot be imported\n"},
        {"not UTF-8", "Q?\n\xFF {=a ~b ~c ~d}", "4: not valid UTF-8\n"},
        {"not UTF-8: a lone CR", "Q?\rX {=a ~b ~c ~d}", "3: control character U+000D cannot be imported\n"},
    };
    for (const RejectCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult result = ImportGift(Between(good, c.source));
        EXPECT_EQ(Describe(result.errors), c.errors);
        EXPECT_EQ(result.skipped, 1u);
        EXPECT_EQ(result.bank,
                  Bank({Card({"Good?"}, {"a", "b", "c", "d"}, 1), Card({"Good?"}, {"a", "b", "c", "d"}, 1)}));
    }
}

TEST(InterchangeGift, ReportsEverySkippedQuestionInLineOrder)
{
    const ImportResult result = ImportGift("A? {T}\n"  // 1
                                           "\n"  // 2
                                           "B? {=a ~b ~c ~d}\n"  // 3
                                           "\n"  // 4
                                           "C?\n"  // 5
                                           "{=a =b ~c ~d}\n"  // 6
                                           "\n"  // 7
                                           "D → {=a ~b ~c ~d}\n");  // 8
    EXPECT_EQ(Describe(result.errors),
              "1: a true/false question is not supported\n"
              "5: 2 right answers (\"=\"); a card has exactly one\n"
              "8: character U+2192 \"→\" is not in windows-1252\n");
    EXPECT_EQ(result.skipped, 3u);
    EXPECT_EQ(result.bank, Bank({Card({"B?"}, {"a", "b", "c", "d"}, 1)}));
}

TEST(InterchangeGift, FindsNothingInAnEmptySource)
{
    for (const std::string_view source : {"", "\n\n", "// only a comment\n", "\xEF\xBB\xBF"}) {
        const ImportResult result = ImportGift(source);
        EXPECT_TRUE(result.errors.empty());
        EXPECT_TRUE(result.bank.questions.empty());
    }
}

// ---------------------------------------------------------------------------
// Aiken import

TEST(InterchangeAiken, ReadsQuestionsChoicesAndAnswers)
{
    const ImportResult result = ImportAiken("Which property sets the text in a window's title bar?\n"
                                            "A. Text\n"
                                            "B. Caption\n"
                                            "C. Title\n"
                                            "D. Name\n"
                                            "ANSWER: B\n"
                                            "Which event happens first?\n"
                                            "Pick the earliest.\n"
                                            "A) Load\n"
                                            "B) Activate\n"
                                            "C)\tPaint\n"
                                            "D) Resize\n"
                                            "ANSWER:A\n"
                                            "\n"
                                            "C. Babbage designed which engine?\n"
                                            "A. Analytical\n"
                                            "B. Steam\n"
                                            "C. Jet\n"
                                            "D. Difference, and earlier the Analytical\n"
                                            "ANSWER: d\n");
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(
        result.bank,
        Bank({
            Card({"Which property sets the text in a window's title bar?"}, {"Text", "Caption", "Title", "Name"}, 2),
            Card({"Which event happens first?", "Pick the earliest."}, {"Load", "Activate", "Paint", "Resize"}, 1),
            Card({"C. Babbage designed which engine?"},
                 {"Analytical", "Steam", "Jet", "Difference, and earlier the Analytical"}, 4),
        }));
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
        {"five choices", "Five?\nA. a\nB. b\nC. c\nD. d\nE. e\nANSWER: A", "8: 5 choices; a card holds exactly four\n"},
        {"three choices", "Three?\nA) a\nB) b\nC) c\nANSWER: A", "8: 3 choices; a card holds exactly four\n"},
        {"two correct answers", "Two?\nA. a\nB. b\nC. c\nD. d\nANSWER: A, C",
         "8: \"ANSWER:\" must name one choice letter, not \"A, C\"\n"},
        {"answer names no choice", "Q?\nA. a\nB. b\nC. c\nD. d\nANSWER: E", "8: \"ANSWER: E\" names no choice\n"},
        {"empty answer line", "Q?\nA. a\nB. b\nC. c\nD. d\nANSWER:", "8: \"ANSWER:\" names no choice letter\n"},
        {"no choices", "Short answer?\nANSWER: A",
         "8: no choices before \"ANSWER:\"; only questions with four choices can be imported\n"},
        {"choices out of order", "Q?\nA. a\nC. c\nB. b\nD. d\nANSWER: A", "8: choice C where B was expected\n"},
        {"empty choice", "Q?\nA. a\nB.\nC. c\nD. d\nANSWER: A", "8: choice B is empty\n"},
        {"missing ANSWER line", "Q?\nA. a\nB. b\nC. c\nD. d", "8: no \"ANSWER:\" line after the choices\n"},
        {"several question lines", "First\nSecond\nThird → fourth\nA. a\nB. b\nC. c\nD. d\nANSWER: B",
         "10: character U+2192 \"→\" is not in windows-1252\n"},
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
              "####"
                  + kNoReference
                  + "\n"
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
              "Which one?\nPick {one}.\nA. Text\nB. Caption\nC. a = b\nD. #1\nANSWER: B\n"
              "\n"
              "Café €?\nA. a\nB. b\nC. c\nD. d\nANSWER: D\n");
}

TEST(InterchangeExport, LeavesOutQuestionsTheFormatCannotCarry)
{
    StoredQuestion badNumber = Card({"q"}, {"a", "b", "c", "d"}, 1);
    badNumber.ansNum = "7";
    StoredQuestion badCount = Card({"q"}, {"a", "b", "c", "d"}, 1);
    badCount.numLines = "2";
    const StoredBank bank = Bank({
        Card({"fine"}, {"a", "b", "c", "d"}, 1),  // 0
        badNumber,  // 1
        badCount,  // 2
        Card({"q", ""}, {"a", "b", "c", "d"}, 1),  // 3
        Card({"q"}, {"a", "b ", "c", "d"}, 1),  // 4
        Card({"q"}, {"a", "b", "c", "line\nbreak"}, 1),  // 5
        Card({"\tq"}, {"a", "b", "c", "d"}, 1),  // 6
        Card({"q"}, {"a", "b", "c", "d"}, 1, " r"),  // 7 GIFT only
        Card({"q"}, {"a", "%50%b", "c", "d"}, 1),  // 8 GIFT only
        Card({"A. q"}, {"a", "b", "c", "d"}, 1),  // 9 Aiken only
        Card({"q", "ANSWER: A"}, {"a", "b", "c", "d"}, 1),  // 10 Aiken only
        Card({"q\x81"}, {"a", "b", "c", "d"}, 1),  // 11
        Card({"also fine"}, {"a", "b", "c", "d"}, 1),  // 12
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
                  + "9: question line 1 would be read as choice A\n"
                    "10: question line 2 would be read as the \"ANSWER:\" line\n"
                    "11: question line 1 holds the control character U+0081\n");
    EXPECT_EQ(ImportGift(gift.text).bank,
              Bank({bank.questions[0], bank.questions[9], bank.questions[10], bank.questions[12]}));
    EXPECT_EQ(ImportAiken(aiken.text).bank.questions.size(), 4u);
}

// ---------------------------------------------------------------------------
// Round trips

// What an import gives back for a stored question: plain numbers, and for
// Aiken the reference every Aiken import writes.
StoredQuestion AsImported(StoredQuestion question, InterchangeFormat format)
{
    question.numLines = std::to_string(question.questionLines.size());
    question.ansNum = std::to_string(std::stoi(question.ansNum));
    if (format == InterchangeFormat::Aiken)
        question.reference = kNoReference;
    return question;
}

StoredBank AsImported(const StoredBank& bank, InterchangeFormat format)
{
    StoredBank imported;
    for (const StoredQuestion& question : bank.questions)
        imported.questions.push_back(AsImported(question, format));
    return imported;
}

TEST(InterchangeRoundTrip, ExportThenImportGivesBackTheSameQuestions)
{
    const StoredBank bank = TrickyBank();
    for (const InterchangeFormat format : {InterchangeFormat::Gift, InterchangeFormat::Aiken}) {
        SCOPED_TRACE(format == InterchangeFormat::Gift ? "GIFT" : "Aiken");
        const ExportResult exported = ExportQuestions(format, bank);
        ASSERT_EQ(Describe(exported.problems), "");
        const ImportResult imported = ImportQuestions(format, exported.text);
        EXPECT_EQ(Describe(imported.errors), "") << exported.text;
        EXPECT_EQ(imported.bank, AsImported(bank, format)) << exported.text;
    }
}

TEST(InterchangeRoundTrip, KeepsEveryAnswerPlaceAndNonCanonicalNumbersComeBackPlain)
{
    std::vector<StoredQuestion> questions;
    for (int right = 1; right <= 4; ++right)
        questions.push_back(Card({"q" + std::to_string(right)}, {"a", "b", "c", "d"}, right, "r"));
    questions[0].numLines = " 1";
    questions[1].ansNum = "02";
    const StoredBank bank = Bank(questions);
    for (const InterchangeFormat format : {InterchangeFormat::Gift, InterchangeFormat::Aiken}) {
        const ImportResult imported = ImportQuestions(format, ExportQuestions(format, bank).text);
        EXPECT_EQ(imported.bank, AsImported(bank, format));
        EXPECT_EQ(imported.bank.questions[0].numLines, "1");
        EXPECT_EQ(imported.bank.questions[1].ansNum, "2");
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

StoredQuestion RandomQuestion(std::mt19937& random)
{
    std::uniform_int_distribution<int> lines(0, 3);
    std::uniform_int_distribution<int> right(1, 4);
    StoredQuestion question;
    for (int i = lines(random); i > 0; --i)
        question.questionLines.push_back(RandomText(random));
    question.numLines = std::to_string(question.questionLines.size());
    for (std::string& answer : question.answers)
        answer = RandomText(random);
    question.ansNum = std::to_string(right(random));
    question.reference = RandomText(random);
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
        StoredBank expected;
        std::size_t problem = 0;
        for (std::size_t i = 0; i < bank.questions.size(); ++i) {
            if (problem < exported.problems.size() && exported.problems[problem].question == i)
                ++problem;
            else
                expected.questions.push_back(AsImported(bank.questions[i], format));
        }
        EXPECT_EQ(problem, exported.problems.size());
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
    EXPECT_EQ(gift.err, "");
    EXPECT_EQ(read("props.drv"), WriteDataFile(GiftSampleBank()));

    write("props.txt", "Which one?\nA. Text\nB. Caption\nC. Title\nD. Name\nANSWER: B\n");
    const ToolRun aiken = run({"import", "--format=aiken", "props.txt", "-o", "aiken.drv"});
    EXPECT_EQ(aiken.status, 0) << aiken.err;
    EXPECT_EQ(aiken.err, "");
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
              "quizdeck-bank: mixed.gift: 2 questions imported, 2 skipped\n");
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
              "none.txt:1: 3 choices; a card holds exactly four\n"
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
         "import needs --format gift or --format aiken (\"a.dat\" ends in neither .gift, .aiken nor .txt)"},
        {{"import", "--format", "moodle", "a.gift", "-o", "a.drv"}, "unknown format \"moodle\"; use gift or aiken"},
        {{"import", "--format", "gift", "a.gift"}, "import needs -o FILE.drv"},
        {{"import", "--format", "gift", "-o", "a.drv"}, "import takes one source file"},
        {{"import", "--format", "gift", "--format", "aiken", "a.gift", "-o", "a.drv"}, "--format given twice"},
        {{"import", "--format"}, "--format needs a value"},
        {{"export", "a.drv"}, "export needs --format gift or --format aiken"},
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
    EXPECT_NE(help.out.find("quizdeck-bank import --format gift|aiken SOURCE -o FILE.drv"), std::string::npos);
    EXPECT_NE(help.out.find("quizdeck-bank export --format gift|aiken FILE.drv"), std::string::npos);
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
    EXPECT_EQ(aiken.status, 0) << aiken.err;
    EXPECT_EQ(aiken.out, ExportAiken(bank).text);
    EXPECT_EQ(aiken.err, "quizdeck-bank: Aiken has no place for references: 4 references left out\n");
}

TEST_F(ExportToolTest, SaysNothingAboutReferencesWhenNoneIsLost)
{
    write("plain.drv", WriteDataFile(Bank({Card({"q"}, {"a", "b", "c", "d"}, 1)})));
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
              "section.drv:18: question 3 cannot be written in Aiken: question line 1 would be read as "
              "choice A\n");
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

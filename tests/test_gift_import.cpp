// GIFT import: what is taken, what is dropped with a note, what is skipped.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bank/Interchange.h"
#include "tests/InterchangeSupport.h"

namespace qd {
namespace {

using namespace test::interchange;

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
        {"CR line ends", "Q1? {=a ~b ~c ~d}\r\rQ2?\r{\r~a\r=b\r~c\r~d\r}\r"},
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

// Format marks in lower case are dropped wherever they stand; HTML becomes
// what a reader sees, and a text without a mark has the question's format.
TEST(InterchangeGift, ReadsFormatMarksAndHtml)
{
    const std::array<std::string, 4> abcd = {"a", "b", "c", "d"};
    const std::vector<FormatCase> cases = {
        {"[plain]Q? {=a ~b ~c ~d}", Card({"Q?"}, abcd, 1)},
        {"::T::[moodle] Q? {=a ~b ~c ~d}", Card({"Q?"}, abcd, 1)},
        {"::T:: [Markdown]Q? {=a ~b ~c ~d}", Card({"[Markdown]Q?"}, abcd, 1)},
        {"[moodle][html]Q? {=a ~b ~c ~d}", Card({"[html]Q?"}, abcd, 1)},
        {"[1] Q? {=a ~b ~c ~d}", Card({"[1] Q?"}, abcd, 1)},
        {"Q? {=[plain]a ~[markdown] b ~c ~d ####[moodle]r}", Card({"Q?"}, abcd, 1, "r")},
        {"[html]<p>Tom &amp; Jerry&#8217;s <b>first</b>&nbsp;film?</p><p>Pick one.<br/>Only one.</p> {"
         "=<i>a</i> ~b &lt; c ~[plain]<c> ~d&nbsp; ####<p>One</p>\\n<p>two &eacute;</p>}",
         Card({"Tom & Jerry\x92s first film?", "Pick one.", "Only one."}, {"a", "b < c", "<c>", "d"}, 1,
              "One two \xE9")},
        {"[html]Broken <b>markup <i>and 2 < 3 {=a ~b ~c ~d}", Card({"Broken markup and 2 < 3"}, abcd, 1)},
        {"[html]<script>x()</script><style>p \\{\\}</style><div>Q?</div>\\n\\n<p></p> {=a ~b ~c ~d}",
         Card({"Q?"}, abcd, 1)},
        {"Q? {=[html]<p>a</p>\n<p>still a</p> ~b ~c ~d}", Card({"Q?"}, {"a still a", "b", "c", "d"}, 1)},
        {"[html]<p>Q?</p> {=a ~b ~c ~d ####[plain]<p>r</p>}", Card({"Q?"}, abcd, 1, "<p>r</p>")},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.source);
        const ImportResult result = ImportGift(c.source);
        EXPECT_EQ(Describe(result.errors), "");
        EXPECT_EQ(result.bank, Bank({c.question}));
    }
}

// Read as the format's owner reads them, the way its own export writes them.
TEST(InterchangeGift, ReadsWhatALearningPlatformExports)
{
    const ImportResult result =
        ImportGift("// question: 0  name: Switch category to $course$/top/Geography\n"  // 1
                   "$CATEGORY: $course$/top/Geography\n"  // 2
                   "\n"  // 3
                   "// question: 41  name: Capital\n"  // 4
                   "::Capital::[html]<p dir\\=\"ltr\" style\\=\"text-align\\: left;\">Which city is the capital of "
                   "France?<img src\\=\"@@PLUGINFILE@@/map.png\"></p>{\n"  // 5
                   "\t=Paris#<p>Right, the capital</p>\n"  // 6
                   "\t~London#\n"  // 7
                   "\t~Berlin#<p>No, Germany</p>\n"  // 8
                   "\t~%0%Madrid\n"  // 9
                   "\t####<p>Paris has been the capital\n"  // 10
                   "\tfor a long time.</p>\n"  // 11
                   "}\n"  // 12
                   "\n"  // 13
                   "::Gap::The {=Caption ~Text ~Title ~Name} property sets the title.\n"  // 14
                   "\n"  // 15
                   "::Untitled Which one? {=a ~b ~c ~d}\n"  // 16
                   "\n"  // 17
                   "Two? {=a ~b ~c ~d ####first####second}\n");  // 18
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(Describe(result.notes),
              "5: an image in the question text dropped; a card shows text only\n"
              "6: feedback on answers 1 and 3 dropped; a card has no place for it\n"
              "18: feedback on answer 4 dropped; a card has no place for it\n");
    EXPECT_EQ(result.skipped, 0u);
    EXPECT_EQ(result.bank,
              Bank({
                  Card({"Which city is the capital of France?"}, {"Paris", "London", "Berlin", "Madrid"}, 1,
                       "Paris has been the capital for a long time."),
                  Card({"The _____ property sets the title."}, {"Caption", "Text", "Title", "Name"}, 1),
                  Card({"Untitled Which one?"}, {"a", "b", "c", "d"}, 1),
                  Card({"Two?"}, {"a", "b", "c", "d"}, 1, "second"),
              }));
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
        {"second right answer on its line", "Two?\n{\n=a\n~b\n=c\n~d\n}",
         "7: 2 right answers (\"=\"); a card has exactly one\n"},
        {"fifth answer on its line", "Five?\n{\n=a\n~b\n~c\n~d\n~e\n}", "9: 5 answers; a card holds exactly four\n"},
        {"no blank line between questions", "One? {=a ~b ~c ~d}\nTwo? {=a ~b ~c ~d}",
         "4: a second pair of braces after the answers: is a blank line missing between two questions?\n"},
        {"answer weights", "Q? {~%50%a ~%50%b ~%-100%c ~%-100%d}", "3: answer weights (\"%50%\") are not supported\n"},
        {"full weight without \"=\"", "Q? {~%100%a ~b ~c ~d}", "3: answer weights (\"%100%\") are not supported\n"},
        {"text before the answers is one more", "Q? {pick =a ~b ~c ~d}", "3: 5 answers; a card holds exactly four\n"},
        {"no answers", "Q? {pick one}", "3: no \"=\" or \"~\" answers in the braces\n"},
        {"empty answer", "Q? {=a ~ ~c ~d}", "3: answer 2 is empty\n"},
        {"empty html answer", "Q? {=a ~[html]<br> ~c ~d}", "3: answer 2 is empty\n"},
        {"line break in an answer", "Q? {=a\\nb ~b ~c ~d}", "3: a line break inside answer 1\n"},
        {"real line break in an answer", "Q? {=a ~b\nstill b ~c ~d}", "3: a line break inside answer 2\n"},
        {"empty question line", "One\\n\\nTwo {=a ~b ~c ~d}",
         "3: an empty line in the question text; a data file cannot hold an empty line\n"},
        {"empty question line at a line end", "One\\n\nTwo {=a ~b ~c ~d}",
         "3: an empty line in the question text; a data file cannot hold an empty line\n"},
        {"first line after a comment", "// about the next one\nTwo? {=a =b ~c ~d}",
         "4: 2 right answers (\"=\"); a card has exactly one\n"},
        {"character outside windows-1252", "First line\nMenu → Editor? {=a ~b ~c ~d}",
         "4: character U+2192 \"→\" is not in windows-1252\n"},
        {"several such characters", "Q → ? {\n=a\n~b ←\n~c\n~d ####→ ←\n}",
         "3: 2 characters are not in windows-1252: U+2192 \"→\" and U+2190 \"←\"\n"},
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
              "6: 2 right answers (\"=\"); a card has exactly one\n"
              "8: character U+2192 \"→\" is not in windows-1252\n");
    EXPECT_EQ(result.skipped, 3u);
    EXPECT_EQ(result.bank, Bank({Card({"B?"}, {"a", "b", "c", "d"}, 1)}));
}

// Text before the first answer is a wrong answer, "%0%" marks one, the last
// "####" starts the reference and its lines are joined.
TEST(InterchangeGift, ReadsAnswersAndReferencesAsTheirOwnerDoes)
{
    const std::vector<FormatCase> cases = {
        {"Q? {a ~b =c ~d}", Card({"Q?"}, {"a", "b", "c", "d"}, 3)},
        {"Q? {~%0%a ~%-0.0%b =%50%c ~ %00% d}", Card({"Q?"}, {"a", "b", "%50%c", "d"}, 3)},
        {"Q? {=a ~%5x%b ~%123.4%c ~d}", Card({"Q?"}, {"a", "%5x%b", "%123.4%c", "d"}, 1)},
        {"Q? {=a ~b ~c ~d ####one\\n two\nthree }", Card({"Q?"}, {"a", "b", "c", "d"}, 1, "one two three")},
        {"{=a ~b ~c ~d} is the answer.", Card({"_____ is the answer."}, {"a", "b", "c", "d"}, 1)},
        {"::T::Q? {=a#\n~b# \n~c ~d}", Card({"Q?"}, {"a", "b", "c", "d"}, 1)},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.source);
        const ImportResult result = ImportGift(c.source);
        EXPECT_EQ(Describe(result.errors), "");
        EXPECT_EQ(Describe(result.notes), "");
        EXPECT_EQ(result.bank, Bank({c.question}));
    }
}

TEST(InterchangeGift, FindsNothingInAnEmptySource)
{
    for (const std::string_view source : {"", "\n\n", "// only a comment\n", "\xEF\xBB\xBF"}) {
        const ImportResult result = ImportGift(source);
        EXPECT_TRUE(result.errors.empty());
        EXPECT_TRUE(result.bank.questions.empty());
    }
}

}  // namespace
}  // namespace qd

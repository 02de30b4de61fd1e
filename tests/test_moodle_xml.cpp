// Moodle XML import: what is taken, noted and skipped, as the platform's own
// importer reads each question. Export, round trips, hostile files and the
// tool: test_moodle_xml_files.cpp.
#include "bank/MoodleXml.h"

#include <gtest/gtest.h>

#include "bank/HtmlText.h"
#include "bank/InterchangeParts.h"
#include "bank/Text.h"
#include "tests/InterchangeSupport.h"

namespace qd {
namespace {

using namespace test::interchange;

std::string Quiz(const std::string& questions)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n" + questions + "</quiz>\n";
}

// Four answers, the `right`th with fraction 100, the rest with `wrong`.
std::string Answers(int right, const std::string& wrong = "0")
{
    std::string answers;
    for (int i = 1; i <= 4; ++i)
        answers += "<answer fraction=\"" + (i == right ? std::string("100") : wrong) + "\"><text>a" + std::to_string(i)
            + "</text></answer>";
    return answers;
}

// Answers 2 to 4, all wrong.
std::string ThreeWrong()
{
    return "<answer><text>b</text></answer><answer><text>c</text></answer><answer><text>d</text></answer>";
}

ImportResult Imported(const std::string& xml)
{
    const XmlImport imported = ImportMoodleXml(xml);
    EXPECT_FALSE(imported.fault) << imported.fault->message;
    return imported.result;
}

// The way the platform's own export writes a bank: a category, HTML in
// CDATA, empty feedback, combined feedback, settings.
constexpr std::string_view kExported = R"(<?xml version="1.0" encoding="UTF-8"?>
<quiz>
<!-- question: 0  -->
  <question type="category">
    <category>
      <text>$course$/top/Properties</text>
    </category>
  </question>

<!-- question: 12  -->
  <question type="multichoice">
    <name>
      <text>Caption</text>
    </name>
    <questiontext format="html">
      <text><![CDATA[<p dir="ltr">Which property sets the text in a window&#39;s <b>title bar</b>?</p><p>Pick one.</p>]]></text>
    </questiontext>
    <generalfeedback format="html">
      <text><![CDATA[<p>A form's Caption property holds the text of its title bar.</p>]]></text>
    </generalfeedback>
    <defaultgrade>1.0000000</defaultgrade>
    <penalty>0.3333333</penalty>
    <hidden>0</hidden>
    <idnumber></idnumber>
    <single>true</single>
    <shuffleanswers>false</shuffleanswers>
    <answernumbering>abc</answernumbering>
    <correctfeedback format="html">
      <text>Your answer is correct.</text>
    </correctfeedback>
    <answer fraction="0" format="html">
      <text><![CDATA[<p>Text</p>]]></text>
      <feedback format="html">
        <text></text>
      </feedback>
    </answer>
    <answer fraction="100" format="html">
      <text><![CDATA[<p>Caption</p>]]></text>
      <feedback format="html">
        <text></text>
      </feedback>
    </answer>
    <answer fraction="0" format="html">
      <text>&lt;p&gt;Title &amp;amp; name&lt;/p&gt;</text>
      <feedback format="html">
        <text></text>
      </feedback>
    </answer>
    <answer fraction="0" format="html">
      <text><![CDATA[<p>Name</p>]]></text>
      <feedback format="html">
        <text></text>
      </feedback>
    </answer>
  </question>

</quiz>
)";

TEST(MoodleXmlImport, ReadsThePlatformsOwnExport)
{
    const ImportResult result = Imported(std::string(kExported));
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(Describe(result.notes), "");
    EXPECT_EQ(result.bank,
              Bank({Card({"Which property sets the text in a window's title bar?", "Pick one."},
                         {"Text", "Caption", "Title & name", "Name"}, 2,
                         "A form's Caption property holds the text of its title bar.")}));
}

TEST(MoodleXmlImport, ReadsTextsAsThePlatformDoes)
{
    const std::string xml = Quiz(
        // 3: no format is HTML; answers and the reference take the question's format
        "<question type=\"multichoice\"><questiontext><text>  A &amp;lt;b&gt; one  </text></questiontext>\n"
        "<generalfeedback><text>See &lt;i&gt;this&lt;/i&gt;.</text></generalfeedback>\n"
        + Answers(4)
        + "</question>\n"
          // 9: plain text: line breaks make question lines; an answer keeps its own format
          "<question type=\"multichoice\">\n<questiontext format=\"plain_text\"><text>\n  First &lt;line&gt;\n\n  "
          "Second  \n"
          "</text></questiontext>\n"
          "<answer fraction=\"100.0\" format=\" html "
          "\"><text>&lt;p&gt;x&lt;/p&gt;&lt;p&gt;y&lt;/p&gt;</text></answer>\n"
          "<answer><text>no fraction</text></answer>\n"
          "<answer fraction=\"0.0\"><text>&lt;p&gt;</text></answer>\n"
          "<answer fraction=\"-0\"><text>d</text></answer>\n"
          "</question>\n"
          // 21: <single> missing, "1" or anything but false: one answer; unknown formats are HTML
          "<question type=\"multichoice\"><single>1</single><questiontext format=\"odd\"><text>&lt;br&gt;Q</text>"
          "</questiontext>"
        + Answers(1) + "</question>\n");
    const ImportResult result = Imported(xml);
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(Describe(result.notes), "");
    EXPECT_EQ(result.bank,
              Bank({
                  Card({"A <b> one"}, {"a1", "a2", "a3", "a4"}, 4, "See this."),
                  Card({"First <line>", "Second"}, {"x y", "no fraction", "<p>", "d"}, 1),
                  Card({"Q"}, {"a1", "a2", "a3", "a4"}, 1),
              }));
}

TEST(MoodleXmlImport, NotesWhatACardHasNoPlaceFor)
{
    const std::string xml =
        Quiz("<question type=\"multichoice\">\n"  // 3
             "<name><text> Flags </text></name>\n"
             "<shuffleanswers>1</shuffleanswers>\n"
             "<questiontext format=\"html\"><text><![CDATA[Which? <img src=\"@@PLUGINFILE@@/a.png\">]]></text>\n"
             "<file name=\"a.png\" path=\"/\" encoding=\"base64\">iVBORw0KGgo=</file></questiontext>\n"
             "<answer fraction=\"100\"><text>a</text><feedback><text>Right!</text></feedback></answer>\n"  // 8
             "<answer fraction=\"-33.33333\"><text>b</text><feedback><text> </text></feedback></answer>\n"  // 9
             "<answer fraction=\"-50\"><text>c</text><file name=\"c.png\">AA==</file></answer>\n"
             "<answer fraction=\"0\"><text>d</text><feedback><text>No.</text></feedback></answer>\n"
             "<hint><text>Think.</text></hint>\n"
             "</question>\n"
             "<question type=\"multichoice\"><image>old.gif</image><image_base64>R0lG</image_base64>\n"  // 14
             "<questiontext format=\"plain_text\"><text>Old</text></questiontext>"
             + Answers(2) + "</question>\n");
    const ImportResult result = Imported(xml);
    EXPECT_EQ(Describe(result.errors), "");
    EXPECT_EQ(Describe(result.notes),
              "3: pictures in the question text and answer 3 of question \"Flags\" left out; a card shows text only\n"
              "3: <shuffleanswers> is on; the card keeps the answers in the file's order\n"
              "3: hints dropped; a card has no place for them\n"
              "8: feedback on answers 1 and 4 dropped; a card has no place for it\n"
              "9: the penalty (negative fraction) on answers 2 and 3 dropped; a wrong answer on a card costs nothing\n"
              "14: pictures in the question text left out; a card shows text only\n");
    EXPECT_EQ(result.bank,
              Bank({Card({"Which?"}, {"a", "b", "c", "d"}, 1), Card({"Old"}, {"a1", "a2", "a3", "a4"}, 2)}));
}

TEST(MoodleXmlImport, SkipsEveryOtherQuestionWithItsLineAndType)
{
    const std::string good =
        "<question type=\"multichoice\"><questiontext><text>Good</text></questiontext>" + Answers(1) + "</question>\n";
    const std::string xml = Quiz(
        good  // 3
        + "<question type=\"truefalse\"><answer fraction=\"100\"><text>true</text></answer></question>\n"  // 4
          "<question type=\"shortanswer\"/>\n<question type=\"cloze\"/>\n<question type=\"ddwtos\"/>\n"  // 5-7
          "<question type=\"Multichoice\"/>\n<question/>\n<question type=\"category\"/>\n"  // 8-10
          "<question type=\"multichoice\"><single>false</single>"
        + Answers(1)
        + "</question>\n"  // 11
          "<question type=\"multichoice\"><single></single>"
        + Answers(1)
        + "</question>\n"  // 12
          "<question type=\"multichoice\">\n<answer fraction=\"100\"><text>a</text></answer></question>\n"  // 13-14
          "<question type=\"multichoice\">"
        + Answers(1)
        + "\n<answer><text>e</text></answer></question>\n"  // 15-16
          "<question type=\"multichoice\">"
        + Answers(0)
        + "</question>\n"  // 17
          "<question type=\"multichoice\">"
        + Answers(1, "100")
        + "</question>\n"  // 18
          "<question type=\"multichoice\">"
        + Answers(1, "50")
        + "</question>\n"  // 19
          "<question type=\"multichoice\">"
        + Answers(1, "none")
        + "</question>\n"  // 20
          "<question type=\"multichoice\"><answer fraction=\"100\"><text> </text></answer>"
        + ThreeWrong()
        + "</question>\n"  // 21
          "<question type=\"multichoice\"><answer fraction=\"100\" format=\"plain_text\"><text>a\nb</text></answer>"
        + ThreeWrong()
        + "</question>\n"  // 22-23
          "<question type=\"multichoice\"><questiontext><text>x<p>y</p></text></questiontext>"
        + Answers(1)
        + "</question>\n"  // 24
          "<question type=\"multichoice\"><questiontext><text>An arrow \xE2\x86\x92</text></questiontext>"
        + Answers(1) + "</question>\n"  // 25
        + good);  // 26
    const ImportResult result = Imported(xml);
    EXPECT_EQ(Describe(result.errors),
              "4: a true/false question (type \"truefalse\") is not supported\n"
              "5: a short-answer question (type \"shortanswer\") is not supported\n"
              "6: a cloze (embedded answers) question (type \"cloze\") is not supported\n"
              "7: a drag-and-drop into text question (type \"ddwtos\") is not supported\n"
              "8: a question of type \"Multichoice\" is not supported\n"
              "9: a question without a type is not supported\n"
              "11: a multiple-choice question with several right answers (<single> is \"false\") is not supported\n"
              "12: a multiple-choice question with several right answers (<single> is \"\") is not supported\n"
              "13: 1 answer; a card holds exactly four\n"
              "16: 5 answers; a card holds exactly four\n"
              "17: no right answer (fraction 100); a card has exactly one\n"
              "18: 4 right answers (fraction 100); a card has exactly one\n"
              "19: answer 2 gives part of the marks (fraction \"50\"); a card has one right answer and three wrong\n"
              "20: the fraction \"none\" of answer 2 is not a number\n"
              "21: answer 1 is empty\n"
              "23: a line break inside answer 1\n"
              "24: the <text> of the question text holds XML elements; HTML must be escaped or in CDATA\n"
              "25: character U+2192 \"\xE2\x86\x92\" is not in windows-1252\n");
    EXPECT_EQ(result.skipped, 18u);
    EXPECT_EQ(result.bank.questions.size(), 2u);
}

// HTML is read several texts and questions to a parse; markup that would
// run from one text into the next, or that the start of a document reads
// otherwise, must not change what any of them shows.
TEST(MoodleXmlImport, ReadsEveryHtmlTextAsItAloneShows)
{
    const std::vector<std::string> html = {
        "<p dir=\"ltr\">One</p><p>Two&nbsp;&amp; <b>three</b></p>",
        "Open <script>var x = '</p>';",
        "Open <!-- a comment",
        "<title>Hidden",
        "<table><tr><td>Cell",
        "<b>Bold <i>italic",
        "<a href=\"x",
        "<ul><li>One<li>Two</ul>",
        "Text<img src=\"@@PLUGINFILE@@/a.png\">",
        "One</p>two",
        "<!-- c -->One <b>two</b></p>three",
        "<title>T</title>One <i>two</i></p>three",
        "<p>Left <span>open",
        "<p>Then</span> closed</p>",
    };
    std::string questions;
    std::vector<std::vector<std::string>> expected;
    for (int round = 0; round < 5; ++round) {
        for (const std::string& piece : html) {
            // Every other round the text starts with its own markup.
            const std::string text = (round % 2 == 0 ? "Q " : "") + piece;
            questions += "<question type=\"multichoice\"><questiontext><text><![CDATA[" + text
                + "]]></text></questiontext>" + Answers(1) + "</question>\n";
            const auto plain = HtmlLines(DecodeUtf8(text));
            std::vector<std::string> lines;
            for (const std::u32string& line : plain.lines)
                lines.push_back(EncodeUtf8(line));
            expected.push_back(lines);
        }
    }
    questions += "<question type=\"multichoice\"><questiontext><text>A \xEE\x80\x80 mark</text></questiontext>"
        + Answers(1) + "</question>\n";
    const ImportResult result = Imported(Quiz(questions));
    EXPECT_EQ(Describe(result.errors), "73: character U+E000 \"\xEE\x80\x80\" is not in windows-1252\n");
    ASSERT_EQ(result.bank.questions.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        std::vector<std::string> lines;
        for (const std::string& line : QuestionLinesOf(result.bank.questions[i]))
            lines.push_back(interchange::Utf8Text(line));
        EXPECT_EQ(lines, expected[i]) << html[i % html.size()];
    }
}

TEST(MoodleXmlImport, ADocumentThatIsNotAQuizHoldsNoQuestions)
{
    const ImportResult result = Imported("<?xml version=\"1.0\"?>\n<html><question type=\"multichoice\"/></html>\n");
    EXPECT_EQ(Describe(result.errors), "2: the root element is <html>, not <quiz>: this is not Moodle XML\n");
    EXPECT_TRUE(result.bank.questions.empty());
}

}  // namespace
}  // namespace qd

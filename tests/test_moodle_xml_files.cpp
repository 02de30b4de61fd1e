// Moodle XML: export, the round trip through export and import, hostile
// files, and the import and export commands of quizdeck-bank.

#include <gtest/gtest.h>

#include "bank/MoodleXml.h"
#include "bank/QuestionSource.h"
#include "tests/InterchangeSupport.h"
#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

using namespace test::interchange;

TEST(MoodleXmlExport, WritesMultipleChoiceQuestionsThatSurviveMarkup)
{
    const StoredBank bank = Bank({
        Card({"Which one?", "A <b> & \"c\" ]]> 'd'"}, {"Text", "]]>", "a&b", "Caf\xE9 \x80"}, 2, "Ref <x>"),
        Card({"No reference"}, {"a", "b", "c", "d"}, 4),
    });
    const ExportResult result = ExportMoodleXml(bank);
    EXPECT_EQ(Describe(result.problems), "");
    EXPECT_EQ(result.text,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n"
              "  <question type=\"multichoice\">\n"
              "    <name>\n      <text>Q1</text>\n    </name>\n"
              "    <questiontext format=\"plain_text\">\n"
              "      <text><![CDATA[Which one?\nA <b> & \"c\" ]]]]><![CDATA[> 'd']]></text>\n"
              "    </questiontext>\n"
              "    <generalfeedback format=\"plain_text\">\n"
              "      <text><![CDATA[Ref <x>]]></text>\n"
              "    </generalfeedback>\n"
              "    <single>true</single>\n    <shuffleanswers>0</shuffleanswers>\n"
              "    <answernumbering>abc</answernumbering>\n"
              "    <answer fraction=\"0\" format=\"plain_text\">\n      <text>Text</text>\n    </answer>\n"
              "    <answer fraction=\"100\" format=\"plain_text\">\n"
              "      <text><![CDATA[]]]]><![CDATA[>]]></text>\n    </answer>\n"
              "    <answer fraction=\"0\" format=\"plain_text\">\n      <text><![CDATA[a&b]]></text>\n    </answer>\n"
              "    <answer fraction=\"0\" format=\"plain_text\">\n      <text>Café €</text>\n    </answer>\n"
              "  </question>\n\n"
              "  <question type=\"multichoice\">\n"
              "    <name>\n      <text>Q2</text>\n    </name>\n"
              "    <questiontext format=\"plain_text\">\n      <text>No reference</text>\n    </questiontext>\n"
              "    <generalfeedback format=\"plain_text\">\n      <text></text>\n    </generalfeedback>\n"
              "    <single>true</single>\n    <shuffleanswers>0</shuffleanswers>\n"
              "    <answernumbering>abc</answernumbering>\n"
              "    <answer fraction=\"0\" format=\"plain_text\">\n      <text>a</text>\n    </answer>\n"
              "    <answer fraction=\"0\" format=\"plain_text\">\n      <text>b</text>\n    </answer>\n"
              "    <answer fraction=\"0\" format=\"plain_text\">\n      <text>c</text>\n    </answer>\n"
              "    <answer fraction=\"100\" format=\"plain_text\">\n      <text>d</text>\n    </answer>\n"
              "  </question>\n"
              "</quiz>\n");
    const XmlImport imported = ImportMoodleXml(result.text);
    ASSERT_FALSE(imported.fault);
    EXPECT_EQ(Describe(imported.result.errors), "");
    EXPECT_EQ(Describe(imported.result.notes), "");
    EXPECT_EQ(imported.result.bank, bank);
}

TEST(MoodleXmlExport, LeavesOutTextsNoXmlDocumentCanHold)
{
    const StoredBank bank = Bank({
        Card({"bell \x07"}, {"a", "b", "c", "d"}, 1),
        Card({"q"}, {"a", "b", "c", "d"}, 1,
             "form\x0C"
             "feed"),
        Card({"q"}, {"a", "b", "c", "d"}, 1),
    });
    const ExportResult result = ExportMoodleXml(bank);
    EXPECT_EQ(Describe(result.problems),
              "0: question line 1 holds the control character U+0007\n"
              "1: the reference holds the control character U+000C\n");
    const XmlImport imported = ImportMoodleXml(result.text);
    ASSERT_FALSE(imported.fault);
    EXPECT_EQ(imported.result.bank, Bank({bank.questions[2]}));
}

// Every bundled bank goes out as Moodle XML and comes back as the same data file, byte for byte.
TEST(MoodleXmlRoundTrip, GivesBackEveryBundledDataFileByteForByte)
{
    const std::vector<test::BundledSource> sources = test::BundledSources();
    for (const auto& [name, source] : sources) {
        SCOPED_TRACE(name);
        const PackResult packed = PackSource(source);
        ASSERT_EQ(Describe(packed.errors), "");
        const ExportResult exported = ExportMoodleXml(ParseSource(source).bank);
        EXPECT_EQ(Describe(exported.problems), "");
        const XmlImport imported = ImportMoodleXml(exported.text);
        ASSERT_FALSE(imported.fault);
        EXPECT_EQ(Describe(imported.result.errors), "");
        EXPECT_EQ(Describe(imported.result.notes), "");
        EXPECT_EQ(WriteDataFile(imported.result.bank), packed.bytes);
    }
    EXPECT_EQ(sources.size(), 15u);
}

// ---------------------------------------------------------------------------
// Hostile and broken files: one fault, with its line and column

std::string FaultOf(const std::string& xml)
{
    const XmlImport imported = ImportMoodleXml(xml);
    EXPECT_TRUE(imported.result.bank.questions.empty());
    if (!imported.fault)
        return "no fault";
    return std::to_string(imported.fault->line) + ":" + std::to_string(imported.fault->column) + ": "
        + imported.fault->message;
}

const std::string kAnswers = "<answer fraction=\"100\"><text>a</text></answer><answer><text>b</text></answer>"
                             "<answer><text>c</text></answer><answer><text>d</text></answer></question>\n";
const std::string kQuestionText = "<questiontext><text>Q</text></questiontext>";
const std::string kQuestion = "<question type=\"multichoice\">" + kQuestionText + kAnswers;

TEST(MoodleXmlHostile, EntitiesAreNeverExpandedNorLoaded)
{
    const std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n <!ENTITY a \"aaaaaaaaaa\">\n"
                               " <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n<quiz a=\"&b;\">&b;</quiz>\n";
    EXPECT_EQ(FaultOf(laughs),
              "3:25: the file declares the entity \"a\"; entity declarations are refused (they can load files or "
              "grow without bound)");
    EXPECT_EQ(FaultOf("<!DOCTYPE quiz [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n<quiz>&x;</quiz>"),
              "1:55: the file declares the entity \"x\"; entity declarations are refused (they can load files or "
              "grow without bound)");
    EXPECT_EQ(FaultOf("<!DOCTYPE quiz [<!ENTITY % p SYSTEM \"http://example.com/p\"> %p;]>\n<quiz/>"),
              "1:59: the file declares the entity \"p\"; entity declarations are refused (they can load files or "
              "grow without bound)");
    const std::string nbspMessage = "not well-formed XML: Entity 'nbsp' not defined (an XML file knows only &amp; "
                                    "&lt; &gt; &quot; &apos;: write HTML such as &nbsp; in CDATA)";
    EXPECT_EQ(FaultOf("<quiz>\n" + kQuestion + "<question><name><text>a&nbsp;b</text></name></question></quiz>"),
              "3:30: " + nbspMessage);
    EXPECT_EQ(FaultOf("<!DOCTYPE quiz SYSTEM \"http://example.com/quiz.dtd\">\n<quiz>\n" + kQuestion
                      + "<question>&nbsp;</question></quiz>"),
              "4:17: " + nbspMessage);
}

TEST(MoodleXmlHostile, BrokenDeepWrongEncodingAndHugeFilesAreRefused)
{
    std::string nested = "<quiz>\n";
    for (int i = 0; i < 100; ++i)
        nested += "<a>";
    EXPECT_EQ(FaultOf(nested), "2:192: elements nested more than 64 deep");
    EXPECT_EQ(FaultOf("<quiz>\n" + kQuestion + "<question type=\"multichoice\">\n<questiontext><text>cut"),
              "4:24: the file ends inside <text> (line 4): is it cut short?");
    EXPECT_EQ(FaultOf("<quiz>\n<question></answer></quiz>"),
              "2:20: not well-formed XML: Opening and ending tag mismatch: question line 2 and answer");
    EXPECT_EQ(FaultOf(" \n "), "1:1: the file is empty");
    EXPECT_EQ(FaultOf("<quiz>\n<question><name><text>caf\xE9</text></name></question></quiz>"),
              "2:26: not valid UTF-8; only UTF-8 files are read: save the file as UTF-8");
    EXPECT_EQ(
        FaultOf("<?xml version=\"1.0\" encoding=\"windows-1252\"?><quiz/>"),
        "1:31: the file declares the encoding \"windows-1252\"; only UTF-8 files are read: save the file as UTF-8");
    EXPECT_EQ(FaultOf(std::string("\xFF\xFE<\0q\0u\0i\0z\0/\0>\0", 16)),
              "1:1: the file is in UTF-16 or UTF-32; only UTF-8 files are read: save the file as UTF-8");
    std::string many = "<quiz>";
    for (std::size_t i = 0; i <= kMaxXmlQuestions; ++i)
        many += "<question/>";
    const std::string tooMany = FaultOf(many + "</quiz>");
    EXPECT_EQ(tooMany.substr(tooMany.find(": ")),
              ": more than 131068 questions; a data file holds 32,767: split the file");
    EXPECT_EQ(FaultOf("\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?><quiz/>"), "no fault");
}

// ---------------------------------------------------------------------------
// The commands

using XmlToolTest = test::ToolTest;
using test::ToolRun;

TEST_F(XmlToolTest, ImportsAnXmlFileReportsLikeGiftAndExportsAgain)
{
    write("bank.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n" + kQuestion  // 3
              + "<question type=\"truefalse\"/>\n"  // 4
              + "<question type=\"multichoice\"><shuffleanswers>true</shuffleanswers>"  // 5
              + kQuestionText + kAnswers + "</quiz>\n");
    const ToolRun imported = run({"import", "bank.xml", "-o", "bank.drv"});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(imported.err,
              "bank.xml:4: a true/false question (type \"truefalse\") is not supported\n"
              "bank.xml:5: note: <shuffleanswers> is on; the card keeps the answers in the file's order\n"
              "quizdeck-bank: bank.xml: 2 questions imported, 1 skipped, 1 note\n");
    const StoredBank expected = Bank({Card({"Q"}, {"a", "b", "c", "d"}, 1), Card({"Q"}, {"a", "b", "c", "d"}, 1)});
    EXPECT_EQ(read("bank.drv"), WriteDataFile(expected));
    const ToolRun exported = run({"export", "--format", "XML", "bank.drv"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, ExportMoodleXml(expected).text);
    write("again.txt", exported.out);
    EXPECT_EQ(run({"import", "--format=xml", "again.txt", "-o", "again.drv"}).status, 0);
    EXPECT_EQ(read("again.drv"), read("bank.drv"));
    EXPECT_NE(run({"--help"}).out.find("quizdeck-bank import --format gift|aiken|xml SOURCE -o FILE.drv"),
              std::string::npos);
}

TEST_F(XmlToolTest, AFileThatCannotBeReadEndsWith2AndWritesNothing)
{
    write("old.drv", "old contents");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<quiz>\n<question>&ent;</question>\n</quiz>\n", "2:16: not well-formed XML: Entity 'ent' not defined"},
        {"<quiz>\n" + kQuestion,
         "2:" + std::to_string(kQuestion.size()) + ": the file ends inside <quiz> (line 1): is it cut short?"},
        {"::Q:: Which? {=a ~b ~c ~d}\n",
         "1:1: not well-formed XML: Document is empty\n"
         "quizdeck-bank: bad.xml looks like GIFT; try --format gift"},
    };
    for (const auto& [xml, message] : cases) {
        write("bad.xml", xml);
        for (const char* output : {"new.drv", "old.drv"}) {
            const ToolRun result = run({"import", "bad.xml", "-o", output});
            EXPECT_EQ(result.status, 2);
            EXPECT_EQ(result.err.rfind("quizdeck-bank: bad.xml:" + message, 0), 0u) << result.err;
        }
        EXPECT_FALSE(exists("new.drv"));
        EXPECT_EQ(read("old.drv"), "old contents");
    }
    write("bank.gift", "<?xml version=\"1.0\"?>\n<quiz>\n" + kQuestion + "</quiz>\n");
    EXPECT_NE(
        run({"import", "bank.gift", "-o", "new.drv"}).err.find("looks like Moodle XML, not GIFT; try --format xml"),
        std::string::npos);
}

// A source may be larger than a data file: what it holds beyond its
// questions' text (here a picture) is read past, not kept.
TEST_F(XmlToolTest, TakesASourceLargerThanTheDataFileCap)
{
    const std::string picture(std::size_t {65} * 1024 * 1024, 'A');
    write("big.xml",
          "<quiz>\n<question type=\"multichoice\"><questiontext><text>Q</text><file>" + picture
              + "</file></questiontext>" + kAnswers + "</quiz>\n");
    const ToolRun result = run({"import", "big.xml", "-o", "big.drv"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err,
              "big.xml:2: note: pictures in the question text left out; a card shows text only\n"
              "quizdeck-bank: big.xml: 1 question imported, 0 skipped, 1 note\n");
    EXPECT_EQ(read("big.drv"), WriteDataFile(Bank({Card({"Q"}, {"a", "b", "c", "d"}, 1)})));
}

}  // namespace
}  // namespace qd

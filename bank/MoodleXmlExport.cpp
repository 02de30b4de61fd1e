// Moodle XML export: each question as the platform's own exporter writes a
// multiple-choice question, its texts in plain_text format.
#include <algorithm>
#include <string_view>
#include <vector>

#include "bank/ExportChecks.h"
#include "bank/InterchangeParts.h"
#include "bank/MoodleXml.h"
#include "bank/StoredQuestions.h"

namespace qd {

namespace {

using namespace interchange;

// The characters markup gives meaning to. They are ASCII, which UTF-8 keeps
// as it is: a text's code-page bytes hold one where its UTF-8 form does.
constexpr std::string_view kMarkup = "&<>\"'";

bool HoldsMarkup(std::string_view bytes)
{
    return bytes.find_first_of(kMarkup) != std::string_view::npos;
}

// Code-page bytes as UTF-8 in a CDATA section: "]]>" ends one section and
// starts the next.
void AppendInCdata(std::string& xml, std::string_view bytes)
{
    for (std::size_t pos = 0;;) {
        const std::size_t end = bytes.find("]]>", pos);
        if (end == std::string_view::npos) {
            AppendUtf8Text(xml, bytes.substr(pos));
            return;
        }
        AppendUtf8Text(xml, bytes.substr(pos, end - pos));
        xml += "]]]]><![CDATA[>";
        pos = end + 3;
    }
}

// A <text> element of texts joined by line breaks, in UTF-8: as they are, or
// in CDATA when they hold a character markup gives meaning to.
void AppendTextElement(std::string& xml, const std::vector<std::string_view>& lines)
{
    const bool markup = std::any_of(lines.begin(), lines.end(), HoldsMarkup);
    xml += markup ? "      <text><![CDATA[" : "      <text>";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            xml += '\n';
        if (markup)
            AppendInCdata(xml, lines[i]);
        else
            AppendUtf8Text(xml, lines[i]);
    }
    xml += markup ? "]]></text>\n" : "</text>\n";
}

void AppendXmlQuestion(std::string& xml, const QuestionRecord& question, std::size_t number)
{
    xml += "  <question type=\"multichoice\">\n"
           "    <name>\n"
           "      <text>Q";
    xml += std::to_string(number);
    xml += "</text>\n"
           "    </name>\n"
           "    <questiontext format=\"plain_text\">\n";
    AppendTextElement(xml, QuestionLineViews(question));
    xml += "    </questiontext>\n"
           "    <generalfeedback format=\"plain_text\">\n";
    AppendTextElement(xml, {question.Ref == kNoReferenceText ? std::string_view() : question.Ref});
    xml += "    </generalfeedback>\n"
           "    <single>true</single>\n"
           "    <shuffleanswers>0</shuffleanswers>\n"
           "    <answernumbering>abc</answernumbering>\n";
    const std::size_t right = RightIndex(question);
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        xml += i == right ? "    <answer fraction=\"100\" format=\"plain_text\">\n"
                          : "    <answer fraction=\"0\" format=\"plain_text\">\n";
        AppendTextElement(xml, {question.answer(i)});
        xml += "    </answer>\n";
    }
    xml += "  </question>\n";
}

}  // namespace

ExportResult ExportMoodleXml(StoredQuestions& questions, TextOut& out)
{
    return Export(questions, out,
                  {RecordAndReferenceProblem, AppendXmlQuestion, true,
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n", "</quiz>\n"});
}

}  // namespace qd

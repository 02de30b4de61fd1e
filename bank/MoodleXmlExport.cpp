// Moodle XML export: each question as the platform's own exporter writes a
// multiple-choice question, its texts in plain_text format.
#include <utility>

#include "bank/ExportChecks.h"
#include "bank/InterchangeParts.h"
#include "bank/MoodleXml.h"

namespace qd {

namespace {

using namespace interchange;

// A text as the content of an element: as it is, or in CDATA when it holds a
// character markup gives meaning to; "]]>" ends one section and starts the next.
std::string XmlText(const std::string& utf8)
{
    if (utf8.find_first_of("&<>\"'") == std::string::npos)
        return utf8;
    std::string text = "<![CDATA[";
    for (std::size_t pos = 0;;) {
        const std::size_t end = utf8.find("]]>", pos);
        if (end == std::string::npos) {
            text.append(utf8, pos, std::string::npos);
            break;
        }
        text.append(utf8, pos, end - pos).append("]]]]><![CDATA[>");
        pos = end + 3;
    }
    return text + "]]>";
}

std::string TextElement(std::string_view indent, const std::string& utf8)
{
    return std::string(indent) + "<text>" + XmlText(utf8) + "</text>\n";
}

std::string QuestionText(const QuestionRecord& question)
{
    std::string text;
    for (const std::string_view line : QuestionLineViews(question)) {
        if (!text.empty())
            text += '\n';
        AppendUtf8Text(text, line);
    }
    return text;
}

std::string XmlQuestion(const QuestionRecord& question, std::size_t number)
{
    const std::string reference = question.Ref == kNoReferenceText ? std::string() : Utf8Text(question.Ref);
    std::string xml = "  <question type=\"multichoice\">\n"
                      "    <name>\n"
        + TextElement("      ", "Q" + std::to_string(number))
        + "    </name>\n"
          "    <questiontext format=\"plain_text\">\n"
        + TextElement("      ", QuestionText(question))
        + "    </questiontext>\n"
          "    <generalfeedback format=\"plain_text\">\n"
        + TextElement("      ", reference)
        + "    </generalfeedback>\n"
          "    <single>true</single>\n"
          "    <shuffleanswers>0</shuffleanswers>\n"
          "    <answernumbering>abc</answernumbering>\n";
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        xml += std::string("    <answer fraction=\"") + (i == RightIndex(question) ? "100" : "0")
            + "\" format=\"plain_text\">\n" + TextElement("      ", Utf8Text(question.answer(i))) + "    </answer>\n";
    }
    return xml + "  </question>\n";
}

}  // namespace

ExportResult ExportMoodleXml(const StoredBank& bank)
{
    ExportResult result = interchange::Export(bank, RecordAndReferenceProblem, XmlQuestion);
    // Put around the questions in place: the text is the largest thing the export holds.
    result.text.insert(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n");
    result.text += "</quiz>\n";
    return result;
}

}  // namespace qd

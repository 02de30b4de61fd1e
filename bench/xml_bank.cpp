// Writes a large Moodle XML bank as the platform's own export writes one, for
// the import benchmark: the bundled questions, over and over, in HTML with
// CDATA, empty answer feedback, the default combined feedback and a category
// for each section.
//
//     quizdeck_xml_bank OUT.xml [COUNT]      (COUNT defaults to 30,000)
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "bank/QuestionSource.h"
#include "bank/Text.h"
#include "shell/CodePage.h"

namespace {

using namespace qd;

std::string Html(std::string_view bytes)
{
    std::string html;
    for (const char c : FromCodePage(bytes).toStdString()) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        default:
            html += c;
        }
    }
    return html;
}

std::string Feedback(const char* element, const char* text)
{
    return std::string("    <") + element + " format=\"html\">\n      <text>" + text + "</text>\n    </" + element
        + ">\n";
}

std::string Question(const QuestionRecord& question, int id)
{
    std::string text;
    for (const std::string& line : QuestionLinesOf(question))
        text += "<p dir=\"ltr\" style=\"text-align: left;\">" + Html(line) + "</p>";
    std::string xml = "<!-- question: " + std::to_string(id) + "  -->\n  <question type=\"multichoice\">\n"
        + "    <name>\n      <text>Question " + std::to_string(id) + "</text>\n    </name>\n"
        + "    <questiontext format=\"html\">\n      <text><![CDATA[" + text + "]]></text>\n    </questiontext>\n"
        + "    <generalfeedback format=\"html\">\n      <text><![CDATA[<p dir=\"ltr\">" + Html(question.Ref)
        + "</p>]]></text>\n    </generalfeedback>\n"
        + "    <defaultgrade>1.0000000</defaultgrade>\n    <penalty>0.3333333</penalty>\n    <hidden>0</hidden>\n"
        + "    <idnumber></idnumber>\n    <single>true</single>\n    <shuffleanswers>true</shuffleanswers>\n"
        + "    <answernumbering>abc</answernumbering>\n    <showstandardinstruction>0</showstandardinstruction>\n"
        + Feedback("correctfeedback", "Your answer is correct.")
        + Feedback("partiallycorrectfeedback", "Your answer is partially correct.")
        + Feedback("incorrectfeedback", "Your answer is incorrect.") + "    <shownumcorrect/>\n";
    const std::size_t right = static_cast<std::size_t>(std::atoi(question.AnsNum.c_str()) - 1);
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        xml += std::string("    <answer fraction=\"") + (i == right ? "100" : "0") + "\" format=\"html\">\n"
            + "      <text><![CDATA[<p dir=\"ltr\">" + Html(question.answer(i)) + "</p>]]></text>\n"
            + "      <feedback format=\"html\">\n        <text></text>\n      </feedback>\n    </answer>\n";
    }
    return xml + "  </question>\n\n";
}

std::string Category(const std::string& name, int id)
{
    return "<!-- question: " + std::to_string(id) + "  -->\n  <question type=\"category\">\n    <category>\n"
        + "      <text>$course$/top/" + name + "</text>\n    </category>\n    <info format=\"moodle_auto_format\">\n"
        + "      <text>The " + name + " section.</text>\n    </info>\n    <idnumber></idnumber>\n  </question>\n\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const int count = argc > 2 ? std::atoi(argv[2]) : 30000;
    std::vector<std::pair<std::string, StoredBank>> banks;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUIZDECK_SOURCE_DIR) / "data")) {
        if (entry.path().extension() != ".quiz")
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        banks.emplace_back(entry.path().stem().string(),
                           ParseSource(std::string(std::istreambuf_iterator<char>(file), {})).bank);
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n";
    int written = 0;
    for (int id = 1; written < count; ++id) {
        const auto& [name, bank] = banks[static_cast<std::size_t>(id) % banks.size()];
        out << Category(name, id);
        for (std::size_t i = 0; i < bank.questions.size() && written < count; ++i, ++written)
            out << Question(bank.questions[i], 1000 + written);
    }
    out << "</quiz>\n";
    std::cout << written << " questions\n";
    return out ? 0 : 1;
}

// What the GIFT and Aiken tests share: questions as an import writes them,
// samples and their round trips, and errors as text.
#pragma once

#include <array>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bank/Interchange.h"
#include "bank/QuestionBank.h"
#include "bank/QuestionSource.h"

namespace qd::test::interchange {

inline const std::string kNoReference(kNoReferenceText);

inline std::string Describe(const std::vector<SourceError>& errors)
{
    std::ostringstream text;
    for (const SourceError& error : errors)
        text << error.line << ": " << error.message << '\n';
    return text.str();
}

inline std::string Describe(const std::vector<ExportProblem>& problems)
{
    std::ostringstream text;
    for (const ExportProblem& problem : problems)
        text << problem.question << ": " << problem.message << '\n';
    return text.str();
}

// A question as an import writes it: texts in code-page bytes, plain numbers.
inline QuestionRecord Card(const std::vector<std::string>& lines, std::array<std::string, 4> answers, int right,
                           std::string reference = kNoReference)
{
    QuestionRecord question;
    question.NumLines = std::to_string(lines.size());
    for (const std::string& line : lines)
        AddQuestionLine(question, line);
    for (std::size_t i = 0; i < answers.size(); ++i)
        question.answer(i) = std::move(answers[i]);
    question.AnsNum = std::to_string(right);
    question.Ref = std::move(reference);
    return question;
}

inline StoredBank Bank(std::vector<QuestionRecord> questions)
{
    return {std::move(questions), std::nullopt};
}

// `question` with `good` before and after it, blank lines between.
inline std::string Between(const std::string& good, const std::string& question)
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

struct FormatCase {
    std::string source;
    QuestionRecord question;
};

// A GIFT sample, and the questions it imports as.
inline constexpr std::string_view kGiftSample =
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

inline StoredBank GiftSampleBank()
{
    return Bank({
        Card({"Which property sets the text in a window's title bar?"}, {"Caption", "Text", "Title", "Name"}, 1,
             "A form's Caption property holds the text of its title bar."),
        Card({"Which property hides a control?", "Pick one."}, {"Enabled", "Visible", "Hidden", "Show"}, 2),
    });
}

// Questions full of what GIFT and Aiken escape or take for their own marks.
inline StoredBank TrickyBank()
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

// What an import gives back for a stored question: plain numbers, and for
// Aiken the question lines joined into one and the reference every Aiken
// import writes.
inline QuestionRecord AsImported(QuestionRecord question, InterchangeFormat format)
{
    const std::vector<std::string> lines = QuestionLinesOf(question);
    question.NumLines = std::to_string(lines.size());
    question.AnsNum = std::to_string(std::stoi(question.AnsNum));
    if (format == InterchangeFormat::Aiken) {
        question.Ref = kNoReference;
        std::string line;
        for (const std::string& text : lines)
            line += (line.empty() ? "" : " ") + text;
        question.Question.clear();
        AddQuestionLine(question, line);
        question.NumLines = "1";
    }
    return question;
}

inline StoredBank AsImported(const StoredBank& bank, InterchangeFormat format)
{
    StoredBank imported;
    for (const QuestionRecord& question : bank.questions)
        imported.questions.push_back(AsImported(question, format));
    return imported;
}

}  // namespace qd::test::interchange

// What the GIFT and Aiken tests share: questions as an import writes them,
// and errors as text.
#pragma once

#include <array>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "bank/Interchange.h"
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

}  // namespace qd::test::interchange

#include "bank/QuestionBank.h"

#include <tuple>

#include "shell/Program.h"

namespace qd {

namespace {

constexpr std::array<std::string QuestionRecord::*, kAnswerCount> kAnswerFields = {
    &QuestionRecord::Answer1, &QuestionRecord::Answer2, &QuestionRecord::Answer3, &QuestionRecord::Answer4};

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kAfterQuestionMark = "\r\n\r\n";

bool HoldsQuestionMark(std::string_view line)
{
    return line.find('?') != std::string_view::npos;
}

}  // namespace

std::string& QuestionRecord::answer(std::size_t index)
{
    return this->*kAnswerFields.at(index);
}

const std::string& QuestionRecord::answer(std::size_t index) const
{
    return this->*kAnswerFields.at(index);
}

bool QuestionRecord::operator==(const QuestionRecord& other) const
{
    return std::tie(NumLines, Question, Answer1, Answer2, Answer3, Answer4, AnsNum, Ref)
        == std::tie(other.NumLines, other.Question, other.Answer1, other.Answer2, other.Answer3, other.Answer4,
                    other.AnsNum, other.Ref);
}

void EmptyTexts(QuestionRecord& record)
{
    for (std::string* text : {&record.NumLines, &record.Question, &record.Answer1, &record.Answer2, &record.Answer3,
                              &record.Answer4, &record.AnsNum, &record.Ref})
        text->clear();
}

void AddQuestionLine(QuestionRecord& record, std::string_view line)
{
    std::string& question = record.Question;
    const std::size_t start = question.size();
    // Room for the line and what follows it, so that a huge line is not held
    // in twice its size.
    question.reserve(start + line.size() + kLineEnd.size() + kAfterQuestionMark.size());
    question += line;
    EndQuestionLine(record, start);
}

void EndQuestionLine(QuestionRecord& record, std::size_t lineStart)
{
    std::string& question = record.Question;
    const bool questionMark = HoldsQuestionMark(std::string_view(question).substr(lineStart));
    question += kLineEnd;
    if (questionMark)
        question += kAfterQuestionMark;
}

std::vector<std::string> QuestionLinesOf(const QuestionRecord& record)
{
    const std::vector<std::string_view> views = QuestionLineViews(record);
    return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string_view> QuestionLineViews(const QuestionRecord& record)
{
    std::vector<std::string_view> lines;
    QuestionLineViews(record, lines);
    return lines;
}

void QuestionLineViews(const QuestionRecord& record, std::vector<std::string_view>& lines)
{
    const std::string_view question = record.Question;
    lines.clear();
    std::size_t pos = 0;
    while (pos < question.size()) {
        const std::size_t end = std::min(question.find(kLineEnd, pos), question.size());
        const std::string_view line = question.substr(pos, end - pos);
        lines.push_back(line);
        pos = std::min(end + kLineEnd.size(), question.size());
        if (HoldsQuestionMark(line) && question.substr(pos, kAfterQuestionMark.size()) == kAfterQuestionMark)
            pos += kAfterQuestionMark.size();
    }
}

std::size_t QuestionTextSize(const std::vector<std::string_view>& lines)
{
    std::size_t size = 0;
    for (const std::string_view line : lines)
        size += line.size() + kLineEnd.size() + (HoldsQuestionMark(line) ? kAfterQuestionMark.size() : 0);
    return size;
}

bool StoredBank::operator==(const StoredBank& other) const
{
    return questions == other.questions && endLine == other.endLine;
}

QuestionBank& ProgramBank()
{
    return TheProgram().part<QuestionBank>();
}

}  // namespace qd

#include "bank/LoadRecorder.h"

namespace qd {

namespace {

// Puts a line the loader read into the record it belongs to.
void Place(QuestionRecord& question, const ReadLine& line)
{
    switch (line.role) {
    case LineRole::NumLines:
        question.NumLines = line.plain;
        break;
    case LineRole::Question:
        AddQuestionLine(question, line.plain);
        break;
    case LineRole::Answer1:
        question.Answer1 = line.plain;
        break;
    case LineRole::Answer2:
        question.Answer2 = line.plain;
        break;
    case LineRole::Answer3:
        question.Answer3 = line.plain;
        break;
    case LineRole::Answer4:
        question.Answer4 = line.plain;
        break;
    case LineRole::AnsNum:
        question.AnsNum = line.plain;
        break;
    case LineRole::Ref:
        question.Ref = line.plain;
        break;
    }
}

}  // namespace

std::vector<DataLine> SplitDataLines(std::string_view bytes)
{
    std::vector<DataLine> lines;
    for (const TextLine& line : SplitLines(bytes, LineBreaks::Any))
        lines.push_back({line.text, line.end});
    return lines;
}

void LoadRecorder::lineRead(int line, LineRole role, std::string_view raw, std::string_view plain)
{
    lines_.push_back({line, role, std::string(raw), std::string(plain)});
}

void LoadRecorder::failed(int line, LineRole role, std::int16_t number)
{
    failures_.push_back({line, role, number});
}

void LoadRecorder::stopped(int line)
{
    stoppedAt_ = line;
}

StoredBank StoredBankFromLoad(const LoadRecorder& load, std::string_view fileBytes)
{
    StoredBank bank;
    for (const ReadLine& line : load.lines()) {
        if (line.role == LineRole::NumLines || bank.questions.empty())
            bank.questions.emplace_back();
        Place(bank.questions.back(), line);
    }
    if (const auto stop = load.stoppedAt()) {
        const auto lines = SplitDataLines(fileBytes);
        const auto index = static_cast<std::size_t>(*stop - 1);
        if (*stop >= 1 && index < lines.size() && IsEndLine(lines[index].text))
            bank.endLine = std::string(lines[index].text);
    }
    return bank;
}

}  // namespace qd

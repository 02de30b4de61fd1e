#include "bank/LoadRecorder.h"

#include <algorithm>
#include <functional>

#include "shell/platform/Memory.h"

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
    LineReader reader(bytes, LineBreaks::Any);
    for (TextLine line {}; reader.next(line);)
        lines.push_back({line.text, line.end});
    return lines;
}

LoadRecorder::LoadRecorder(std::string_view fileBytes) : fileBytes_(fileBytes)
{
    // A line for each LF, which is every line of a file with CR LF ends.
    const auto ends = static_cast<std::size_t>(std::count(fileBytes.begin(), fileBytes.end(), '\n'));
    ReserveLarge(lines_, ends + 1);
    // The texts the program takes from the lines are shorter than the lines:
    // one block holds them all.
    ReserveLarge(blocks_.emplace_back(), fileBytes.size());
}

std::string_view LoadRecorder::keep(std::string_view text)
{
    // Blocks of 1 MiB; a longer text gets a block of its own.
    constexpr std::size_t kBlockSize = std::size_t {1} << 20;
    if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < text.size()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockSize, text.size()));
    }
    std::string& block = blocks_.back();
    const std::size_t start = block.size();
    block.append(text);  // within its capacity: the block stays where it is
    return std::string_view(block).substr(start);
}

void LoadRecorder::lineRead(int line, LineRole role, std::string_view raw, std::string_view plain)
{
    const auto inFile = [&](std::string_view text) {
        return !fileBytes_.empty() && std::less_equal<>()(fileBytes_.data(), text.data())
            && std::less_equal<>()(text.data() + text.size(), fileBytes_.data() + fileBytes_.size());
    };
    const std::string_view keptRaw = inFile(raw) ? raw : keep(raw);
    lines_.push_back({line, role, keptRaw, keep(plain)});
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
    const auto& lines = load.lines();
    ReserveLarge(bank.questions,
                 static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const ReadLine& line) {
                     return line.role == LineRole::NumLines;
                 })));
    for (const ReadLine& line : lines) {
        if (line.role == LineRole::NumLines || bank.questions.empty())
            bank.questions.emplace_back();
        Place(bank.questions.back(), line);
    }
    if (const auto stop = load.stoppedAt()) {
        const auto fileLines = SplitDataLines(fileBytes);
        const auto index = static_cast<std::size_t>(*stop - 1);
        if (*stop >= 1 && index < fileLines.size() && IsEndLine(fileLines[index].text))
            bank.endLine = std::string(fileLines[index].text);
    }
    return bank;
}

}  // namespace qd

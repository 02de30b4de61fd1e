#include "bank/StoredQuestions.h"

#include <algorithm>
#include <ostream>

#include "bank/QuestionRecords.h"
#include "bank/Text.h"
#include "shell/platform/Memory.h"

namespace qd {

const QuestionRecord* BankQuestions::next()
{
    return next_ < bank_.questions.size() ? &bank_.questions[next_++] : nullptr;
}

std::optional<std::string_view> BankQuestions::endLine() const
{
    if (!bank_.endLine)
        return std::nullopt;
    return std::string_view(*bank_.endLine);
}

LoadedQuestions::LoadedQuestions(const LoadRecorder& load, std::string_view fileBytes)
    : lines_(load.lines()), stoppedAt_(load.stoppedAt()), fileBytes_(fileBytes)
{
}

const QuestionRecord* LoadedQuestions::next()
{
    if (next_ == lines_.size())
        return nullptr;
    EmptyTexts(question_);
    // A record starts at its NumLines line, the first one at the first line read.
    place(lines_[next_++]);
    while (next_ < lines_.size() && lines_[next_].role != LineRole::NumLines)
        place(lines_[next_++]);
    return &question_;
}

void LoadedQuestions::place(const ReadLine& line)
{
    switch (line.role) {
    case LineRole::NumLines:
        question_.NumLines = line.plain;
        break;
    case LineRole::Question:
        AddQuestionLine(question_, line.plain);
        break;
    case LineRole::Answer1:
    case LineRole::Answer2:
    case LineRole::Answer3:
    case LineRole::Answer4:
        question_.answer(static_cast<std::size_t>(line.role) - static_cast<std::size_t>(LineRole::Answer1)) =
            line.plain;
        break;
    case LineRole::AnsNum:
        question_.AnsNum = line.plain;
        break;
    case LineRole::Ref:
        question_.Ref = line.plain;
        break;
    }
}

std::optional<std::string_view> LoadedQuestions::endLine() const
{
    // The line where reading stopped, when it is an end line.
    if (!stoppedAt_)
        return std::nullopt;
    LineReader reader(fileBytes_, LineBreaks::Any);
    for (TextLine line {}; reader.next(line);) {
        if (line.number == *stoppedAt_)
            return IsEndLine(line.text) ? std::optional<std::string_view>(line.text) : std::nullopt;
    }
    return std::nullopt;
}

StoredBank StoredBankFromLoad(const LoadRecorder& load, std::string_view fileBytes)
{
    StoredBank bank;
    const auto& lines = load.lines();
    ReserveLarge(bank.questions,
                 static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const ReadLine& line) {
                     return line.role == LineRole::NumLines;
                 })));
    LoadedQuestions questions(load, fileBytes);
    while (const QuestionRecord* question = questions.next())
        bank.questions.push_back(*question);
    if (const auto endLine = questions.endLine())
        bank.endLine = std::string(*endLine);
    return bank;
}

namespace {

// What is kept before it goes to the stream: small enough to stay in the
// processor's cache, large enough that each write is worth its call.
constexpr std::size_t kChunkBytes = std::size_t {1} << 18;

}  // namespace

TextOut::TextOut(std::ostream& stream) : stream_(&stream)
{
    // A piece over what is left of a chunk makes the string grow once.
    text_.reserve(kChunkBytes * 2);
}

void TextOut::pieceDone()
{
    if (stream_ && text_.size() >= kChunkBytes)
        flush();
}

void TextOut::flush()
{
    if (!stream_)
        return;
    stream_->write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
}

}  // namespace qd

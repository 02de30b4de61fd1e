// Reading the question source form into stored questions.
#include "bank/QuestionSource.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

#include "bank/QuestionRecords.h"
#include "bank/SourceParts.h"
#include "bank/Text.h"
#include "shell/platform/Memory.h"

namespace qd {

namespace {

using namespace source;

// The fewest bytes of source a question takes: four answers and a reference,
// each one character long ("right: a\n").
constexpr std::size_t kSmallestQuestion = 4 * sizeof("right: a") + sizeof("reference: r");

// A batch no source fills: its questions are taken all at once.
constexpr std::size_t kWholeSource = std::numeric_limits<std::size_t>::max();

// Pack writes the questions a few at a time, while their texts are still in
// the processor's cache, and their memory serves the next ones.
constexpr std::size_t kPackBatch = 64;

// Takes the questions read so far: in the middle of the source to write
// them, keeping the bank as it is; at the end, also to keep them.
using TakeQuestions = std::function<void(StoredBank&)>;

// A "lines:" or "answer-number:" line of the open question.
struct Setting {
    int line;
    std::optional<std::string> value;
};

// What the parser knows of the question being read; its question lines and
// answers go straight to the record it becomes.
struct OpenQuestion {
    int firstLine = 0;
    std::size_t questionLines = 0;
    int answerCount = 0;
    int rightPlace = 0;  // 1 to 4, 0 before the right answer
    std::optional<Setting> lines;
    std::optional<Setting> answerNumber;
};

// Reads keyword lines into stored questions, which `take` gets whenever
// `batch` of them wait, and the last ones with the end line when the source
// is finished. The records of a batch taken are used again, their memory
// kept, for the next batch.
class SourceParser {
public:
    // `size`, the source's size, bounds the count of questions.
    SourceParser(std::vector<SourceError>& errors, std::size_t size, std::size_t batch, TakeQuestions take)
        : errors_(errors), batch_(batch), take_(std::move(take))
    {
        bank_.questions.reserve(
            std::min({size / kSmallestQuestion + 1, static_cast<std::size_t>(kMaxQuestions), batch}));
    }

    void take(const Entry& entry)
    {
        if (entry.keyword != Keyword::End && afterEnd(entry.line))
            return;
        switch (entry.keyword) {
        case Keyword::Question:
            questionLine(entry);
            break;
        case Keyword::Right:
            answer(entry, true);
            break;
        case Keyword::Wrong:
            answer(entry, false);
            break;
        case Keyword::Reference:
            reference(entry);
            break;
        case Keyword::Lines:
            setting(entry, open(entry.line).lines);
            break;
        case Keyword::AnswerNumber:
            setting(entry, open(entry.line).answerNumber);
            break;
        case Keyword::End:
            end(entry);
            break;
        }
    }

    void finish()
    {
        if (open_)
            error(open_->firstLine, "question without a \"reference:\" line; the source ends first");
        bank_.questions.resize(filled_);
        take_(bank_);
    }

private:
    void error(int line, std::string message) { errors_.push_back({line, std::move(message)}); }

    bool afterEnd(int line)
    {
        if (!endLine_)
            return false;
        error(line, "only comments and blank lines may follow \"end:\" (line " + std::to_string(*endLine_) + ")");
        return true;
    }

    OpenQuestion& open(int line)
    {
        if (!open_) {
            open_.emplace();
            open_->firstLine = line;
            if (filled_ == bank_.questions.size())
                bank_.questions.emplace_back();
            EmptyTexts(record());
        }
        return *open_;
    }

    // The value of a line that must hold text: the scrambler takes no empty line.
    std::string_view text(const Entry& entry)
    {
        if (entry.value && entry.value->empty())
            error(entry.line, KeywordText(entry.keyword) + " has no text; a data file cannot hold an empty line");
        return entry.value.value_or(std::string_view());
    }

    void questionLine(const Entry& entry)
    {
        OpenQuestion& question = open(entry.line);
        if (question.answerCount > 0) {
            error(entry.line, "\"question:\" after the answers; the question lines come first");
            return;
        }
        const std::string_view line = text(entry);
        AddQuestionLine(record(), line);
        ++question.questionLines;
        if (line.find("\r\n") != std::string_view::npos)
            error(entry.line,
                  "a question line cannot hold \"\\x0D\\x0A\"; write each line as a \"question:\" line of its own");
        if (question.questionLines == static_cast<std::size_t>(kMaxQuestionLines) + 1)
            error(entry.line, "more than 255 question lines");
    }

    void answer(const Entry& entry, bool right)
    {
        OpenQuestion& question = open(entry.line);
        ++question.answerCount;
        if (question.answerCount <= static_cast<int>(kAnswerCount))
            record().answer(static_cast<std::size_t>(question.answerCount - 1)) = text(entry);
        if (!right)
            return;
        if (question.rightPlace != 0)
            error(entry.line, "a second \"right:\" answer; exactly one answer is right");
        else
            question.rightPlace = question.answerCount;
    }

    void setting(const Entry& entry, std::optional<Setting>& slot)
    {
        if (slot) {
            error(entry.line,
                  "a second " + KeywordText(entry.keyword) + " in this question (first at line "
                      + std::to_string(slot->line) + ")");
            return;
        }
        slot = Setting {entry.line, entry.value ? std::optional<std::string>(text(entry)) : std::nullopt};
    }

    void end(const Entry& entry)
    {
        if (open_) {
            error(entry.line, "\"end:\" inside a question; it stands after the last question");
            return;
        }
        if (endLine_) {
            error(entry.line, "a second \"end:\" (first at line " + std::to_string(*endLine_) + ")");
            return;
        }
        endLine_ = entry.line;
        if (entry.value && !IsEndLine(*entry.value))
            error(entry.line, "\"end:\" may hold blanks only");
        bank_.endLine = std::string(entry.value.value_or(std::string_view()));
    }

    void reference(const Entry& entry)
    {
        OpenQuestion& question = open(entry.line);
        checkAnswers(entry.line, question);
        checkLines(question);
        checkAnswerNumber(question);
        if (questionCount_ == kMaxQuestions)
            error(entry.line, "more than 32767 questions; the program reads no further");
        else
            add(question, text(entry));
        open_.reset();
    }

    // Completes the open question's record, which joins the batch.
    void add(const OpenQuestion& question, std::string_view reference)
    {
        const auto settingText = [](const std::optional<Setting>& setting, std::size_t count) {
            return setting && setting->value ? *setting->value : CountText(count);
        };
        QuestionRecord& stored = record();
        stored.NumLines = settingText(question.lines, question.questionLines);
        stored.AnsNum = settingText(question.answerNumber, static_cast<std::size_t>(question.rightPlace));
        stored.Ref = reference;
        ++questionCount_;
        if (++filled_ == batch_) {
            take_(bank_);
            filled_ = 0;
        }
    }

    // The record of the open question: the batch's next.
    QuestionRecord& record() { return bank_.questions[filled_]; }

    void checkAnswers(int line, const OpenQuestion& question)
    {
        if (question.answerCount != 4)
            error(line, "four answers expected, found " + std::to_string(question.answerCount));
        if (question.answerCount > 0 && question.rightPlace == 0)
            error(line, "no \"right:\" answer; exactly one answer is right");
    }

    void checkLines(const OpenQuestion& question)
    {
        if (!question.lines || !question.lines->value)
            return;
        const Setting& lines = *question.lines;
        const auto value = NumberOf(*lines.value);
        if (!value || *value < 0 || *value > kMaxQuestionLines) {
            error(lines.line, "\"lines:\" " + Quoted(EscapeValue(*lines.value)) + " is not a number from 0 to 255");
            return;
        }
        if (static_cast<std::size_t>(*value) != question.questionLines)
            error(lines.line,
                  "\"lines:\" " + std::to_string(*value) + " but the question has "
                      + std::to_string(question.questionLines) + " \"question:\" lines");
    }

    void checkAnswerNumber(const OpenQuestion& question)
    {
        if (!question.answerNumber || !question.answerNumber->value)
            return;
        const Setting& number = *question.answerNumber;
        if (!IsAnswerNumber(*number.value)) {
            error(number.line,
                  "\"answer-number:\" " + Quoted(EscapeValue(*number.value)) + " is not a number from 1 to 4");
            return;
        }
        const int value = *NumberOf(*number.value);
        if (question.rightPlace >= 1 && question.rightPlace <= 4 && value != question.rightPlace)
            error(number.line,
                  "\"answer-number:\" " + std::to_string(value) + " but the \"right:\" answer is number "
                      + std::to_string(question.rightPlace));
    }

    std::vector<SourceError>& errors_;
    const std::size_t batch_;
    const TakeQuestions take_;
    // The batch: `filled_` questions not yet taken, then the open question's
    // record, then records to be used again.
    StoredBank bank_;
    std::size_t filled_ = 0;
    int questionCount_ = 0;
    std::optional<OpenQuestion> open_;
    std::optional<int> endLine_;
};

// Reads a source, its questions a batch at a time to `take`, and puts the
// errors in line order.
void ReadSource(std::string_view utf8, std::size_t batch, std::vector<SourceError>& errors, TakeQuestions take)
{
    SourceParser parser(errors, utf8.size(), batch, std::move(take));
    LineReader lines(WithoutByteOrderMark(utf8), LineBreaks::Lf);
    std::string value;
    for (TextLine line {}; lines.next(line);) {
        if (const auto entry = ReadEntry(line.number, line.text, value, errors))
            parser.take(*entry);
    }
    parser.finish();
    std::stable_sort(errors.begin(), errors.end(),
                     [](const SourceError& a, const SourceError& b) { return a.line < b.line; });
}

}  // namespace

ParsedSource ParseSource(std::string_view utf8)
{
    ParsedSource parsed;
    ReadSource(utf8, kWholeSource, parsed.errors, [&](StoredBank& bank) { parsed.bank = std::move(bank); });
    return parsed;
}

PackResult PackSource(std::string_view utf8)
{
    // A data file is its questions' records one after the other, so pack
    // writes them a batch at a time and never holds the whole bank; once there
    // is an error, nothing more is written. A data file is seldom more than
    // twice its source (a larger one grows as it goes).
    PackResult packed;
    ReserveLarge(packed.bytes, 2 * utf8.size());
    ReadSource(utf8, kPackBatch, packed.errors, [&](const StoredBank& batch) {
        if (packed.errors.empty())
            AppendDataFile(packed.bytes, batch);
    });
    if (!packed.errors.empty())
        packed.bytes = std::string();
    return packed;
}

}  // namespace qd

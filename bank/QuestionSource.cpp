// Reading the question source form into stored questions.
#include "bank/QuestionSource.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "bank/QuestionRecords.h"
#include "bank/SourceParts.h"
#include "bank/Text.h"

namespace qd {

namespace {

using namespace source;

// A "lines:" or "answer-number:" line of the open question.
struct Setting {
    int line;
    std::optional<std::string> value;
};

struct OpenQuestion {
    int firstLine = 0;
    std::vector<std::string> questionLines;
    std::vector<std::string> answers;
    int answerCount = 0;
    int rightPlace = 0;  // 1 to 4, 0 before the right answer
    std::optional<Setting> lines;
    std::optional<Setting> answerNumber;
};

class SourceParser {
public:
    explicit SourceParser(std::vector<SourceError>& errors) : errors_(errors) { }

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
    }

    StoredBank bank() const { return bank_; }

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
        }
        return *open_;
    }

    // The value of a line that must hold text: the scrambler takes no empty line.
    std::string text(const Entry& entry)
    {
        if (entry.value && entry.value->empty())
            error(entry.line, KeywordText(entry.keyword) + " has no text; a data file cannot hold an empty line");
        return entry.value.value_or(std::string());
    }

    void questionLine(const Entry& entry)
    {
        OpenQuestion& question = open(entry.line);
        if (question.answerCount > 0) {
            error(entry.line, "\"question:\" after the answers; the question lines come first");
            return;
        }
        question.questionLines.push_back(text(entry));
        if (question.questionLines.back().find("\r\n") != std::string::npos)
            error(entry.line,
                  "a question line cannot hold \"\\x0D\\x0A\"; write each line as a \"question:\" line of its own");
        if (question.questionLines.size() == static_cast<std::size_t>(kMaxQuestionLines) + 1)
            error(entry.line, "more than 255 question lines");
    }

    void answer(const Entry& entry, bool right)
    {
        OpenQuestion& question = open(entry.line);
        ++question.answerCount;
        if (question.answers.size() < 4)
            question.answers.push_back(text(entry));
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
        bank_.endLine = entry.value.value_or(std::string());
    }

    void reference(const Entry& entry)
    {
        OpenQuestion question = std::move(open(entry.line));
        open_.reset();
        checkAnswers(entry.line, question);
        checkLines(question);
        checkAnswerNumber(question);
        if (bank_.questions.size() == static_cast<std::size_t>(kMaxQuestions)) {
            error(entry.line, "more than 32767 questions; the program reads no further");
            return;
        }
        bank_.questions.push_back(stored(question, text(entry)));
    }

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
        if (static_cast<std::size_t>(*value) != question.questionLines.size())
            error(lines.line,
                  "\"lines:\" " + std::to_string(*value) + " but the question has "
                      + std::to_string(question.questionLines.size()) + " \"question:\" lines");
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

    static QuestionRecord stored(OpenQuestion& question, std::string reference)
    {
        QuestionRecord stored;
        const auto settingText = [](const std::optional<Setting>& setting, const std::string& fallback) {
            return setting && setting->value ? *setting->value : fallback;
        };
        stored.NumLines = settingText(question.lines, CountText(question.questionLines.size()));
        for (const std::string& line : question.questionLines)
            AddQuestionLine(stored, line);
        for (std::size_t i = 0; i < question.answers.size(); ++i)
            stored.answer(i) = std::move(question.answers[i]);
        stored.AnsNum = settingText(question.answerNumber, CountText(static_cast<std::size_t>(question.rightPlace)));
        stored.Ref = std::move(reference);
        return stored;
    }

    std::vector<SourceError>& errors_;
    StoredBank bank_;
    std::optional<OpenQuestion> open_;
    std::optional<int> endLine_;
};

}  // namespace

std::vector<SourceLine> SplitSourceLines(std::string_view text)
{
    std::vector<SourceLine> lines;
    for (const TextLine& line : SplitLines(WithoutByteOrderMark(text), LineBreaks::Lf))
        lines.push_back({line.number, line.text});
    return lines;
}

ParsedSource ParseSource(std::string_view utf8)
{
    ParsedSource parsed;
    SourceParser parser(parsed.errors);
    for (const SourceLine& line : SplitSourceLines(utf8)) {
        if (const auto entry = ReadEntry(line, parsed.errors))
            parser.take(*entry);
    }
    parser.finish();
    parsed.bank = parser.bank();
    std::stable_sort(parsed.errors.begin(), parsed.errors.end(),
                     [](const SourceError& a, const SourceError& b) { return a.line < b.line; });
    return parsed;
}

PackResult PackSource(std::string_view utf8)
{
    ParsedSource parsed = ParseSource(utf8);
    if (!parsed.errors.empty())
        return {{}, std::move(parsed.errors)};
    return {WriteDataFile(parsed.bank), {}};
}

}  // namespace qd

#include "bank/DataFileCheck.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>

#include "bank/Convert.h"
#include "bank/Descrambler.h"
#include "bank/QuestionSource.h"
#include "bank/Text.h"
#include "shell/Failure.h"

namespace qd {

namespace {

std::string RoleName(LineRole role)
{
    switch (role) {
    case LineRole::NumLines:
        return "NumLines";
    case LineRole::Question:
        return "question";
    case LineRole::Answer1:
        return "answer 1";
    case LineRole::Answer2:
        return "answer 2";
    case LineRole::Answer3:
        return "answer 3";
    case LineRole::Answer4:
        return "answer 4";
    case LineRole::AnsNum:
        return "AnsNum";
    case LineRole::Ref:
        return "reference";
    }
    return "unknown";
}

bool IsAnswerRole(LineRole role)
{
    return role == LineRole::Answer1 || role == LineRole::Answer2 || role == LineRole::Answer3
        || role == LineRole::Answer4;
}

bool IsAnswerNumber(std::string_view text)
{
    try {
        const std::int16_t value = ToInteger16(text);
        return value >= 1 && value <= 4;
    } catch (const Failure&) {
        return false;
    }
}

// Everything in a loaded file that the program trips over, and everything
// that pack would not write back byte for byte.
class ProblemFinder {
public:
    ProblemFinder(const LoadRecorder& load, std::string_view bytes) : load_(load), stop_(load.stoppedAt())
    {
        // The file's lines are read once and never held: only the count,
        // and the lines that do not end with CR LF.
        LineReader lines(bytes, LineBreaks::Any);
        for (TextLine line {}; lines.next(line);) {
            ++lineCount_;
            endLineStop_ = endLineStop_ || (stop_ == line.number && IsEndLine(line.text));
            if (line.end != LineEnd::CrLf)
                otherEnds_.emplace_back(line.number, line.end);
        }
    }

    std::vector<DataFileProblem> find()
    {
        for (const ReadLine& line : load_.lines())
            readLine(line);
        failures();
        lineEnds();
        unread();
        noQuestions();
        std::stable_sort(problems_.begin(), problems_.end(),
                         [](const DataFileProblem& a, const DataFileProblem& b) { return a.line < b.line; });
        return std::move(problems_);
    }

private:
    void add(int line, std::string message) { problems_.push_back({line, std::move(message)}); }

    // No record was begun: the program's table stays empty.
    void noQuestions()
    {
        const auto& lines = load_.lines();
        if (std::none_of(lines.begin(), lines.end(), [](const ReadLine& l) { return l.role == LineRole::NumLines; }))
            add(1, std::string(kNoQuestionsProblem));
    }

    // The text the program took from a line, if it read it.
    const std::string_view* plainText(int number) const
    {
        const auto& lines = load_.lines();
        const auto found = std::lower_bound(lines.begin(), lines.end(), number,
                                            [](const ReadLine& line, int n) { return line.line < n; });
        return found != lines.end() && found->line == number ? &found->plain : nullptr;
    }

    void readLine(const ReadLine& line)
    {
        // A line the scrambler writes from the text the program took holds
        // that text: only other lines need descrambling on their own. The
        // text is what the descrambler took from the line (LoadRecorder), so
        // the line is the scrambler's when it is escaped as the scrambler escapes.
        const bool canonical = !line.plain.empty() && IsScrambledAsWritten(line.raw);
        std::string descrambled;
        if (!canonical) {
            try {
                descrambled = DescrambleText(kQuestionKey, line.raw);
            } catch (const Failure& failure) {
                add(line.line, "cannot descramble the " + RoleName(line.role) + " line: " + failure.detail());
                undescramblable_.insert(line.line);
                return;
            }
        }
        const std::string_view plain = canonical ? line.plain : descrambled;
        if (plain.empty())
            emptyText(line);
        else if (!canonical && !IsScrambledAsWritten(line.raw))
            add(line.line,
                "the " + RoleName(line.role) + " line " + Quoted(EscapeValue(plain))
                    + " is not scrambled as the scrambler writes it; pack would write it differently");
        if (line.role == LineRole::Question && plain.find("\r\n") != std::string_view::npos)
            add(line.line,
                "the question line " + Quoted(EscapeValue(plain))
                    + " holds CR LF; unpack would give it back as two question lines");
        if (line.role == LineRole::AnsNum && !IsAnswerNumber(plain))
            add(line.line, "AnsNum " + Quoted(EscapeValue(plain)) + " is not a number from 1 to 4");
    }

    // Empty numbers are reported as numbers; other texts are simply empty,
    // which the scrambler never writes.
    void emptyText(const ReadLine& line)
    {
        if (IsAnswerRole(line.role))
            add(line.line, "empty " + RoleName(line.role));
        else if (line.role == LineRole::Question || line.role == LineRole::Ref)
            add(line.line, "empty " + RoleName(line.role) + " line; pack cannot write an empty line");
    }

    void failures()
    {
        const auto& all = load_.failures();
        const auto missing = static_cast<std::size_t>(std::count_if(
            all.begin(), all.end(), [](const LoadFailure& f) { return f.number == failure::kInputPastEndOfFile; }));
        bool cutReported = false;
        for (const LoadFailure& f : all) {
            if (f.number == failure::kInputPastEndOfFile) {
                if (!cutReported)
                    add(f.line,
                        "record cut short: the file ends where its " + RoleName(f.role) + " line should stand ("
                            + Counted(missing, "line", "lines") + " missing)");
                cutReported = true;
            } else {
                failure(f);
            }
        }
    }

    void failure(const LoadFailure& f)
    {
        const bool number = f.number == failure::kTypeMismatch || f.number == failure::kOverflow;
        if (f.role == LineRole::NumLines && f.number == failure::kOverflow && stop_ == f.line)
            add(f.line, "more than 32767 questions: the program reads no further");
        else if (f.role == LineRole::NumLines && number && undescramblable_.count(f.line) == 0)
            add(f.line,
                "NumLines " + Quoted(EscapeValue(plainText(f.line) ? *plainText(f.line) : std::string_view()))
                    + " is not a number from 0 to 255");
        else if (f.role != LineRole::NumLines || !number)
            add(f.line, "failure " + std::to_string(f.number) + " while reading the " + RoleName(f.role) + " line");
    }

    // The lines the program reads, and the end line, must end with CR LF.
    void lineEnds()
    {
        std::size_t last = lineCount_;
        if (stop_)
            last = std::min(last, static_cast<std::size_t>(endLineStop_ ? *stop_ : *stop_ - 1));
        for (const auto& [line, end] : otherEnds_) {
            if (static_cast<std::size_t>(line) > last)
                break;
            switch (end) {
            case LineEnd::CrLf:
                break;
            case LineEnd::Lf:
                add(line, "line ends with LF only, not CR LF");
                break;
            case LineEnd::Cr:
                add(line, "line ends with CR only, not CR LF");
                break;
            case LineEnd::None:
                add(line, "last line has no CR LF at its end");
                break;
            }
        }
    }

    void unread()
    {
        if (!endLineStop_ || lineCount_ <= static_cast<std::size_t>(*stop_))
            return;
        add(*stop_ + 1,
            "never read: the program stops at the end line " + std::to_string(*stop_) + " ("
                + Counted(lineCount_ - static_cast<std::size_t>(*stop_), "line", "lines") + " after it)");
    }

    const LoadRecorder& load_;
    std::size_t lineCount_ = 0;
    std::vector<std::pair<int, LineEnd>> otherEnds_;
    const std::optional<int> stop_;
    bool endLineStop_ = false;
    std::vector<DataFileProblem> problems_;
    std::set<int> undescramblable_;
};

}  // namespace

std::vector<DataFileProblem> FindDataFileProblems(const LoadRecorder& load, std::string_view bytes)
{
    return ProblemFinder(load, bytes).find();
}

}  // namespace qd

#include "bank/QuestionRecords.h"

#include <limits>
#include <string>
#include <utility>

#include "bank/Convert.h"
#include "bank/Descrambler.h"
#include "shell/Failure.h"
#include "shell/StepRunner.h"

namespace qd {

namespace {

constexpr const char* kLoadLocation = "3406";

// A file's bytes handed out line by line. A line ends at CR LF, at a lone CR
// or at a lone LF.
class LineReader {
public:
    explicit LineReader(std::string_view data) : data_(data) { }

    bool atEnd() const { return pos_ >= data_.size(); }

    std::string_view next()
    {
        if (atEnd())
            Raise(failure::kInputPastEndOfFile, "input past end of file");
        const std::size_t start = pos_;
        std::size_t end = start;
        while (end < data_.size() && data_[end] != '\r' && data_[end] != '\n')
            ++end;
        pos_ = end;
        if (pos_ < data_.size() && data_[pos_] == '\r')
            ++pos_;
        if (pos_ < data_.size() && data_[pos_] == '\n' && (pos_ == end || data_[end] == '\r'))
            ++pos_;
        return data_.substr(start, end - start);
    }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

}  // namespace

bool IsEndLine(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

void ReadQuestionRecords(std::string_view bytes, QuestionBank& bank, Steps& steps, LoadPosition& at,
                         LoadObserver* observer)
{
    LineReader file(bytes);
    int& line = at.line;
    LineRole& role = at.role;

    // One line of the file, descrambled; `raw` receives it as read.
    const auto readLine = [&](LineRole lineRole, std::string_view& raw) {
        role = lineRole;
        ++line;
        raw = file.next();
        return DescrambleLine(kQuestionKey, raw, 0);
    };
    const auto notify = [&](std::string_view raw, std::string_view plain) {
        if (observer)
            observer->lineRead(line, role, raw, plain);
    };
    const auto current = [&]() -> QuestionRecord& { return bank.table.at(static_cast<std::size_t>(bank.count)); };

    steps([&] {
        bank.table.assign(1, QuestionRecord {});
        bank.count = 0;
    });

    bool stop = false;
    while (!stop && !file.atEnd()) {
        std::string_view raw;  // the line as read; it lives as long as `bytes`
        steps([&] { bank.table.resize(static_cast<std::size_t>(bank.count) + 2); });
        steps([&] {
            role = LineRole::NumLines;
            ++line;
            raw = file.next();
            if (IsEndLine(raw)) {
                stop = true;
                if (observer)
                    observer->stopped(line);
            } else if (bank.count == std::numeric_limits<std::int16_t>::max()) {
                stop = true;
                if (observer)
                    observer->stopped(line);
                Raise(failure::kOverflow, "more than 32767 questions");
            }
        });
        if (stop)
            break;
        steps([&] {
            current().NumLines = DescrambleLine(kQuestionKey, raw, 0);
            notify(raw, current().NumLines);
        });

        // A count that is not a whole number from 0 to 255 is logged and
        // read as 0: the lines that follow are taken as the answers, so the
        // rest of the file is still read and every misplaced line is seen.
        unsigned questionLines = 0;
        steps([&] { questionLines = ToByte(current().NumLines); });

        for (unsigned i = 0; i < questionLines; ++i) {
            steps([&] {
                const std::string plain = readLine(LineRole::Question, raw);
                notify(raw, plain);
                AddQuestionLine(current(), plain);
            });
        }

        const std::pair<LineRole, std::string QuestionRecord::*> fields[] = {
            {LineRole::Answer1, &QuestionRecord::Answer1}, {LineRole::Answer2, &QuestionRecord::Answer2},
            {LineRole::Answer3, &QuestionRecord::Answer3}, {LineRole::Answer4, &QuestionRecord::Answer4},
            {LineRole::AnsNum, &QuestionRecord::AnsNum},   {LineRole::Ref, &QuestionRecord::Ref},
        };
        for (const auto& [fieldRole, field] : fields) {
            steps([&, fieldRole = fieldRole, field = field] {
                std::string plain = readLine(fieldRole, raw);
                notify(raw, plain);
                current().*field = std::move(plain);
            });
        }

        steps([&] { ++bank.count; });
    }
}

QuestionBank ReadDataFileRecords(std::string_view bytes, LoadObserver& observer)
{
    QuestionBank bank;
    LoadPosition at;
    Steps steps(kLoadLocation, [&](std::int16_t number) {
        observer.failed(at.line, at.role, number);
        return AfterFailure::NextStep;
    });
    ReadQuestionRecords(bytes, bank, steps, at, &observer);
    return bank;
}

}  // namespace qd

#include "bank/QuestionRecords.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "bank/Convert.h"
#include "bank/Descrambler.h"
#include "bank/Text.h"
#include "shell/Failure.h"
#include "shell/StepRunner.h"
#include "shell/platform/Memory.h"

namespace qd {

namespace {

constexpr const char* kLoadLocation = "3406";

// A file's bytes handed out line by line. A line ends at CR LF, at a lone CR
// or at a lone LF.
class DataLineReader {
public:
    explicit DataLineReader(std::string_view data) : data_(data) { }

    bool atEnd() const { return pos_ >= data_.size(); }

    // The length of the line next() gives next, and of all that is left.
    std::size_t nextLength() const { return atEnd() ? 0 : LineEndFrom(pos_) - pos_; }
    std::size_t remaining() const { return atEnd() ? 0 : data_.size() - pos_; }

    std::string_view next()
    {
        if (atEnd())
            Raise(failure::kInputPastEndOfFile, "input past end of file");
        const std::size_t start = pos_;
        const std::size_t end = LineEndFrom(start);
        pos_ = end;
        if (pos_ < data_.size() && data_[pos_] == '\r')
            ++pos_;
        if (pos_ < data_.size() && data_[pos_] == '\n' && (pos_ == end || data_[end] == '\r'))
            ++pos_;
        return data_.substr(start, end - start);
    }

private:
    std::size_t LineEndFrom(std::size_t start) const { return FirstLineBreak(data_, start); }

    std::string_view data_;
    std::size_t pos_ = 0;
};

// The most records `size` bytes can hold (and the spare ones after them):
// each has at least seven lines of at least the markers, the header, one
// character and CR LF. Reserved at once, the table is never moved as it grows.
std::size_t RecordsAtMost(std::size_t size)
{
    constexpr std::size_t kShortestRecord = 7 * (kStartMarker.size() + 9 + 1 + kEndMarker.size() + 2);
    return std::min(size / kShortestRecord, static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) + 2;
}

// The record just read (before `next`) emptied and put in the place of the
// next, whose texts then grow where the last ones were, without new memory.
void Recycle(std::vector<QuestionRecord>& table, std::size_t next)
{
    QuestionRecord& done = table.at(next - 1);
    EmptyTexts(done);
    std::swap(done, table.at(next));
}

// The records of the table a load replaces, whose texts the new records
// take over emptied: loading a section again, or another one, makes few new texts.
class SpareRecords {
public:
    explicit SpareRecords(std::vector<QuestionRecord> records) : records_(std::move(records)) { }

    // Empty records added to `table` until it holds `size`.
    void growTo(std::vector<QuestionRecord>& table, std::size_t size)
    {
        while (table.size() < size) {
            if (records_.empty()) {
                table.emplace_back();
                continue;
            }
            EmptyTexts(records_.back());
            table.push_back(std::move(records_.back()));
            records_.pop_back();
        }
    }

private:
    std::vector<QuestionRecord> records_;
};

}  // namespace

bool IsEndLine(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

void ReadQuestionRecords(std::string_view bytes, QuestionBank& bank, Steps& steps, LoadPosition& at,
                         LoadObserver* observer, KeptRecords kept)
{
    DataLineReader file(bytes);
    int& line = at.line;
    LineRole& role = at.role;

    // One line of the file, descrambled onto the end of `text` (nothing after
    // a rejection); `raw` receives it as read. Returns the descrambled part.
    const auto readLine = [&](LineRole lineRole, std::string_view& raw, std::string& text) {
        role = lineRole;
        ++line;
        raw = file.next();
        const std::size_t start = text.size();
        AppendDescrambledLine(text, kQuestionKey, raw, 0);
        return std::string_view(text).substr(start);
    };
    const auto notify = [&](std::string_view raw, std::string_view plain) {
        if (observer)
            observer->lineRead(line, role, raw, plain);
    };
    const auto current = [&]() -> QuestionRecord& { return bank.table.at(static_cast<std::size_t>(bank.count)); };

    SpareRecords spare({});
    steps([&] {
        spare = SpareRecords(std::exchange(bank.table, {}));
        bank.count = 0;
        spare.growTo(bank.table, 1);
        ReserveLarge(bank.table, RecordsAtMost(bytes.size()));
    });

    bool stop = false;
    while (!stop && !file.atEnd()) {
        std::string_view raw;  // the line as read; it lives as long as `bytes`
        steps([&] { spare.growTo(bank.table, static_cast<std::size_t>(bank.count) + 2); });
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
            std::string& numLines = current().NumLines;
            numLines.clear();
            AppendDescrambledLine(numLines, kQuestionKey, raw, 0);
            notify(raw, numLines);
        });

        // A count that is not a whole number from 0 to 255 is logged and
        // read as 0: the lines that follow are taken as the answers, so the
        // rest of the file is still read and every misplaced line is seen.
        unsigned questionLines = 0;
        steps([&] { questionLines = ToByte(current().NumLines); });

        for (unsigned i = 0; i < questionLines; ++i) {
            steps([&] {
                QuestionRecord& record = current();
                const std::size_t start = record.Question.size();
                // Room for as many lines as long as this one, with their ends;
                // never more than the rest of the file holds.
                const std::size_t lines = questionLines;
                if (start == 0)
                    record.Question.reserve(std::min(file.nextLength() * lines, file.remaining()) + 6 * lines);
                try {
                    notify(raw, readLine(LineRole::Question, raw, record.Question));
                } catch (...) {
                    record.Question.resize(start);
                    throw;
                }
                EndQuestionLine(record, start);
            });
        }

        const std::pair<LineRole, std::string QuestionRecord::*> fields[] = {
            {LineRole::Answer1, &QuestionRecord::Answer1}, {LineRole::Answer2, &QuestionRecord::Answer2},
            {LineRole::Answer3, &QuestionRecord::Answer3}, {LineRole::Answer4, &QuestionRecord::Answer4},
            {LineRole::AnsNum, &QuestionRecord::AnsNum},   {LineRole::Ref, &QuestionRecord::Ref},
        };
        for (const auto& [fieldRole, field] : fields) {
            steps([&, fieldRole = fieldRole, field = field] {
                std::string& text = current().*field;
                text.clear();
                try {
                    notify(raw, readLine(fieldRole, raw, text));
                } catch (...) {
                    text.clear();
                    throw;
                }
            });
        }

        steps([&] {
            ++bank.count;
            if (kept == KeptRecords::CountOnly)
                Recycle(bank.table, static_cast<std::size_t>(bank.count));
        });
    }
}

std::int16_t CountDataFileRecords(std::string_view bytes, LoadObserver& observer)
{
    QuestionBank bank;
    LoadPosition at;
    Steps steps(kLoadLocation, [&](std::int16_t number) {
        observer.failed(at.line, at.role, number);
        return AfterFailure::NextStep;
    });
    ReadQuestionRecords(bytes, bank, steps, at, &observer, KeptRecords::CountOnly);
    return bank.count;
}

}  // namespace qd

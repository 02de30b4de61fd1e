#include "bank/QuestionFile.h"

#include <limits>

#include "bank/CodePage.h"
#include "bank/Convert.h"
#include "bank/Descrambler.h"
#include "shell/ErrorLog.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/platform/Files.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/MousePointer.h"
#include "shell/platform/ProgramEnd.h"

namespace qd {

namespace {

constexpr const char* kMissingLocation = "3405";
constexpr const char* kLoadLocation = "3406";

// The whole file in memory, handed out line by line. A line ends at CR LF,
// at a lone CR or at a lone LF.
class LineReader {
public:
    // Opened without waiting and checked after the open, so a FIFO or a
    // device in the file's place never blocks; a file over the size limit
    // is failure 7, like memory that runs out.
    void open(const std::filesystem::path& path) { data_ = ReadRegularFile(path); }

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
        return std::string_view(data_).substr(start, end - start);
    }

private:
    std::string data_;
    std::size_t pos_ = 0;
};

bool IsBlankLine(std::string_view line)
{
    return line.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

void LoadQuestionFile(std::string_view fileName, LoadObserver* observer)
{
    QuestionBank& bank = TheProgram().bank;
    LineReader file;
    int line = 0;
    LineRole role = LineRole::NumLines;

    Steps steps(kLoadLocation, [&](std::int16_t number) {
        if (number == failure::kFileNotFound) {
            MsgBox(FromCodePage(kMissingFilesMessage));
            LogError(number, kMissingLocation);
            EndProgram(kExitMissingFiles);
        }
        if (observer)
            observer->failed(line, role, number);
        LogError(number, kLoadLocation);
        return AfterFailure::NextStep;
    });

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

    steps([] { SetMousePointer(kHourglass); });
    steps([&] { file.open(ProgramPath(fileName)); });
    steps([&] {
        bank.table.assign(1, QuestionRecord {});
        bank.count = 0;
    });

    bool stop = false;
    while (!stop && !file.atEnd()) {
        std::string_view raw;  // the line as read; it lives as long as `file`
        steps([&] { bank.table.resize(static_cast<std::size_t>(bank.count) + 2); });
        steps([&] {
            role = LineRole::NumLines;
            ++line;
            raw = file.next();
            if (IsBlankLine(raw)) {
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
                std::string& question = current().Question;
                question += plain;
                question += "\r\n";
                if (plain.find('?') != std::string::npos)
                    question += "\r\n\r\n";
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

    steps([] { SetMousePointer(kDefaultPointer); });
}

const std::vector<QuestionRecord>& QuestionTable()
{
    return TheProgram().bank.table;
}

std::int16_t QuestionCount()
{
    return TheProgram().bank.count;
}

}  // namespace qd

// What a load read, kept line by line: the data-file check names the lines of
// the problems it finds from it, and the bank tool takes the questions of a
// data file from it exactly as the program read them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/QuestionRecords.h"
#include "bank/Text.h"

namespace qd {

// A data-file line (LineEnd in bank/Text.h). The program's loader ends a line
// at CR LF, at a lone CR or at a lone LF; the last line may have no end at all.
struct DataLine {
    std::string_view text;
    LineEnd end;
};

// The lines of a data file, numbered as the loader numbers them (index + 1).
std::vector<DataLine> SplitDataLines(std::string_view bytes);

// A line as LoadQuestionFile read it. Both texts are kept by the recorder
// that reported the line.
struct ReadLine {
    int line;
    LineRole role;
    std::string_view raw;  // as the file holds it
    std::string_view plain;  // as the program took it
};

struct LoadFailure {
    int line;
    LineRole role;
    std::int16_t number;
};

// Keeps everything a load reports.
class LoadRecorder final : public LoadObserver {
public:
    LoadRecorder() = default;
    // A recorder of a load of `fileBytes`, which the caller keeps unchanged
    // for as long as the recorder: the lines as read point into them.
    explicit LoadRecorder(std::string_view fileBytes);
    // The lines point into the recorder's own blocks of text, which a move
    // takes along and a copy could not.
    LoadRecorder(LoadRecorder&&) = default;
    LoadRecorder& operator=(LoadRecorder&&) = default;
    LoadRecorder(const LoadRecorder&) = delete;
    LoadRecorder& operator=(const LoadRecorder&) = delete;
    ~LoadRecorder() override = default;

    void lineRead(int line, LineRole role, std::string_view raw, std::string_view plain) override;
    void failed(int line, LineRole role, std::int16_t number) override;
    void stopped(int line) override;

    const std::vector<ReadLine>& lines() const { return lines_; }
    const std::vector<LoadFailure>& failures() const { return failures_; }
    // The line where reading stopped before the file's end, if it did.
    std::optional<int> stoppedAt() const { return stoppedAt_; }

private:
    // A copy of `text` in the blocks, which never move once made.
    std::string_view keep(std::string_view text);

    std::string_view fileBytes_;
    std::vector<std::string> blocks_;
    std::vector<ReadLine> lines_;
    std::vector<LoadFailure> failures_;
    std::optional<int> stoppedAt_;
};

}  // namespace qd

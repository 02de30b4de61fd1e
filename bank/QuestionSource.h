// The question source form (data/README.md): the UTF-8 text question authors
// write, and its conversion to and from the records of a data file.
//
// Everything here works on bytes in memory, so a fuzzer can drive it:
//
//     PackSource(text)            source text -> data-file bytes, or errors
//     ParseSource(text)           source text -> stored questions, or errors
//     WriteDataFile(bank)         stored questions -> data-file bytes
//     UnpackSource(bank)          stored questions -> canonical source text
//     StoredBankFromLoad(...)     what LoadQuestionFile reported -> stored questions
//
// For stored questions that WriteDataFile accepts,
// ParseSource(UnpackSource(bank)).bank == bank.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/QuestionRecords.h"
#include "bank/Text.h"

namespace qd {

// One question as its data file stores it. Every text is in code-page bytes,
// exactly as its line holds it once descrambled.
struct StoredQuestion {
    std::string numLines;  // the count of question lines as stored: "2", " 2", "02"
    std::vector<std::string> questionLines;
    std::array<std::string, 4> answers;
    std::string ansNum;  // the correct answer's number as stored: "2", "02"
    std::string reference;

    bool operator==(const StoredQuestion& other) const;
    bool operator!=(const StoredQuestion& other) const { return !(*this == other); }
};

struct StoredBank {
    std::vector<StoredQuestion> questions;
    // An end line after the last question (empty or blanks only), stored as
    // is, unscrambled; the program stops reading there.
    std::optional<std::string> endLine;

    bool operator==(const StoredBank& other) const;
    bool operator!=(const StoredBank& other) const { return !(*this == other); }
};

inline constexpr int kMaxQuestionLines = 255;
inline constexpr int kMaxQuestions = 32767;

// A mistake in a source, on its line (numbered from 1).
struct SourceError {
    int line;
    std::string message;
};

struct ParsedSource {
    StoredBank bank;  // meaningful only when there are no errors
    std::vector<SourceError> errors;  // in line order
};

// One line of a text, numbered from 1, without its line end.
struct SourceLine {
    int number;
    std::string_view bytes;
};

// Splits a UTF-8 text into lines: LF ends a line, and a CR just before it, or
// at the very end, belongs to the end. A byte order mark at the start is dropped.
std::vector<SourceLine> SplitSourceLines(std::string_view text);

// Reads a source. Never throws for anything in the text: every mistake
// becomes an error naming its line.
ParsedSource ParseSource(std::string_view utf8);

// The data file of stored questions: each text scrambled with the program's
// key, each line followed by CR LF, then the end line if there is one.
// Raises Failure for a text the scrambler cannot take (an empty one).
std::string WriteDataFile(const StoredBank& bank);

struct PackResult {
    std::string bytes;  // the data file; empty when there are errors
    std::vector<SourceError> errors;  // in line order
};

// ParseSource followed by WriteDataFile.
PackResult PackSource(std::string_view utf8);

// The canonical source of stored questions, one blank line between questions.
// "lines:" and "answer-number:" appear only where the stored text differs from
// the one pack would write. An answer number that is not 1 to 4 leaves every
// answer "wrong:", so the source does not pack until someone picks the right one.
std::string UnpackSource(const StoredBank& bank);

// One stored text as a source value: "\\" for a backslash and "\xHH" for
// control characters, characters no editor shows (no-break space, soft
// hyphen, the five code points windows-1252 leaves unassigned) and a blank
// at the very end; every other byte as its UTF-8 character.
std::string EscapeValue(std::string_view bytes);

// A data-file line (LineEnd in bank/Text.h). The program's loader ends a line
// at CR LF, at a lone CR or at a lone LF; the last line may have no end at all.
struct DataLine {
    std::string_view text;
    LineEnd end;
};

// The lines of a data file, numbered as the loader numbers them (index + 1).
std::vector<DataLine> SplitDataLines(std::string_view bytes);

// A line as LoadQuestionFile read it.
struct ReadLine {
    int line;
    LineRole role;
    std::string raw;  // as the file holds it
    std::string plain;  // as the program took it
};

struct LoadFailure {
    int line;
    LineRole role;
    std::int16_t number;
};

// Keeps everything a load reports.
class LoadRecorder final : public LoadObserver {
public:
    void lineRead(int line, LineRole role, std::string_view raw, std::string_view plain) override;
    void failed(int line, LineRole role, std::int16_t number) override;
    void stopped(int line) override;

    const std::vector<ReadLine>& lines() const { return lines_; }
    const std::vector<LoadFailure>& failures() const { return failures_; }
    // The line where reading stopped before the file's end, if it did.
    std::optional<int> stoppedAt() const { return stoppedAt_; }

private:
    std::vector<ReadLine> lines_;
    std::vector<LoadFailure> failures_;
    std::optional<int> stoppedAt_;
};

// The questions a load read, with the texts the program took from each line;
// the end line comes from the file's bytes when reading stopped at one.
StoredBank StoredBankFromLoad(const LoadRecorder& load, std::string_view fileBytes);

// True for a line the loader takes as an end line: empty or blanks only.
bool IsEndLine(std::string_view text);

}  // namespace qd

// The question bank's tables.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qd {

// One question card. Every field is 8-bit text in the data files' code page;
// numbers are kept as the decimal text the file holds.
struct QuestionRecord {
    std::string NumLines;  // count of question-text lines, as stored: "2", " 2", "02"
    std::string Question;  // each line followed by CR LF, two more after a line with "?"
    std::string Answer1;
    std::string Answer2;
    std::string Answer3;
    std::string Answer4;
    std::string AnsNum;  // number of the correct answer, 1 to 4, as stored: "2", "02"
    std::string Ref;  // reference text shown with the verdict

    // Answer1 to Answer4 by index 0 to 3.
    std::string& answer(std::size_t index);
    const std::string& answer(std::size_t index) const;

    bool operator==(const QuestionRecord& other) const;
    bool operator!=(const QuestionRecord& other) const { return !(*this == other); }
};

inline constexpr std::size_t kAnswerCount = 4;

// Empties every text of a record, keeping the memory each has, for the
// record to be filled again.
void EmptyTexts(QuestionRecord& record);

// Adds a line to the record's question text as the program keeps it: the
// line and CR LF, then two more CR LF when the line holds "?".
void AddQuestionLine(QuestionRecord& record, std::string_view line);
// The same for a line already appended to the question text at `lineStart`.
void EndQuestionLine(QuestionRecord& record, std::size_t lineStart);

// The lines AddQuestionLine made the question text of. A line that itself
// held CR LF comes back as two lines.
std::vector<std::string> QuestionLinesOf(const QuestionRecord& record);
// The same lines as parts of the record's question text.
std::vector<std::string_view> QuestionLineViews(const QuestionRecord& record);
// The same into `lines`, whose room is used again.
void QuestionLineViews(const QuestionRecord& record, std::vector<std::string_view>& lines);
// The size of the question text AddQuestionLine makes of `lines`.
std::size_t QuestionTextSize(const std::vector<std::string_view>& lines);

inline constexpr std::size_t kDataFileSlots = 16;

struct QuestionBank {
    // The open section's cards: question number n at index n - 1, followed by
    // one or two empty spare records. Empty before the first load.
    std::vector<QuestionRecord> table;
    std::int16_t count = 0;
    // Slot s - 1 names the data file of section s.
    std::array<std::string, kDataFileSlots> dataFileNames;
};

// The questions of one data file, as the bank tool and the question source
// form work with them: every record in file order, without spare records.
struct StoredBank {
    std::vector<QuestionRecord> questions;
    // An end line after the last question (empty or blanks only), stored as
    // is, unscrambled; the program stops reading there.
    std::optional<std::string> endLine;

    bool operator==(const StoredBank& other) const;
    bool operator!=(const StoredBank& other) const { return !(*this == other); }
};

// The program's bank: the one the loader fills and the quiz reads.
QuestionBank& ProgramBank();

}  // namespace qd

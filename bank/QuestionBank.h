// The question bank's tables.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qd {

// One question card. Every field is 8-bit text in the data files' code page;
// numbers are kept as the decimal text the file holds.
struct QuestionRecord {
    std::string NumLines;  // count of question-text lines; used only while loading
    std::string Question;  // each line followed by CR LF, two more after a line with "?"
    std::string Answer1;
    std::string Answer2;
    std::string Answer3;
    std::string Answer4;
    std::string AnsNum;  // number of the correct answer, 1 to 4
    std::string Ref;  // reference text shown with the verdict

    bool operator==(const QuestionRecord& other) const;
};

inline constexpr std::size_t kDataFileSlots = 16;

struct QuestionBank {
    // The open section's cards: question number n at index n - 1, followed by
    // one or two empty spare records. Empty before the first load.
    std::vector<QuestionRecord> table;
    std::int16_t count = 0;
    // Slot s - 1 names the data file of section s.
    std::array<std::string, kDataFileSlots> dataFileNames;
};

// The program's bank: the one the loader fills and the quiz reads.
QuestionBank& ProgramBank();

}  // namespace qd

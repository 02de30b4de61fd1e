// Reading the bytes of a data file into question records, line by line, the
// way the program reads them.
#pragma once

#include <cstdint>
#include <string_view>

#include "bank/QuestionBank.h"

namespace qd {

class Steps;

// The key every line of every data file is scrambled with.
inline constexpr std::string_view kQuestionKey = "kq38>]!wz%hpr/^;e";

// What a line of a data file holds, by its place in a record.
enum class LineRole { NumLines, Question, Answer1, Answer2, Answer3, Answer4, AnsNum, Ref };

// Follows a load line by line; the data-file check uses it to name the lines
// of the problems it reports. Line numbers start at 1; a line past the end of
// the file gets the number it would have had.
class LoadObserver {
public:
    virtual ~LoadObserver() = default;
    virtual void lineRead(int line, LineRole role, std::string_view raw, std::string_view plain) = 0;
    virtual void failed(int line, LineRole role, std::int16_t number) = 0;
    // Reading stopped at `line` before the file's end: an empty or all-space
    // line where a record begins, or one record too many.
    virtual void stopped(int line) = 0;
};

// True for a line the loader takes as an end line: empty or blanks only.
bool IsEndLine(std::string_view text);

// The line being read, for a failure handler to name.
struct LoadPosition {
    int line = 0;
    LineRole role = LineRole::NumLines;
};

// What a reading keeps of the records it reads.
enum class KeptRecords { All, CountOnly };

// Replaces `bank`'s table and count with the records of `bytes`, running each
// step through `steps`; `at` follows the line being read. With
// KeptRecords::CountOnly each record is emptied once it is read, for a reader
// that takes the lines from `observer`: the count is the same.
void ReadQuestionRecords(std::string_view bytes, QuestionBank& bank, Steps& steps, LoadPosition& at,
                         LoadObserver* observer, KeptRecords kept = KeptRecords::All);

// Reads a data file's bytes as the program would, handing every line to
// `observer`, and returns the count of records the program would have.
// Nothing is logged: every failure goes to `observer`.
std::int16_t CountDataFileRecords(std::string_view bytes, LoadObserver& observer);

}  // namespace qd

// The question file and the question table: LoadQuestionFile reads one
// section's data file from the program folder into the program-wide table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bank/QuestionBank.h"

namespace qd {

// The key every line of every data file is scrambled with.
inline constexpr std::string_view kQuestionKey = "kq38>]!wz%hpr/^;e";

inline constexpr std::string_view kMissingFilesMessage =
    "Files required to run the program are missing or corrupt. Please reinstall the application.";

// What a line of a data file holds, by its place in a record.
enum class LineRole { NumLines, Question, Answer1, Answer2, Answer3, Answer4, AnsNum, Ref };

// Follows a load line by line; the bank tool uses it to name the lines of
// the problems it reports. Line numbers start at 1; a line past the end of
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

// Replaces the question table and QuestionCount with the records of the
// named file in the program folder. A missing file ends the program.
void LoadQuestionFile(std::string_view fileName, LoadObserver* observer = nullptr);

const std::vector<QuestionRecord>& QuestionTable();
std::int16_t QuestionCount();

}  // namespace qd

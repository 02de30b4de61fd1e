// The question file and the question table: LoadQuestionFile reads one
// section's data file from the program folder into the program's bank.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "bank/QuestionBank.h"
#include "bank/QuestionRecords.h"

namespace qd {

inline constexpr std::string_view kMissingFilesMessage =
    "Files required to run the program are missing or corrupt. Please reinstall the application.";

// Replaces the question table and QuestionCount with the records of the
// named file in the program folder. A missing file ends the program.
void LoadQuestionFile(std::string_view fileName, LoadObserver* observer = nullptr);

const std::vector<QuestionRecord>& QuestionTable();
std::int16_t QuestionCount();

}  // namespace qd

// The data-file name table and the start-up check that every data file is there.
#pragma once

#include <array>
#include <string>

#include "bank/QuestionBank.h"

namespace qd {

// Fills the name table and makes sure each named file is a normal file in the
// program folder. If one is missing it tells the user and ends the program.
void CheckDataFiles();

// Slot s - 1 names the data file of section s; slot 15 belongs to no section.
const std::array<std::string, kDataFileSlots>& DataFileNames();

}  // namespace qd

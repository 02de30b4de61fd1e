// The data-file check: everything in a loaded data file that the program
// trips over, and everything that pack would not write back byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bank/LoadRecorder.h"

namespace qd {

// A data file without a single question: the program shows an empty card.
inline constexpr std::string_view kNoQuestionsProblem = "no questions: the section will show an empty card";

// One problem of a data file, on its line (numbered as the loader numbers them).
struct DataFileProblem {
    int line;
    std::string message;
};

// The problems of a file, from what LoadQuestionFile reported while reading
// `bytes`; in line order, each reported once.
std::vector<DataFileProblem> FindDataFileProblems(const LoadRecorder& load, std::string_view bytes);

}  // namespace qd

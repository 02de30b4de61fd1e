// Checking the chosen answer.
#pragma once

namespace qd {

class frmMain;

inline constexpr const char* kVerdictCorrect = "Your answer was correct!";
inline constexpr const char* kVerdictIncorrect = "Your answer was incorrect.";

// Appends the verdict, the correct answer and the reference text to the
// question label of the main window.
void CheckAnswer(frmMain& form);

}  // namespace qd

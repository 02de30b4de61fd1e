// Opening a section and showing a question: the routines that set the
// session state and fill the main window with a question card.
#pragma once

#include <cstdint>

#include "bank/QuestionBank.h"
#include "quiz/SessionState.h"

namespace qd {

class frmMain;
class frmSelSect;

// Loads section `section` (1 to 15), taking its title from the row selected in
// the chooser, and shows its question 1 in the main window. True once open.
bool OpenSection(frmMain& form, const frmSelSect& chooser, std::int16_t section);

// Fills the main window with the card and remembers its number, its correct
// answer and its reference text.
void ShowQuestion(frmMain& form, const QuestionRecord& record, std::int16_t number);

// The record of question `number` (1-based); failure 9 when the table has none.
const QuestionRecord& QuestionAt(std::int16_t number);

SessionState& Session();

}  // namespace qd

// Printing the question on screen.
#pragma once

namespace qd {

class frmMain;

// Prints the product title, the question-number line, the question label as
// it stands and the four answers, the chosen one marked.
void PrintQuestion(frmMain& form);

}  // namespace qd

#include "quiz/PrintQuestion.h"

namespace qd {

void PrintQuestion(frmMain& /*form*/)
{
    // Printing arrives with the printer layer; the button already follows the question cycle.
}

}  // namespace qd

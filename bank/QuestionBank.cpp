#include "bank/QuestionBank.h"

#include "shell/Program.h"

namespace qd {

bool QuestionRecord::operator==(const QuestionRecord& other) const
{
    return NumLines == other.NumLines && Question == other.Question && Answer1 == other.Answer1
        && Answer2 == other.Answer2 && Answer3 == other.Answer3 && Answer4 == other.Answer4 && AnsNum == other.AnsNum
        && Ref == other.Ref;
}

QuestionBank& ProgramBank()
{
    return TheProgram().part<QuestionBank>();
}

}  // namespace qd

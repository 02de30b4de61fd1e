#include "shell/platform/MousePointer.h"

#include "shell/Failure.h"
#include "shell/Program.h"

namespace qd {

void SetMousePointer(int pointer)
{
    if (pointer != kDefaultPointer && pointer != kHourglass)
        Raise(failure::kInvalidArgument, "unknown mouse pointer");
    Program& program = TheProgram();
    if (pointer == program.mousePointer)
        return;
    program.mousePointer = pointer;
    program.pointerDisplay().show(pointer);
}

int MousePointer()
{
    return TheProgram().mousePointer;
}

}  // namespace qd

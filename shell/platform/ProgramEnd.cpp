#include "shell/platform/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

#include "shell/Program.h"

namespace qd {

void ProcessEnder::end(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

void EndProgram(int status)
{
    TheProgram().ender().end(status);
    throw ProgramEnded {status};
}

}  // namespace qd

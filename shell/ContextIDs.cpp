#include "shell/ContextIDs.h"

#include "shell/Program.h"
#include "shell/platform/HelpViewer.h"

namespace qd {

void CloseHelp()
{
    const Program& program = TheProgram();
    // The viewer reports trouble only through its result, which does not matter here.
    program.helpViewer().WinHelp(program.helpFile, HelpCommand::Quit, 0);
}

}  // namespace qd

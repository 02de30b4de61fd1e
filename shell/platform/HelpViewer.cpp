#include "shell/platform/HelpViewer.h"

namespace qd {

bool DesktopHelpViewer::WinHelp(const QString& /*helpFile*/, HelpCommand command, std::uint32_t /*data*/)
{
    // This desktop has no help window yet: a topic request is refused, and
    // quitting has nothing to close.
    return command == HelpCommand::Quit;
}

}  // namespace qd

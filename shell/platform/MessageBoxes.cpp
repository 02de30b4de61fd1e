#include "shell/platform/MessageBoxes.h"

#include <cstdio>

#include "shell/Program.h"

namespace qd {

MsgAnswer StandardErrorMessageBoxes::show(const MsgBoxRequest& request)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(request.title), qUtf8Printable(request.prompt));
    return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

MsgAnswer MsgBox(const QString& prompt, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    const Program& program = TheProgram();
    return program.messageBoxes().show({prompt, buttons, icon, title.isEmpty() ? program.appTitle : title});
}

}  // namespace qd

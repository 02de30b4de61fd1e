#include "shell/platform/MousePointer.h"

#include <QCursor>
#include <QGuiApplication>

#include "shell/Failure.h"
#include "shell/Program.h"

namespace qd {

void SetMousePointer(int pointer)
{
    if (pointer != kDefaultPointer && pointer != kHourglass)
        Raise(failure::kInvalidArgument, "unknown mouse pointer");
    int& current = TheProgram().mousePointer;
    if (pointer == current)
        return;
    current = pointer;
    // Without a window system (the bank tool) there is no pointer to show.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (pointer == kHourglass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

int MousePointer()
{
    return TheProgram().mousePointer;
}

}  // namespace qd

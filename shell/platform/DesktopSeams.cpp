#include "shell/platform/DesktopSeams.h"

#include <QCursor>
#include <QGuiApplication>

#include "shell/Program.h"
#include "shell/platform/DesktopHelpViewer.h"
#include "shell/platform/PrintDialog.h"
#include "shell/platform/QtMessageBoxes.h"

namespace qd {

void UseDesktopSeams()
{
    Program& program = TheProgram();
    program.setMessageBoxes(std::make_unique<QtMessageBoxes>());
    program.setHelpViewer(std::make_unique<DesktopHelpViewer>());
    program.setPrinterChooser(std::make_unique<DialogPrinterChooser>());
    program.setPointerDisplay(std::make_unique<OverrideCursorDisplay>());
}

void OverrideCursorDisplay::show(int pointer)
{
    if (pointer == kHourglass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

}  // namespace qd

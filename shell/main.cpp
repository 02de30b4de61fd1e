// Quizdeck: the program's entry hands control to the window system and Main.
#include <QApplication>

#include "shell/Controls.h"
#include "shell/Program.h"
#include "shell/Resources.h"
#include "shell/mainMOD.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Windows"));
    QApplication::setApplicationName(QStringLiteral("Quizdeck"));
    qd::InitResources();
    qd::InstallFontSubstitutes();
    QApplication::setWindowIcon(qd::ProgramIcon());
    qd::Main();
    // The program's windows (the help window too) go before the application does.
    qd::ResetProgram();
    return 0;
}

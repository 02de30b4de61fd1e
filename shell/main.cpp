// Quizdeck: the program's entry hands control to the window system and Main.
#include <QApplication>

#include "shell/Program.h"
#include "shell/mainMOD.h"
#include "shell/platform/DesktopSeams.h"

int main(int argc, char** argv)
{
    qd::PrepareQt();
    QApplication app(argc, argv);
    qd::UseDesktopSeams();
    qd::PrepareApplication();
    qd::Main();
    // The program's windows (the help window too) go before the application does.
    qd::ResetProgram();
    return 0;
}

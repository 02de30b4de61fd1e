#include "shell/mainMOD.h"

#include <QApplication>

#include "quiz/frmMain.h"
#include "shell/Controls.h"
#include "shell/Resources.h"
#include "shell/StepRunner.h"

namespace qd {

namespace {
constexpr const char* kLocation = "3501";
}

void PrepareApplication()
{
    // Qt looks for plugins (styles, image formats, ...) in the program
    // folder too: a copy of the folder that others may write to must not
    // bring code into the program.
    QCoreApplication::removeLibraryPath(QCoreApplication::applicationDirPath());
    QApplication::setApplicationName(QStringLiteral("Quizdeck"));
    // The classic Windows look the windows were designed for.
    QApplication::setStyle(QStringLiteral("Windows"));
    InstallFontSubstitutes();
    // The dialog font the windows have always had, for menus, message
    // boxes and every control without a font of its own.
    QApplication::setFont(SansSerifFont(8.25, false));
    InitResources();
    QApplication::setWindowIcon(ProgramIcon());
}

void Main()
{
    Steps steps(kLocation);
    steps([] {
        frmMain form;
        form.exec();
    });
}

}  // namespace qd

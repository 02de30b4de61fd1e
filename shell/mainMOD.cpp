#include "shell/mainMOD.h"

#include <QApplication>
#include <QFile>
#include <QtGlobal>

#include "quiz/frmMain.h"
#include "shell/Controls.h"
#include "shell/Resources.h"
#include "shell/StepRunner.h"
#include "shell/platform/Files.h"
#include "shell/platform/TemporaryFile.h"

static void InitQtConfResource()
{
    Q_INIT_RESOURCE(qtconf);
}

namespace qd {

namespace {
constexpr const char* kLocation = "3501";
}

void PrepareQt()
{
    // Writing Kestrel.err past the file-size limit fails with "File too large"
    // rather than ending the program, and Ctrl+C or a hang-up while it is
    // written leaves no temporary file in the program folder.
    HandleWriteSignals();
    // Qt reads its qt.conf once, the built-in one before any in the program
    // folder, whose [Paths] could name a folder of plugins.
    InitQtConfResource();
    // Qt adds the program folder to its plugin folders while it builds the
    // application object, and loads the platform's plugins from them right
    // after: a copy of the folder that others may add files to must not
    // bring code into the program. Qt then also takes out again any folder
    // that was taken out of the list it had made before, so the program
    // folder goes into that list (through the variable Qt reads it from)
    // and out of it at once.
    const QString folder = QFile::decodeName(ExecutableFolder().c_str());
    const char* const variable = "QT_PLUGIN_PATH";
    const bool wasSet = qEnvironmentVariableIsSet(variable);
    const QByteArray saved = qgetenv(variable);
    qputenv(variable, saved.isEmpty() ? QFile::encodeName(folder) : saved + ':' + QFile::encodeName(folder));
    QStringList paths = QCoreApplication::libraryPaths();
    if (wasSet)
        qputenv(variable, saved);
    else
        qunsetenv(variable);
    paths.removeAll(folder);
    QCoreApplication::setLibraryPaths(paths);
}

void PrepareApplication()
{
    // PrepareQt kept the program folder out of the plugin folders; should
    // the application object have been built without it, the folder is
    // taken out here, late but before any window loads a style or picture.
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

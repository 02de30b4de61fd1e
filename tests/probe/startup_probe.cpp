// Starts the way the program starts, up to the point where its main window
// would open, prints Qt's plugin folders and whether a write past the
// file-size limit would end it, and ends. Built twice: with the
// program's start-up, and as a plain Qt Widgets program (QUIZDECK_PLAIN_QT),
// which shows that the tests' marker plugin is one Qt would load.
#include <csignal>
#include <cstdio>

#include <QApplication>
#include <QLibraryInfo>

#ifndef QUIZDECK_PLAIN_QT
#include "shell/mainMOD.h"
#endif

int main(int argc, char** argv)
{
#ifndef QUIZDECK_PLAIN_QT
    qd::PrepareQt();
#endif
    QApplication app(argc, argv);
#ifndef QUIZDECK_PLAIN_QT
    qd::PrepareApplication();
#endif
    for (const QString& path : QCoreApplication::libraryPaths())
        std::printf("library path %s\n", qPrintable(path));
    std::printf("qt plugins %s\n", qPrintable(QLibraryInfo::path(QLibraryInfo::PluginsPath)));
    struct sigaction fileSize { };
    ::sigaction(SIGXFSZ, nullptr, &fileSize);
    std::printf("file size signal %s\n", fileSize.sa_handler == SIG_IGN ? "ignored" : "ends the program");
    return 0;
}

// Start-up, measured from outside: the process starts, shows its main window
// and, once the event loop is idle, prints its peak memory and ends. Built
// twice: as Quizdeck's main window (greeting splash left out) and as a
// minimal Qt Widgets window with a menu bar and a dozen controls.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#ifndef QUIZDECK_MINIMAL
#include "quiz/frmMain.h"
#include "shell/Program.h"
#include "shell/mainMOD.h"
#endif

namespace {

long PeakMemoryKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

#ifdef QUIZDECK_MINIMAL
// As plain as a window with a menu bar and a dozen controls gets.
void BuildMinimal(QDialog& window)
{
    auto* menus = new QMenuBar(&window);
    menus->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    menus->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About"));
    auto* frame = new QGroupBox(QStringLiteral("Answers"), &window);
    frame->setGeometry(8, 300, 600, 100);
    for (int i = 0; i < 4; ++i)
        (new QRadioButton(QStringLiteral("Answer %1").arg(i + 1), frame))->move(8, 16 + 20 * i);
    for (int i = 0; i < 5; ++i)
        (new QPushButton(QStringLiteral("Button %1").arg(i + 1), &window))->move(540, 40 + 48 * i);
    (new QLabel(QStringLiteral("A label"), &window))->move(8, 30);
    (new QLabel(QStringLiteral("Another label"), &window))->move(8, 60);
    (new QCheckBox(QStringLiteral("A check box"), &window))->move(8, 90);
    window.resize(631, 440);
}
#endif

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
#ifdef QUIZDECK_MINIMAL
    QDialog window;
    BuildMinimal(window);
#else
    qd::PrepareApplication();
    qd::TheProgram().programFolder = QUIZDECK_PROGRAM_DIR;
    qd::frmMain window;
    window.FirstActivation = false;
#endif
    window.show();
    QTimer::singleShot(0, [] {
        QCoreApplication::processEvents();
        std::printf("peak_kib %ld\n", PeakMemoryKiB());
        std::fflush(stdout);
        std::_Exit(0);
    });
    return window.exec();
}

// Driving the program's windows as a user does, headless: real modal dialogs
// answered from a timer, clicks and keys through Qt Test.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "tests/TestSupport.h"

namespace qd {
class frmMain;
}

namespace qd::test {

// Watches for the next modal window of type T and hands it to `action` as
// soon as it is showing and `ready` holds for it. The action runs from a
// timer inside the window's own event loop, so it must not wait for the
// window itself: a later step gets a watcher of its own. The returned flag
// tells whether the action ran.
template <typename T>
std::shared_ptr<bool> WhenModal(
    std::function<void(T&)> action, std::function<bool(T&)> ready = [](T&) { return true; })
{
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, done, action, ready] {
        T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible() || !ready(*window))
            return;
        timer->stop();
        timer->deleteLater();
        *done = true;
        action(*window);
    });
    timer->start();
    return done;
}

// True while a window of type T is showing.
template <typename T>
bool IsShowing()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<T*>(window) && window->isVisible())
            return true;
    }
    return false;
}

// Processes events until `condition` holds or about five seconds have passed.
bool WaitFor(const std::function<bool()>& condition);

// A program folder with a data file for every section and a main window.
class WindowTest : public ProgramTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a section's data file from plain lines.
    void writeSection(int section, const std::vector<std::string>& plainLines);
    // Creates the main window (its load handler runs) and shows it; the
    // greeting splash is skipped unless `greet`.
    frmMain& openMain(bool greet = false);
    // Makes the main window the active window again.
    void activateMain();
    // Opens the chooser with Ctrl+S, picks `row` and presses OK in it.
    void chooseSection(int row);

    std::unique_ptr<frmMain> main_;
};

// The plain lines of one record with the given question lines.
std::vector<std::string> Card(const std::vector<std::string>& question, const std::vector<std::string>& answers,
                              const std::string& ansNum, const std::string& ref);

// True when no top-level window but `except` is visible.
bool NoOtherWindowVisible(const QWidget* except);

}  // namespace qd::test

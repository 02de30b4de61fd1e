// Driving the program's windows as a user does, headless: real modal dialogs
// answered from a timer, clicks and keys through Qt Test.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include "tests/TestSupport.h"

namespace qd {
class frmMain;
}

namespace qd::test {

// Watches for the next modal window of a type and hands it to an action as
// soon as it is showing and ready. The action runs from a timer inside the
// window's own event loop, so it must not wait for the window itself: a later
// step gets a watch of its own. The watch owns its timer and stops when it
// goes out of scope, so it never answers a later test's window. A window that
// is not showing and ready within the time-out fails the test; one of the
// type that is showing is then hidden, so the test goes on instead of hanging.
class [[nodiscard]] ModalWatch {
public:
    using Check = std::function<bool(QWidget&)>;
    using Action = std::function<void(QWidget&)>;
    static constexpr int kTimeOutMs = 5000;

    ModalWatch(const QMetaObject& type, Check ready, Action action);
    ~ModalWatch();
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;

    // True once the action has run.
    bool ran() const;

private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

// Watches for the next modal window of type T that is showing and for which
// `ready` holds, and hands it to `action`.
template <typename T>
ModalWatch WhenModal(
    std::function<void(T&)> action, std::function<bool(T&)> ready = [](T&) { return true; })
{
    return ModalWatch(
        T::staticMetaObject, [ready = std::move(ready)](QWidget& window) { return ready(static_cast<T&>(window)); },
        [action = std::move(action)](QWidget& window) { action(static_cast<T&>(window)); });
}

// Processes every event that is already due, and the events those cause,
// until the event loop is idle.
void ProcessPendingEvents();

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

// The top-level windows that are showing.
std::vector<QWidget*> VisibleWindows();

// True when no top-level window but `except` is visible.
bool NoOtherWindowVisible(const QWidget* except);

}  // namespace qd::test

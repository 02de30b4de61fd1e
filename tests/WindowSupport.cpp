#include "tests/WindowSupport.h"

#include <algorithm>

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "bank/Sections.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"

namespace qd::test {

struct ModalWatch::Watch {
    Watch(const QMetaObject& watched, Check isReady, Action act)
        : type(watched), ready(std::move(isReady)), action(std::move(act))
    {
    }
    void tick();

    const QMetaObject& type;
    const Check ready;
    const Action action;
    QTimer timer;
    QElapsedTimer age;
    bool ran = false;
};

void ModalWatch::Watch::tick()
{
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* window = modal && type.cast(modal) && modal->isVisible() ? modal : nullptr;
    if (window && ready(*window)) {
        timer.stop();
        ran = true;
        action(*window);
        return;
    }
    if (!age.hasExpired(kTimeOutMs))
        return;
    timer.stop();
    ADD_FAILURE() << "No modal " << type.className() << " was showing and ready within " << kTimeOutMs << " ms"
                  << (window ? "; the one showing is hidden" : "");
    if (window)
        window->hide();
}

ModalWatch::ModalWatch(const QMetaObject& type, Check ready, Action action)
    : watch_(std::make_unique<Watch>(type, std::move(ready), std::move(action)))
{
    Watch* watch = watch_.get();
    QObject::connect(&watch->timer, &QTimer::timeout, &watch->timer, [watch] { watch->tick(); });
    watch->timer.setInterval(5);
    watch->age.start();
    watch->timer.start();
}

ModalWatch::~ModalWatch() = default;

bool ModalWatch::ran() const
{
    return watch_->ran;
}

void ProcessPendingEvents()
{
    // Bounded, so that a timer due on every pass cannot keep it going.
    for (int pass = 0; pass < 1000; ++pass) {
        QCoreApplication::sendPostedEvents();
        if (!QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents))
            return;
    }
}

bool WaitFor(const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(2);
    }
    return true;
}

std::vector<std::string> Card(const std::vector<std::string>& question, const std::vector<std::string>& answers,
                              const std::string& ansNum, const std::string& ref)
{
    std::vector<std::string> lines {std::to_string(question.size())};
    lines.insert(lines.end(), question.begin(), question.end());
    lines.insert(lines.end(), answers.begin(), answers.end());
    lines.push_back(ansNum);
    lines.push_back(ref);
    return lines;
}

void WindowTest::SetUp()
{
    ProgramTest::SetUp();
    for (int section = 1; section <= 15; ++section)
        writeSection(section,
                     Card({"Question of section " + std::to_string(section) + "?"}, {"One", "Two", "Three", "Four"},
                          "1", "Reference"));
}

void WindowTest::TearDown()
{
    main_.reset();
    ProgramTest::TearDown();
}

void WindowTest::writeSection(int section, const std::vector<std::string>& plainLines)
{
    writeFile(kSections.at(static_cast<std::size_t>(section - 1)).dataFile, ScrambledFile(plainLines));
}

frmMain& WindowTest::openMain(bool greet)
{
    main_ = std::make_unique<frmMain>();
    if (!greet)
        main_->FirstActivation = false;
    main_->show();
    main_->activateWindow();
    // With the greeting due, the splash takes over as soon as the window is active.
    if (!greet) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    }
    return *main_;
}

void WindowTest::activateMain()
{
    // A desktop gives the focus back to the main window when a dialog closes;
    // the headless platform leaves that to the test.
    main_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(main_.get()));
}

void WindowTest::chooseSection(int row)
{
    const auto chosen = WhenModal<frmSelSect>([row](frmSelSect& chooser) {
        chooser.lstSect->setCurrentRow(row);
        QTest::mouseClick(chooser.cmdOK, Qt::LeftButton);
    });
    activateMain();
    QTest::keyClick(main_.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(chosen.ran());
}

std::vector<QWidget*> VisibleWindows()
{
    std::vector<QWidget*> visible;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            visible.push_back(window);
    }
    return visible;
}

bool NoOtherWindowVisible(const QWidget* except)
{
    const std::vector<QWidget*> visible = VisibleWindows();
    return std::all_of(visible.begin(), visible.end(), [except](const QWidget* window) { return window == except; });
}

}  // namespace qd::test

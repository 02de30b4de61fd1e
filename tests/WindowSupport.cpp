#include "tests/WindowSupport.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "bank/Sections.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"

namespace qd::test {

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
    EXPECT_TRUE(*chosen);
}

bool NoOtherWindowVisible(const QWidget* except)
{
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window != except && window->isVisible())
            return false;
    }
    return true;
}

}  // namespace qd::test

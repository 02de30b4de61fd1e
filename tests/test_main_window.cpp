// The main window and the splash window, driven as a user drives them.
#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include "bank/DataFiles.h"
#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"
#include "shell/Controls.h"
#include "shell/Help.h"
#include "shell/WindowUtils.h"
#include "shell/frmSplash.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

class MainWindowTest : public WindowTest { };

TEST_F(MainWindowTest, StartsWithOnlyExitEnabledAndNoSection)
{
    frmMain& form = openMain();
    EXPECT_EQ(form.windowTitle(), "Quizdeck");
    EXPECT_EQ(form.lblQuestNum->caption(), "Please select a section.");
    EXPECT_EQ(form.lblQuestion->caption(), "");
    EXPECT_TRUE(form.cmdExit->isEnabled());
    for (QWidget* disabled :
         {static_cast<QWidget*>(form.cmdOK), static_cast<QWidget*>(form.cmdNext), static_cast<QWidget*>(form.cmdPrev),
          static_cast<QWidget*>(form.cmdPrintTopic), static_cast<QWidget*>(form.frmQuest)})
        EXPECT_FALSE(disabled->isEnabled()) << disabled->metaObject()->className();
    for (const OptionButton* option : form.optAns) {
        EXPECT_FALSE(option->isEnabled());
        EXPECT_FALSE(option->isChecked());
        EXPECT_EQ(option->caption(), "");
    }
    EXPECT_EQ(TheProgram().appTitle, "Quizdeck");
    EXPECT_EQ(TheProgram().helpFile.toStdString(), (folder() / "quizdeck.hlp").string());
    EXPECT_EQ(DataFileNames()[1], "env.drv");
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(MainWindowTest, ControlsSitAtTheirTwipsAsTheWindowHasAlwaysBeen)
{
    frmMain& form = openMain();
    EXPECT_EQ(form.lblQuestion->geometry(), TwipsRect(120, 360, 7815, 4695));
    EXPECT_EQ(form.cmdNext->geometry(), TwipsRect(8040, 2280, 1215, 675));
    EXPECT_EQ(form.frmQuest->geometry(), TwipsRect(120, 4560, 9195, 1575));
    EXPECT_EQ(form.optAns[1]->geometry(), TwipsRect(120, 580, 8895, 195));
    EXPECT_EQ(form.Frame1->parentWidget()->size(), TwipsRect(0, 0, 9465, 6360).size());
    EXPECT_EQ(form.size(), form.minimumSize());
    EXPECT_EQ(form.size(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    // The answers frame is drawn over the lower part of the question label.
    EXPECT_TRUE(form.lblQuestion->geometry().intersects(form.frmQuest->geometry()));
    EXPECT_EQ(form.Frame1->children().indexOf(form.frmQuest), form.Frame1->children().size() - 1);

    EXPECT_TRUE(form.font().bold());
    EXPECT_TRUE(form.lblQuestion->font().bold());
    EXPECT_TRUE(form.optAns[0]->font().bold());
    EXPECT_FALSE(form.cmdExit->font().bold());
    EXPECT_DOUBLE_EQ(form.cmdExit->font().pointSizeF(), 8.25);
    EXPECT_EQ(form.cmdPrev->toolTip(), "Pressing this button shows the previous question.");
    EXPECT_EQ(form.cmdOK->toolTip(), "");
}

TEST_F(MainWindowTest, MenusCarryTheirCaptionsAndShortcut)
{
    frmMain& form = openMain();
    QStringList titles;
    for (QAction* menu : form.menuBar->actions())
        titles << menu->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Section", "&Help "}));
    EXPECT_EQ(form.mnuExit->text(), "E&xit");
    EXPECT_EQ(form.mnuChooseCurrSect->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    const QList<QAction*> helpItems = form.mnuHelp->actions();
    ASSERT_EQ(helpItems.size(), 3);
    EXPECT_EQ(helpItems[0]->text(), "&Help Topics");
    EXPECT_TRUE(helpItems[1]->isSeparator());
    EXPECT_EQ(helpItems[2]->text(), "&About");
}

TEST_F(MainWindowTest, TabGoesFromTheQuestionThroughTheAnswersAndOkToExit)
{
    frmMain& form = openMain();
    chooseSection(0);
    activateMain();
    EXPECT_EQ(QApplication::focusWidget(), form.lblQuestion);
    // An answer is chosen (OK is on); the chosen answer takes the focus.
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_1);
    std::vector<QWidget*> visited {QApplication::focusWidget()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    const std::vector<QWidget*> expected {form.optAns[0], form.cmdOK, form.cmdExit, form.lblQuestion, form.optAns[0]};
    EXPECT_EQ(visited, expected);
}

TEST_F(MainWindowTest, TheGreetingIsShownOnceAndItsButtonWaits)
{
    clock->stepMs = 0;  // the clock stands still until the test moves it
    bool disabledDuringWait = false;
    bool stillOpenAfterEarlyTries = false;
    bool focusedWhenReady = false;
    const auto tried = WhenModal<frmSplash>(
        [&](frmSplash& splash) {
            EXPECT_EQ(splash.cmdOK->text(), "&OK");
            disabledDuringWait = !splash.cmdOK->isEnabled();
            QTest::mouseClick(splash.cmdOK, Qt::LeftButton);
            QTest::keyClick(&splash, Qt::Key_Escape);
            splash.close();
            stillOpenAfterEarlyTries = splash.isVisible();
            clock->seconds += 3;
        },
        [](frmSplash& splash) { return splash.waiting(); });
    const auto closed = WhenModal<frmSplash>(
        [&](frmSplash& splash) {
            focusedWhenReady = splash.cmdOK->hasFocus();
            QTest::mouseClick(splash.cmdOK, Qt::LeftButton);
        },
        [](frmSplash& splash) { return splash.cmdOK->isEnabled(); });
    frmMain& form = openMain(true);
    EXPECT_TRUE(WaitFor([&] { return closed.ran() && !IsShowing<frmSplash>(); }));
    EXPECT_TRUE(tried.ran());
    EXPECT_TRUE(disabledDuringWait);
    EXPECT_TRUE(stillOpenAfterEarlyTries);
    EXPECT_TRUE(focusedWhenReady);
    EXPECT_FALSE(form.FirstActivation);

    // Another window takes the focus and gives it back: no second greeting
    // (one would be answered here, so that the test goes on).
    clock->stepMs = 20;
    const auto again = WhenModal<frmSplash>([](frmSplash& splash) { QTest::mouseClick(splash.cmdOK, Qt::LeftButton); },
                                            [](frmSplash& splash) { return splash.cmdOK->isEnabled(); });
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    other.hide();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ProcessPendingEvents();
    EXPECT_FALSE(again.ran());
    EXPECT_FALSE(IsShowing<frmSplash>());
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(MainWindowTest, TheSplashShowsTheVersionInformation)
{
    frmSplash splash;
    EXPECT_EQ(splash.lblVersion->caption(), "Version 1.1.0");
    EXPECT_EQ(splash.lblProductName->caption(), "Quizdeck");
    EXPECT_FALSE(splash.cmdOK->isEnabled());
    const auto shown = WhenModal<frmSplash>(
        [](frmSplash& showing) {
            EXPECT_EQ(showing.lblCompanyProduct->caption(), "Larkfield Learning Software");
            EXPECT_EQ(showing.lblWarning->caption().size(), 283);
            EXPECT_TRUE(showing.lblWarning->caption().startsWith(" Notice:"));
            QTest::keyClick(&showing, Qt::Key_Escape);
        },
        [](frmSplash& showing) { return showing.cmdOK->isEnabled(); });
    splash.exec();
    EXPECT_TRUE(shown.ran());
}

TEST_F(MainWindowTest, CtrlSAndTheMenuEntryBothOpenTheChooser)
{
    frmMain& form = openMain();
    for (const bool byKey : {true, false}) {
        int rows = 0;
        const auto opened = WhenModal<frmSelSect>([&](frmSelSect& chooser) {
            rows = chooser.lstSect->count();
            EXPECT_EQ(chooser.windowTitle(), "Select Section");
            QTest::mouseClick(chooser.cmdCancel, Qt::LeftButton);
        });
        if (byKey)
            QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
        else
            form.mnuChooseCurrSect->trigger();
        EXPECT_TRUE(opened.ran()) << (byKey ? "Ctrl+S" : "menu");
        EXPECT_EQ(rows, 15);
        EXPECT_TRUE(NoOtherWindowVisible(&form));
    }
    EXPECT_EQ(form.lblQuestNum->caption(), "Please select a section.");
}

TEST_F(MainWindowTest, F1AndHelpTopicsOpenTopic10)
{
    frmMain& form = openMain();
    form.cmdExit->setFocus();
    QTest::keyClick(form.cmdExit, Qt::Key_F1);
    form.mnuHelpTopics->trigger();
    EXPECT_TRUE(WaitFor([&] { return help->requests.size() == 2; }));
    for (const HelpRequest& request : help->requests) {
        EXPECT_EQ(request.command, HelpCommand::Context);
        EXPECT_EQ(request.data, 10u);
        EXPECT_EQ(request.helpFile, TheProgram().helpFile);
    }
    // The labels have no topic of their own and lead to their frame's.
    EXPECT_EQ(HelpTopicFor(form.lblQuestion), 10);
    EXPECT_EQ(HelpTopicFor(form.optAns[2]), 10);
}

TEST_F(MainWindowTest, AMissingDataFileEndsTheProgramBeforeAnySplash)
{
    std::filesystem::remove(folder() / "dao.drv");
    EXPECT_THROW(frmMain form, ProgramEnded);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].prompt, "The required file dao.drv is missing. The application will exit.");
}

// Closing the window, whichever way, shows the farewell and ends the process.
class MainWindowDeathTest : public WindowTest {
protected:
    void closeAndWatch(const std::function<void(frmMain&)>& closeIt)
    {
        TheProgram().setEnder(std::make_unique<ProcessEnder>());
        frmMain& form = openMain();
        const auto farewell = WhenModal<frmSplash>(
            [](frmSplash& splash) {
                std::fprintf(stderr, "farewell button: %s\n", qPrintable(splash.cmdOK->text()));
                QTest::mouseClick(splash.cmdOK, Qt::LeftButton);
            },
            [](frmSplash& splash) { return splash.cmdOK->isEnabled(); });
        closeIt(form);
        // An access key clicks its button a moment later; answering the farewell ends the process.
        WaitFor([&] { return farewell.ran(); });
        std::fprintf(stderr, "still running\n");
    }
};

TEST_F(MainWindowDeathTest, TheExitButtonShowsTheFarewellAndEnds)
{
    EXPECT_EXIT(closeAndWatch([](frmMain& form) { QTest::mouseClick(form.cmdExit, Qt::LeftButton); }),
                ::testing::ExitedWithCode(0), "farewell button: E&xit\n$");
}

TEST_F(MainWindowDeathTest, FileExitShowsTheFarewellAndEnds)
{
    EXPECT_EXIT(closeAndWatch([](frmMain& form) { form.mnuExit->trigger(); }), ::testing::ExitedWithCode(0),
                "farewell button: E&xit\n$");
}

TEST_F(MainWindowDeathTest, TheCloseBoxShowsTheFarewellAndEnds)
{
    EXPECT_EXIT(closeAndWatch([](frmMain& form) { form.close(); }), ::testing::ExitedWithCode(0),
                "farewell button: E&xit\n$");
}

TEST_F(MainWindowDeathTest, AltEPressesExit)
{
    EXPECT_EXIT(closeAndWatch([](frmMain& form) { QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier); }),
                ::testing::ExitedWithCode(0), "farewell button: E&xit\n$");
}

}  // namespace
}  // namespace qd::test

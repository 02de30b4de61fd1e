// The help file, the help window behind F1, and closing it at exit.
#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "quiz/frmMain.h"
#include "sections/frmSelSect.h"
#include "shell/ContextIDs.h"
#include "shell/Controls.h"
#include "shell/HelpBrowser.h"
#include "shell/HelpFile.h"
#include "shell/HelpWindow.h"
#include "shell/platform/DesktopHelpViewer.h"
#include "tests/WindowSupport.h"

namespace qd::test {
namespace {

TEST(HelpFileTest, TopicsByNumberWithTheContentsForUnknownNumbers)
{
    const HelpFile file = HelpFile::Parse("Lines before the first topic are ignored.\r\n"
                                          "@topic 0 Contents\r\n"
                                          "Welcome.\r\n"
                                          "@topic 10 Using Quizdeck\n"
                                          "Choose a section.\n"
                                          "@topic x Not a topic line\n"
                                          "@topic 20 Caf\xC3\xA9\n");
    EXPECT_EQ(file.topic(10).title, "Using Quizdeck");
    EXPECT_EQ(file.topic(10).body, "Choose a section.\n@topic x Not a topic line\n");
    EXPECT_EQ(file.topic(0).body, "Welcome.\n");
    EXPECT_EQ(file.topic(20).title, QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(file.topic(99).title, "Contents");
    EXPECT_TRUE(HelpFile::Parse("no topics at all").empty());
}

TEST(HelpFileTest, TheBundledHelpFileHasEveryTopicTheWindowsUse)
{
    const auto file = HelpFile::Load(QStringLiteral(QUIZDECK_PROGRAM_DIR "/quizdeck.hlp"));
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(file->contains(kHelpContentsTopic));
    EXPECT_TRUE(file->contains(kHelpMainTopic));
    EXPECT_GT(file->topic(kHelpMainTopic).body.size(), 200);
}

class HelpViewerTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        auto viewer = std::make_unique<DesktopHelpViewer>();
        desktop = viewer.get();
        TheProgram().setHelpViewer(std::move(viewer));
        writeFile("quizdeck.hlp",
                  "@topic 0 Contents\nAll topics.\n@topic 10 Using Quizdeck\nHow to use it.\n"
                  "[Contents](#topic-0)\n");
    }
    DesktopHelpViewer* desktop = nullptr;
};

TEST_F(HelpViewerTest, F1AndHelpTopicsOpenTopic10InOneReusedWindow)
{
    frmMain& form = openMain();
    form.cmdExit->setFocus();
    QTest::keyClick(form.cmdExit, Qt::Key_F1);
    HelpWindow* window = desktop->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentTopic(), 10);
    EXPECT_TRUE(window->browser()->toPlainText().contains("How to use it."));

    window->showTopic(0);
    activateMain();
    form.mnuHelpTopics->trigger();
    EXPECT_TRUE(WaitFor([&] { return window->currentTopic() == 10; }));
    EXPECT_EQ(desktop->window(), window);

    CloseHelp();
    EXPECT_EQ(desktop->window(), nullptr);
    EXPECT_TRUE(NoOtherWindowVisible(&form));
}

TEST_F(HelpViewerTest, TheChooserLeadsToTopic10AndTheHelpWindowStaysUsable)
{
    frmMain& form = openMain();
    bool linkFollowed = false;
    const auto asked = WhenModal<frmSelSect>([&](frmSelSect& chooser) {
        QTest::keyClick(chooser.lstSect, Qt::Key_F1);
        HelpWindow* window = desktop->window();
        if (window) {
            // The help window is no child of the modal chooser: its links still work.
            QTest::keyClick(window->browser(), Qt::Key_Tab);
            QTest::keyClick(window->browser(), Qt::Key_Return);
            linkFollowed = window->currentTopic() == 0;
        }
        QTest::mouseClick(chooser.cmdCancel, Qt::LeftButton);
    });
    form.mnuChooseCurrSect->trigger();
    ASSERT_TRUE(asked.ran());
    EXPECT_TRUE(linkFollowed);
    EXPECT_FALSE(desktop->window()->isModal());
}

TEST_F(HelpViewerTest, AMissingHelpFileIsReportedInsteadOfAnEmptyWindow)
{
    std::filesystem::remove(folder() / "quizdeck.hlp");
    frmMain& form = openMain();
    QTest::keyClick(form.cmdExit, Qt::Key_F1);
    EXPECT_EQ(desktop->window(), nullptr);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_TRUE(boxes->shown()[0].prompt.startsWith("The help file "));
    EXPECT_TRUE(boxes->shown()[0].prompt.contains("quizdeck.hlp cannot be opened."));
}

TEST_F(HelpViewerTest, AnUnknownTopicShowsTheContents)
{
    openMain();
    desktop->WinHelp(TheProgram().helpFile, HelpCommand::Context, 4242);
    ASSERT_NE(desktop->window(), nullptr);
    EXPECT_EQ(desktop->window()->currentTopic(), 0);
    EXPECT_EQ(desktop->window()->currentTitle(), "Contents");
}

}  // namespace
}  // namespace qd::test

// Centring windows, pausing with the user interface running, and closing help.
#include <ctime>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "shell/ContextIDs.h"
#include "shell/WindowUtils.h"
#include "shell/platform/Files.h"
#include "shell/platform/MousePointer.h"
#include "shell/platform/WindowLock.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

using WindowUtilsTest = ProgramTest;

TEST(CenteredPositionTest, LiftsTheWindow50TwipsAboveTheCentre)
{
    const TwipsPosition position = CenteredPosition({15360, 11520}, {6000, 4500});
    EXPECT_FLOAT_EQ(position.left, 4680);
    EXPECT_FLOAT_EQ(position.top, 3460);
    const TwipsPosition tall = CenteredPosition({15360, 11520}, {6000, 12000});
    EXPECT_FLOAT_EQ(tall.top, -290);
    EXPECT_EQ(TwipsToPixels(4680), 312);
    EXPECT_EQ(TwipsRect(120, 360, 7815, 4695), QRect(8, 24, 521, 313));
}

TEST_F(WindowUtilsTest, CenterFormPlacesTheWindowAndRestoresThePointer)
{
    QWidget window;
    window.resize(400, 300);
    SetMousePointer(kHourglass);
    CenterForm(&window);
    const QRect screen = window.screen()->geometry();
    const TwipsPosition expected = CenteredPosition(screen.size() * 15, window.frameGeometry().size() * 15);
    EXPECT_EQ(window.pos(), QPoint(TwipsToPixels(expected.left), TwipsToPixels(expected.top)));
    EXPECT_EQ(window.size(), QSize(400, 300));
    EXPECT_EQ(MousePointer(), kDefaultPointer);
    EXPECT_EQ(LockedWindow(), nullptr);
    EXPECT_TRUE(window.updatesEnabled());
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(WindowUtilsTest, CenterFormUndoesItsFreezeAfterAFailure)
{
    CenterForm(nullptr);
    EXPECT_EQ(log->entries, std::vector<LogEntry>(3, LogEntry {91, "3409"}));
    EXPECT_EQ(MousePointer(), kDefaultPointer);
    EXPECT_EQ(LockedWindow(), nullptr);
}

TEST_F(WindowUtilsTest, OnlyOneWindowIsFrozenAtATime)
{
    QWidget first;
    QWidget second;
    EXPECT_TRUE(LockWindowUpdate(&first));
    EXPECT_FALSE(first.updatesEnabled());
    EXPECT_FALSE(LockWindowUpdate(&second));
    EXPECT_TRUE(second.updatesEnabled());
    EXPECT_TRUE(LockWindowUpdate(nullptr));
    EXPECT_TRUE(first.updatesEnabled());
    EXPECT_TRUE(LockWindowUpdate(&second));
    LockWindowUpdate(nullptr);
}

TEST_F(WindowUtilsTest, PauseLastsTheRequestedSecondsOnTheRoundedClock)
{
    struct Case {
        double start;
        int seconds;
        double minimum;
        double maximum;
    } cases[] = {
        {1000.4, 3, 2.6, 2.6},  // rounded down: ends at 1003
        {1000.6, 3, 3.4, 3.4},  // rounded up: ends at 1004
        {1000.5, 3, 2.5, 2.5},  // half to even: 1000
        {1001.5, 3, 3.5, 3.5},  // half to even: 1002
        {1000.6, 0, 0.4, 0.4},  {1000.2, 0, 0.0, 0.0},
        {1000.2, -5, 0.0, 0.0}, {86399.0, 3, 3.0, 3.0},  // across midnight
        {86399.6, 1, 1.4, 1.4},  // started at 86400, which is midnight
    };
    clock->stepMs = 100;
    for (const Case& c : cases) {
        clock->seconds = c.start;
        Pause(static_cast<std::int16_t>(c.seconds));
        const double elapsed = clock->seconds - c.start;
        EXPECT_GE(elapsed, c.minimum - 1e-6) << c.start << " + " << c.seconds;
        EXPECT_LE(elapsed, c.maximum + 0.1 + 1e-6) << c.start << " + " << c.seconds;
    }
    EXPECT_TRUE(log->entries.empty());
}

TEST_F(WindowUtilsTest, ClicksAreHandledDuringAPause)
{
    QPushButton button("&OK");
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    QTimer::singleShot(0, &button, [&] { QTest::mouseClick(&button, Qt::LeftButton); });
    clock->seconds = 500.0;
    Pause(1);
    EXPECT_EQ(clicks, 1);
}

TEST(SystemClockTest, WaitingForEventsSleepsInsteadOfSpinning)
{
    SystemClock clock;
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < 10; ++i)
        clock.waitForEvents(20);
    EXPECT_GE(wall.elapsed(), 150);
    // A busy loop would burn as much processor time as it waits.
    EXPECT_LT(double(std::clock() - cpuBefore) / CLOCKS_PER_SEC, 0.05);
}

TEST_F(WindowUtilsTest, CloseHelpSendsQuitWithTheApplicationHelpFile)
{
    TheProgram().helpFile = "/opt/quizdeck/quizdeck.hlp";
    CloseHelp();
    ASSERT_EQ(help->requests.size(), 1u);
    EXPECT_EQ(help->requests[0].helpFile, "/opt/quizdeck/quizdeck.hlp");
    EXPECT_EQ(help->requests[0].command, HelpCommand::Quit);
    EXPECT_EQ(static_cast<int>(help->requests[0].command), 2);
    EXPECT_EQ(help->requests[0].data, 0u);
}

TEST_F(WindowUtilsTest, NormalFilesAreVisibleRegularFiles)
{
    writeFile("plain.drv", "x");
    writeFile(".hidden.drv", "x");
    EXPECT_TRUE(IsNormalFile(folder() / "plain.drv"));
    EXPECT_FALSE(IsNormalFile(folder() / ".hidden.drv"));
    EXPECT_FALSE(IsNormalFile(folder()));
    EXPECT_FALSE(IsNormalFile(folder() / "absent.drv"));
}

}  // namespace
}  // namespace qd::test

#include "shell/WindowUtils.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/platform/Clock.h"
#include "shell/platform/MousePointer.h"
#include "shell/platform/WindowLock.h"

namespace qd {

namespace {

constexpr const char* kCenterLocation = "3409";
constexpr const char* kPauseLocation = "3401";
constexpr float kLiftTwips = 50.0f;
constexpr double kSecondsPerDay = 24 * 60 * 60;
// How long the pause lets the event loop sleep between two looks at the clock.
constexpr int kPauseWakeUpMs = 20;

QWidget& Existing(QWidget* form)
{
    if (!form)
        Raise(failure::kObjectNotSet, "no window");
    return *form;
}

QRect ScreenOf(const QWidget& form)
{
    const QScreen* screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        Raise(failure::kObjectNotSet, "no screen");
    return screen->geometry();
}

QSize Twips(QSize pixels)
{
    return pixels * kTwipsPerPixel;
}

}  // namespace

int TwipsToPixels(float twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

QRect TwipsRect(int left, int top, int width, int height)
{
    const auto pixels = [](int twips) { return TwipsToPixels(static_cast<float>(twips)); };
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

TwipsPosition CenteredPosition(QSize screenTwips, QSize windowTwips)
{
    const auto half = [](int twips) { return static_cast<float>(twips) / 2; };
    const float top = half(screenTwips.height()) - half(windowTwips.height()) - kLiftTwips;
    const float left = half(screenTwips.width()) - half(windowTwips.width());
    return {left, top};
}

void CenterForm(QWidget* form)
{
    Steps steps(kCenterLocation);
    steps([] { SetMousePointer(kHourglass); });
    steps([&] { LockWindowUpdate(&Existing(form)); });
    steps([&] {
        QWidget& window = Existing(form);
        const QRect screen = ScreenOf(window);
        const TwipsPosition position = CenteredPosition(Twips(screen.size()), Twips(window.frameGeometry().size()));
        window.move(window.x(), screen.top() + TwipsToPixels(position.top));
    });
    steps([&] {
        QWidget& window = Existing(form);
        const QRect screen = ScreenOf(window);
        const TwipsPosition position = CenteredPosition(Twips(screen.size()), Twips(window.frameGeometry().size()));
        window.move(screen.left() + TwipsToPixels(position.left), window.y());
    });
    steps([] { LockWindowUpdate(nullptr); });
    steps([] { SetMousePointer(kDefaultPointer); });
}

void Pause(std::int16_t seconds)
{
    Clock& clock = TheProgram().clock();
    Steps steps(kPauseLocation);
    double start = 0;
    steps([&] { start = std::nearbyint(clock.secondsSinceMidnight()); });  // halves to even
    for (;;) {
        bool done = false;
        steps([&] {
            double elapsed = clock.secondsSinceMidnight() - start;
            // The clock went back to 0 at midnight; rounding the start up
            // gives at most half a second below zero.
            if (elapsed < -1)
                elapsed += kSecondsPerDay;
            done = elapsed >= seconds;
        });
        if (done)
            return;
        steps([&] { clock.waitForEvents(kPauseWakeUpMs); });
    }
}

}  // namespace qd

#include "shell/platform/Clock.h"

#include <chrono>
#include <thread>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace qd {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

double SystemClock::secondsSinceMidnight() const
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void SystemClock::waitForEvents(int maxMs)
{
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
        return;
    }
    // The timer only wakes the wait; any window message ends it sooner.
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.start(maxMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace qd

// The clock: the date and time for the error log, seconds since midnight for
// Pause, and the short wait between two looks at the clock.
#pragma once

#include <QDateTime>

namespace qd {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Seconds since midnight, with a fraction; returns to 0 at midnight.
    virtual double secondsSinceMidnight() const = 0;
    // Lets pending window messages run and waits at most `maxMs` for more.
    virtual void waitForEvents(int maxMs) = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    double secondsSinceMidnight() const override;
    void waitForEvents(int maxMs) override;
};

}  // namespace qd

#pragma once

#include <QDateTime>

namespace platform {

class Clock {
  public:
    virtual ~Clock() = default;

    virtual QDateTime now_local() = 0;
    // Never jumps back (unlike a seconds-since-midnight clock), so waits survive midnight.
    virtual double monotonic_seconds() = 0;
    // Blocks the thread: no window events run meanwhile.
    virtual void sleep(double seconds) = 0;
    // Lets window events run for up to the given time.
    virtual void run_events(double seconds) = 0;
};

}  // namespace platform

#pragma once

#include <QElapsedTimer>

#include "platform/clock.h"

namespace platform {

class ClockSystem final : public Clock {
  public:
    ClockSystem();
    QDateTime now_local() override;
    double monotonic_seconds() override;
    void sleep(double seconds) override;
    void run_events(double seconds) override;

  private:
    QElapsedTimer elapsed_;
};

}  // namespace platform

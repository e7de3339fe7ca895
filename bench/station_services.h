#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/services.h"

namespace bench {

// The program's real platform services, but with the settings file in a station folder the
// benchmark chooses, and message boxes that only note their text: a measurement must never
// stop at a modal box, and a box means the run went wrong.
class StationServices {
  public:
    explicit StationServices(const QString& station_dir);
    ~StationServices();
    StationServices(const StationServices&) = delete;
    StationServices& operator=(const StationServices&) = delete;

    platform::Services& services() { return *services_; }
    const QStringList& messages() const;
    // CPU charged to this thread while the clock slept, in microseconds, since the start.
    double sleep_cpu_us() const;

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    std::unique_ptr<platform::Services> services_;
};

// Writes "azelrot.ini" for a serial-port station on device, with the given cycle.
bool write_station_settings(const QString& station_dir, const QString& device, int cycle_seconds);

}  // namespace bench

#pragma once

// The sky the simulated tracking program publishes: one satellite pass repeated forever and
// the Moon's slow drift, as pure functions of simulated time (seconds since the start).

#include <QDateTime>
#include <QMap>
#include <QString>
#include <optional>

namespace orbx_sim {

struct Pass {
    double seconds = 840;  // from just below the horizon to just below it again
    double altitude_km = 800;
    double heading_deg = 20;       // direction of travel over the ground
    double cross_track_km = -500;  // closest ground distance; negative = west of the track
};

struct LookAngles {
    double azimuth = 0;    // degrees from north, clockwise, [0, 360)
    double elevation = 0;  // degrees above the horizon
};

struct SatelliteState {
    LookAngles look;
    double range_km = 0;
    double range_rate_km_s = 0;
    long orbit = 0;
};

SatelliteState satellite_at(const Pass& pass, double t);
LookAngles moon_at(double t);

// The published items, spelt as the tracking program spells them.
class Publisher {
  public:
    Publisher(Pass pass, QDateTime start_utc) : pass_(pass), start_utc_(std::move(start_utc)) {}

    // A value that never changes, whatever the sky does.
    void fix(const QString& item, const QString& value) { fixed_[item] = value; }
    // Nothing for an item the program does not publish.
    std::optional<QString> value(const QString& item, double t) const;

  private:
    Pass pass_;
    QDateTime start_utc_;
    QMap<QString, QString> fixed_;
};

bool is_published_item(const QString& item);

}  // namespace orbx_sim

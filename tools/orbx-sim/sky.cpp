#include "sky.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace orbx_sim {

namespace {

constexpr double earth_radius_km = 6371.0;
constexpr double deg = std::numbers::pi / 180.0;
constexpr double downlink_mhz = 435.8;
constexpr double light_km_s = 299792.458;

// Station latitude and the Moon's declination for the diurnal track.
constexpr double station_latitude = 35.7 * deg;
constexpr double moon_declination = 12.0 * deg;
constexpr double moon_hour_angle_start = -60.0;          // degrees: rising in the east
constexpr double moon_hour_angle_rate = 14.49 / 3600.0;  // degrees per second

double wrap_360(double a) {
    const double r = std::fmod(a, 360.0);
    return r < 0 ? r + 360.0 : r;
}

// Ground distance from the station at which the satellite sits a little below the horizon.
double edge_ground_km(const Pass& pass) {
    const double k = earth_radius_km / (earth_radius_km + pass.altitude_km);
    return std::acos(k) * earth_radius_km * 1.02;
}

struct Geometry {
    LookAngles look;
    double range_km;
};

Geometry geometry_at(const Pass& pass, double t) {
    const double phase = std::fmod(t, pass.seconds);
    const double edge = edge_ground_km(pass);
    const double half_track =
        std::sqrt(std::max(edge * edge - pass.cross_track_km * pass.cross_track_km, 1.0));
    const double along = -half_track + 2.0 * half_track * phase / pass.seconds;

    const double h = pass.heading_deg * deg;
    const double east = along * std::sin(h) + pass.cross_track_km * std::cos(h);
    const double north = along * std::cos(h) - pass.cross_track_km * std::sin(h);

    const double theta = std::hypot(east, north) / earth_radius_km;  // central angle
    const double r = earth_radius_km + pass.altitude_km;
    const double k = earth_radius_km / r;
    const double elevation = std::atan2(std::cos(theta) - k, std::sin(theta)) / deg;
    const double range = std::sqrt(earth_radius_km * earth_radius_km + r * r -
                                   2.0 * earth_radius_km * r * std::cos(theta));
    return {{wrap_360(std::atan2(east, north) / deg), elevation}, range};
}

QString fixed1(double v) {
    return QString::number(v, 'f', 1);
}

}  // namespace

SatelliteState satellite_at(const Pass& pass, double t) {
    const Geometry now = geometry_at(pass, t);
    // The rate over a short step inside the same pass.
    const double step = 0.5;
    const double phase = std::fmod(t, pass.seconds);
    const double t0 = phase + step < pass.seconds ? t : t - step;
    const double rate =
        (geometry_at(pass, t0 + step).range_km - geometry_at(pass, t0).range_km) / step;
    return {now.look, now.range_km, rate, 41000 + static_cast<long>(std::floor(t / pass.seconds))};
}

LookAngles moon_at(double t) {
    const double ha = (moon_hour_angle_start + moon_hour_angle_rate * t) * deg;
    const double sin_alt = std::sin(station_latitude) * std::sin(moon_declination) +
                           std::cos(station_latitude) * std::cos(moon_declination) * std::cos(ha);
    const double az =
        std::atan2(-std::sin(ha) * std::cos(moon_declination),
                   std::sin(moon_declination) * std::cos(station_latitude) -
                       std::cos(moon_declination) * std::cos(ha) * std::sin(station_latitude));
    return {wrap_360(az / deg), std::asin(sin_alt) / deg};
}

bool is_published_item(const QString& item) {
    constexpr std::array<const char*, 11> items{"TEXT1", "TEXT2",  "TEXT3", "TEXT4",
                                                "TEXT5", "TEXT6",  "TEXT7", "text8",
                                                "text9", "text10", "text11"};
    return std::any_of(items.begin(), items.end(),
                       [&](const char* name) { return item == QLatin1String(name); });
}

std::optional<QString> Publisher::value(const QString& item, double t) const {
    if (!is_published_item(item)) return std::nullopt;
    if (const auto it = fixed_.constFind(item); it != fixed_.constEnd()) return *it;

    const SatelliteState sat = satellite_at(pass_, t);
    const LookAngles moon = moon_at(t);
    if (item == QStringLiteral("TEXT1")) return QStringLiteral("FO-29");
    if (item == QStringLiteral("TEXT2")) return fixed1(sat.look.azimuth);
    if (item == QStringLiteral("TEXT3")) return fixed1(sat.look.elevation);
    if (item == QStringLiteral("TEXT4"))
        return start_utc_.addMSecs(static_cast<qint64>(t * 1000))
            .toString(QStringLiteral("HH:mm:ss"));
    if (item == QStringLiteral("TEXT5")) return QString::number(sat.range_km, 'f', 0);
    if (item == QStringLiteral("TEXT6")) return QString::number(sat.range_rate_km_s, 'f', 3);
    if (item == QStringLiteral("TEXT7")) return QString::number(sat.orbit);
    if (item == QStringLiteral("text8"))
        return QString::number(-sat.range_rate_km_s / light_km_s * downlink_mhz * 1e6, 'f', 0);
    if (item == QStringLiteral("text9"))
        return fixed1(32.45 + 20.0 * std::log10(downlink_mhz) + 20.0 * std::log10(sat.range_km));
    if (item == QStringLiteral("text10")) return fixed1(moon.azimuth);
    return fixed1(moon.elevation);  // text11
}

}  // namespace orbx_sim

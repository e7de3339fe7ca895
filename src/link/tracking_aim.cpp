#include "link/tracking_aim.h"

#include <cmath>

#include "link/numeric.h"

bool is_stale(const std::optional<double>& age) {
    return age && *age > tracking_value_life_seconds;
}

TrackingAim tracking_aim(const TrackingValue& azimuth, const TrackingValue& elevation) {
    const auto az = numeric_reading(azimuth.text);
    const auto el = numeric_reading(elevation.text);
    if (!az || !el) return {AimVerdict::no_number};
    if (is_stale(azimuth.age) || is_stale(elevation.age)) return {AimVerdict::stale};
    const auto usable = [](double v) {
        return std::isfinite(v) && std::abs(v) <= tracking_value_limit;
    };
    if (!usable(*az) || !usable(*el) || *el > max_command_elevation) {
        return {AimVerdict::out_of_range};
    }
    if (std::floor(*el) < 0) return {AimVerdict::below_horizon};
    double a = std::fmod(*az, 360.0);
    if (a < 0) a += 360;
    // -1e-20 comes back from the modulo as 360 exactly.
    if (a >= 360) a = 0;
    return {AimVerdict::move, a, *el};
}

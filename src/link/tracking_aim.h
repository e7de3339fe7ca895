#pragma once

#include <QString>
#include <optional>

#include "link/move_command.h"

// What automatic tracking may command from the tracking program's values: the rules for
// values that are missing, old or impossible, free of windows and wires.

// A value not read again for longer than this is old: the program that gave it may be gone.
inline constexpr double tracking_value_life_seconds = 5.0;
// A reading larger than this is no angle at all.
inline constexpr double tracking_value_limit = 100000;

// One box's text and how long ago the tracking program last gave it (nothing: it never has,
// or the value was set by the window itself).
struct TrackingValue {
    QString text;
    std::optional<double> age;
};

bool is_stale(const std::optional<double>& age);

enum class AimVerdict {
    move,           // azimuth and elevation below are the target
    no_number,      // a box holds no number at all
    stale,          // a box holds an old value
    out_of_range,   // not finite, too large, or above the highest elevation
    below_horizon,  // the object is below the horizon: no move, as always
};

struct TrackingAim {
    AimVerdict verdict = AimVerdict::no_number;
    double azimuth = 0;  // 0 <= azimuth < 360 for a move, before the overlap choice
    double elevation = 0;
};

// The target of this cycle's move from the tracked object's azimuth and elevation boxes.
TrackingAim tracking_aim(const TrackingValue& azimuth, const TrackingValue& elevation);

#include "main_window/arrival.h"

#include <optional>

#include "link/numeric.h"

namespace {

struct Window {
    int lower = 0;
    int upper = 0;
};

std::optional<Window> bounds(double value, double tolerance) {
    const auto lower = round_half_even_16(value - tolerance);
    const auto upper = round_half_even_16(value + tolerance);
    if (!lower || !upper) return std::nullopt;
    return Window{*lower, *upper};
}

bool azimuth_inside(int target, double current, double tolerance) {
    auto w = bounds(current, tolerance);
    if (!w) return false;
    const bool lower_wrapped = w->lower <= 0;
    const bool upper_wrapped = w->upper <= 0;
    if (lower_wrapped) w->lower += 360;
    if (upper_wrapped) w->upper += 360;
    if (target < 0 || target > 360) return false;
    // A window that straddles north is two ranges: up to 360 and from 0.
    if (lower_wrapped && !upper_wrapped) return target >= w->lower || target <= w->upper;
    return target >= w->lower && target <= w->upper;
}

bool elevation_inside(int target, double current, double tolerance) {
    const auto w = bounds(current, tolerance);
    return w && target >= w->lower && target <= w->upper;
}

}  // namespace

bool antenna_arrived(const ArrivalCheck& c) {
    const auto az = round_down(c.target_azimuth);
    const auto el = round_down(c.target_elevation);
    if (!az || !el) return false;
    return azimuth_inside(*az, c.current_azimuth, c.azimuth_tolerance) &&
           elevation_inside(*el, c.current_elevation, c.elevation_tolerance);
}

#include "main_window/arrival.h"

#include <algorithm>
#include <optional>

#include "link/numeric.h"

namespace {

// The controller reports azimuth on a linear scale (0 to 360 or 450): 0 and 358 are the two
// ends of the travel, not neighbours, so nothing wraps around north.
bool inside(int target, double current, double tolerance) {
    const auto lower = round_half_even_16(current - tolerance);
    const auto upper = round_half_even_16(current + tolerance);
    if (!lower || !upper) return false;
    return target >= std::max<int>(*lower, 0) && target <= *upper;
}

}  // namespace

bool antenna_arrived(const ArrivalCheck& c) {
    const auto az = round_down(c.target_azimuth);
    const auto el = round_down(c.target_elevation);
    if (!az || !el) return false;
    // A target below the horizon is commanded at elevation 0, so that is where it ends.
    return inside(*az, c.current_azimuth, c.azimuth_tolerance) &&
           inside(std::max(*el, 0), c.current_elevation, c.elevation_tolerance);
}

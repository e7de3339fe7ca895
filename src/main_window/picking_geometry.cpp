#include "main_window/picking_geometry.h"

#include <cmath>

#include "link/numeric.h"

namespace picking {

namespace {

double sign(double v) {
    return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0);
}

// Deliberately this literal, not the full-precision pi: picked azimuths straight above the
// centre come out a hair above 360, as the rotator commands have always been built from.
double degrees(double radians) {
    return radians * 180 / 3.14159265358;
}

}  // namespace

double quadrant_arctan(double a, double b) {
    const double pi = 4.0 * std::atan(1.0);
    if (a == 0) return b == 0 ? 0 : sign(b) * pi / 2;
    if (a < 0) return b == 0 ? pi : sign(b) * pi + std::atan(b / a);
    return std::atan(b / a);
}

double azimuth(double x, double y, double cx, double cy, bool from_south) {
    const bool right = x > cx;
    const bool lower = y > cy;
    double az = 0;
    if (right && !lower) {
        az = 90 - degrees(quadrant_arctan(x - cx, cy - y));
    } else if (right && lower) {
        az = 90 + degrees(quadrant_arctan(x - cx, y - cy));
    } else if (lower) {
        az = 270 - degrees(quadrant_arctan(cx - x, y - cy));
    } else {
        az = 270 + degrees(quadrant_arctan(cx - x, cy - y));
    }
    if (from_south) az += (az < 0 || az >= 180) ? -180 : 180;
    return az;
}

double elevation(double x, double y, double cx, double cy, double width) {
    const double r = width / 2;
    const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
    return 90 - d * 90 / r;
}

bool counts_from_south(QStringView azimuth_origin) {
    return numeric_value(azimuth_origin) == 1.0;
}

}  // namespace picking

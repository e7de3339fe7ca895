#pragma once

#include <QStringView>

// Turning a click on the radar back into sky angles: the inverse of the display's polar
// geometry. (x, y) and the centre are in picture units, y growing downwards.
namespace picking {

// Angle of the point (a, b) in radians, pi taken as 4 * arctan(1).
double quadrant_arctan(double a, double b);

// Azimuth in degrees clockwise from north, or from south when from_south; not wrapped, so it
// lies between 0 and a hair above 360.
double azimuth(double x, double y, double cx, double cy, bool from_south);

// 90 at the centre, 0 on the horizon ring (radius W / 2), negative outside it.
double elevation(double x, double y, double cx, double cy, double width);

// Azimuths count from south only when the setting reads as exactly the number 1; anything
// else, a hand-edited text that is no number included, means north.
bool counts_from_south(QStringView azimuth_origin);

}  // namespace picking

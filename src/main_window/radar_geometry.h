#pragma once

#include <array>
#include <optional>

// Where things go on the radar picture. Everything is in picture units (twips) with the
// origin at the inner top-left corner and y growing downwards; W and H are the picture's
// outer width and height. Nothing here draws.
namespace radar {

struct Point {
    double x = 0;
    double y = 0;
};

struct Segment {
    Point from;
    Point to;
};

// Offset of a polar point from the picture's centre, as drawn: x to the right, y upwards.
struct Offset {
    double dx = 0;
    double dy = 0;
};

// pi as 4 * arctan(1).
double pi();

// Farther than this from the origin a point cannot be drawn sensibly (and huge values would
// overflow the painter's fixed-point arithmetic), so markers there are skipped.
inline constexpr double drawable_extent = 1.0e6;

bool drawable(const Point& p);

// Offset of azimuth/elevation (degrees): radius (W / 2 / 90) * (90 - E), azimuth clockwise
// from north. Nothing when the result is not a finite number.
std::optional<Offset> polar_offset(double azimuth, double elevation, double width);

// (W/2 + dx, H/2 - dy); nothing when it cannot be drawn.
std::optional<Point> polar_point(double azimuth, double elevation, double width, double height);

// The horizontal and the vertical axis through the centre.
std::array<Segment, 2> axes(double width, double height);

// The 60-degree, 30-degree and horizon rings, innermost first.
std::array<double, 3> ring_radii(double height);

Point centre(double width, double height);

// Centre of the target or Moon marker: hidden below the horizon or when undrawable.
std::optional<Point> sky_marker_centre(double azimuth, double elevation, double width,
                                       double height);

// The Moon marker also disappears while the tracking-program link is switched off.
std::optional<Point> moon_marker_centre(bool link_off, double azimuth, double elevation,
                                        double width, double height);

// The antenna's angles as shown: negative values and values that are not numbers show as 0.
double shown_angle(double value);

struct AntennaGeometry {
    Segment direction;  // both ends 5 units right of the centre and of the marker
    Point centre;
};

inline constexpr double direction_line_shift = 5;

std::optional<AntennaGeometry> antenna_geometry(double current_azimuth, double current_elevation,
                                                double width, double height);

}  // namespace radar

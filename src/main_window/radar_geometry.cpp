#include "main_window/radar_geometry.h"

#include <cmath>

namespace radar {

double pi() {
    return 4.0 * std::atan(1.0);
}

bool drawable(const Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::abs(p.x) <= drawable_extent &&
           std::abs(p.y) <= drawable_extent;
}

std::optional<Offset> polar_offset(double azimuth, double elevation, double width) {
    const double r = (width / 2 / 90) * (90 - elevation);
    const double a = azimuth * pi() / 180;
    const Offset o{std::sin(a) * r, std::cos(a) * r};
    if (!std::isfinite(o.dx) || !std::isfinite(o.dy)) return std::nullopt;
    return o;
}

std::optional<Point> polar_point(double azimuth, double elevation, double width, double height) {
    const auto o = polar_offset(azimuth, elevation, width);
    if (!o) return std::nullopt;
    const Point p{width / 2 + o->dx, height / 2 - o->dy};
    if (!drawable(p)) return std::nullopt;
    return p;
}

std::array<Segment, 2> axes(double width, double height) {
    return {Segment{{0, height / 2}, {width, height / 2}},
            Segment{{width / 2, 0}, {width / 2, height}}};
}

std::array<double, 3> ring_radii(double height) {
    return {height / 6, height / 3, height / 2};
}

Point centre(double width, double height) {
    return {width / 2, height / 2};
}

std::optional<Point> sky_marker_centre(double azimuth, double elevation, double width,
                                       double height) {
    const auto p = polar_point(azimuth, elevation, width, height);
    // Written so that a NaN elevation also hides the marker.
    if (!(elevation >= 0)) return std::nullopt;
    return p;
}

std::optional<Point> moon_marker_centre(bool link_off, double azimuth, double elevation,
                                        double width, double height) {
    if (link_off) return std::nullopt;
    return sky_marker_centre(azimuth, elevation, width, height);
}

double shown_angle(double value) {
    return value >= 0 ? value : 0;
}

std::optional<AntennaGeometry> antenna_geometry(double current_azimuth, double current_elevation,
                                                double width, double height) {
    const auto o =
        polar_offset(shown_angle(current_azimuth), shown_angle(current_elevation), width);
    if (!o) return std::nullopt;
    const double shift = direction_line_shift;
    const AntennaGeometry g{
        {{width / 2 + shift, height / 2}, {width / 2 + o->dx + shift, height / 2 - o->dy}},
        {width / 2 + o->dx, height / 2 - o->dy}};
    if (!drawable(g.direction.to) || !drawable(g.centre)) return std::nullopt;
    return g;
}

}  // namespace radar

#include "link/numeric.h"
#include "link/tracking_aim.h"
#include "main_window/form1.h"
#include "main_window/radar_geometry.h"

// Drawing the radar picture: wiped and drawn again from the current values every time.

namespace {

const QColor white(255, 255, 255);
const QColor yellow(255, 255, 0);
const QColor green(0, 255, 0);
const QColor red(255, 0, 0);

constexpr double outer_radius = 50;

// Two concentric filled circles; the outer one always has a white rim.
struct MarkerStyle {
    QColor outer_fill;
    QColor inner_colour;  // fill and rim of the inner circle
    double inner_radius;
};

const MarkerStyle picked_style{white, yellow, 10};
const MarkerStyle target_style{green, green, 20};
const MarkerStyle moon_style{yellow, yellow, 40};
const MarkerStyle antenna_style{red, red, 20};

void draw_marker(RadarPicture& picture, const radar::Point& at, const MarkerStyle& style) {
    picture.set_fill_solid(true);
    picture.set_fill_colour(style.outer_fill);
    picture.circle(at.x, at.y, outer_radius, white);
    picture.set_fill_colour(style.inner_colour);
    picture.circle(at.x, at.y, style.inner_radius, style.inner_colour);
    picture.set_fill_solid(false);
}

// The angle a marker stands at. An empty box stands for 0, as it always has; a box with no
// number at all ("---") or an old value is no place to draw.
std::optional<double> marker_angle(Form1& form, TrackingItem item) {
    const QString& text = form.state().value(item);
    if (is_stale(form.value_age(item))) return std::nullopt;
    if (text.trimmed().isEmpty()) return 0.0;
    return numeric_reading(text);
}

}  // namespace

void Form1::draw_radar() {
    RadarPicture& picture = *Picture1;
    const RadarPicture::Batch batch(picture);
    const double w = picture.outer_width();
    const double h = picture.outer_height();
    picture.clear();
    for (const radar::Segment& axis : radar::axes(w, h)) {
        picture.line(axis.from.x, axis.from.y, axis.to.x, axis.to.y, white);
    }
    const radar::Point c = radar::centre(w, h);
    for (const double radius : radar::ring_radii(h)) picture.circle(c.x, c.y, radius, white);
    draw_picked_marker();
    draw_target_marker();
    draw_moon_marker();
    draw_antenna_marker();
}

void Form1::draw_picked_marker() {
    if (!state_.target_picked) return;
    draw_marker(*Picture1, {state_.picked_x, state_.picked_y}, picked_style);
}

void Form1::draw_target_marker() {
    const auto az = marker_angle(*this, TrackingItem::satellite_azimuth);
    const auto el = marker_angle(*this, TrackingItem::satellite_elevation);
    if (!az || !el) return;
    const auto at =
        radar::sky_marker_centre(*az, *el, Picture1->outer_width(), Picture1->outer_height());
    if (at) draw_marker(*Picture1, *at, target_style);
}

void Form1::draw_moon_marker() {
    const auto az = marker_angle(*this, TrackingItem::moon_azimuth);
    const auto el = marker_angle(*this, TrackingItem::moon_elevation);
    if (!az || !el) return;
    const bool link_off = switched_off(m_.orbx_link);
    const auto at = radar::moon_marker_centre(link_off, *az, *el, Picture1->outer_width(),
                                              Picture1->outer_height());
    if (at) draw_marker(*Picture1, *at, moon_style);
}

void Form1::draw_antenna_marker() {
    // An antenna drawn where it last was, or at north, would be a position the window does not
    // know.
    if (!position_known()) return;
    RadarPicture& picture = *Picture1;
    // Past north on the 450-degree scale the antenna points where the same angle less 360 does.
    const double azimuth = operation.azimuth_range == 450 ? shown_azimuth(state_.antenna_azimuth)
                                                          : state_.antenna_azimuth;
    const auto g = radar::antenna_geometry(azimuth, state_.antenna_elevation, picture.outer_width(),
                                           picture.outer_height());
    if (!g) return;
    picture.set_draw_width(4);
    picture.line(g->direction.from.x, g->direction.from.y, g->direction.to.x, g->direction.to.y,
                 green);
    picture.set_draw_width(1);
    draw_marker(picture, g->centre, antenna_style);
}

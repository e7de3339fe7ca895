#include "main_window/form1.h"
#include "main_window/picking_geometry.h"

// Picking a target on the radar.

void Form1::Picture1_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, double x, double y) {
    if (m_.operation_mode == OperationMode::settings_open) return;
    WindowState& s = state_;
    s.radar_centre_x = Picture1->outer_width() / 2;
    // The picture is square: the width serves for both centre coordinates.
    s.radar_centre_y = Picture1->outer_width() / 2;
    if (s.auto_tracking) {
        s_.message_box.show(Form1::tr("自動追跡中です！！"));
        return;
    }
    if (s.manual_tracking) {
        s_.message_box.show(
            Form1::tr("すでに手動で追跡中です！！　中止してから再度指定してください。"));
        return;
    }
    s.picked_x = x;
    s.picked_y = y;
    // Marked at once with hollow rings; the next redraw shows the filled marker instead.
    Picture1->circle(x, y, 50, QColor(255, 255, 255));
    Picture1->circle(x, y, 10, QColor(255, 255, 0));
    s.target_azimuth = point_to_azimuth(s.picked_x, s.picked_y);
    s.target_elevation = point_to_elevation(s.picked_x, s.picked_y);
    s.target_picked = true;
}

double Form1::point_to_azimuth(double x, double y) {
    return picking::azimuth(x, y, state_.radar_centre_x, state_.radar_centre_y,
                            picking::counts_from_south(m_.azimuth_origin));
}

double Form1::point_to_elevation(double x, double y) {
    return picking::elevation(x, y, state_.radar_centre_x, state_.radar_centre_y,
                              Picture1->outer_width());
}

double Form1::quadrant_arctan(double a, double b) {
    return picking::quadrant_arctan(a, b);
}

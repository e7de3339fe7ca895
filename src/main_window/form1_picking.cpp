#include "main_window/form1.h"
#include "main_window/picking_geometry.h"

// Picking a target on the radar.

void Form1::Picture1_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, double x, double y) {
    if (m_.operation_mode == OperationMode::settings_open) return;
    radar_centre_x = Picture1->outer_width() / 2;
    // The picture is square: the width serves for both centre coordinates.
    radar_centre_y = Picture1->outer_width() / 2;
    if (auto_tracking == 1) {
        s_.message_box.show(QStringLiteral("自動追跡中です！！"));
        return;
    }
    if (manual_tracking == 1) {
        s_.message_box.show(
            QStringLiteral("すでに手動で追跡中です！！　中止してから再度指定してください。"));
        return;
    }
    picked_x = x;
    picked_y = y;
    // Marked at once with hollow rings; the next redraw shows the filled marker instead.
    Picture1->circle(x, y, 50, QColor(255, 255, 255));
    Picture1->circle(x, y, 10, QColor(255, 255, 0));
    target_azimuth = point_to_azimuth(picked_x, picked_y);
    target_elevation = point_to_elevation(picked_x, picked_y);
    target_picked = 1;
}

double Form1::point_to_azimuth(double x, double y) {
    return picking::azimuth(x, y, radar_centre_x, radar_centre_y,
                            picking::counts_from_south(m_.azimuth_origin));
}

double Form1::point_to_elevation(double x, double y) {
    return picking::elevation(x, y, radar_centre_x, radar_centre_y, Picture1->outer_width());
}

double Form1::quadrant_arctan(double a, double b) {
    return picking::quadrant_arctan(a, b);
}

#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <optional>

// The tracking program's values, in the order the links are set up.
enum class TrackingItem : std::size_t {
    satellite,            // "TEXT1": the satellite's name
    satellite_azimuth,    // "TEXT2"
    satellite_elevation,  // "TEXT3"
    text4,                // "TEXT4" … "text9": shown only, meaning up to the tracking program
    text5,
    text6,
    text7,
    text8,
    text9,
    moon_azimuth,    // "text10"
    moon_elevation,  // "text11"
};
inline constexpr std::size_t tracking_item_count = 11;

// The tracked object's azimuth and elevation: the satellite's, or the Moon's.
struct TrackedItems {
    TrackingItem azimuth;
    TrackingItem elevation;
};
inline TrackedItems tracked_items(bool satellite) {
    return satellite
               ? TrackedItems{TrackingItem::satellite_azimuth, TrackingItem::satellite_elevation}
               : TrackedItems{TrackingItem::moon_azimuth, TrackingItem::moon_elevation};
}

// What the main window knows; its widgets show it.
struct WindowState {
    // Where the rotator last said it points.
    double antenna_azimuth = 0;
    double antenna_elevation = 0;

    // The target picked on the radar: the click in picture twips, the centre it was read
    // against, and the angles it stands for.
    bool target_picked = false;
    double picked_x = 0;
    double picked_y = 0;
    double radar_centre_x = 0;
    double radar_centre_y = 0;
    double target_azimuth = 0;
    double target_elevation = 0;

    bool auto_tracking = false;
    bool manual_tracking = false;
    // How near the target a manual move counts as arrived, in degrees.
    double azimuth_tolerance = 0;
    double elevation_tolerance = 0;
    // The "tracking program is not running" warning, once per run.
    bool link_warning_shown = false;

    // Texts exactly as received (or as a manual move set them): numbers are read from them
    // where they are used.
    std::array<QString, tracking_item_count> values;
    // When the tracking program last gave each value (monotonic seconds); nothing for one it
    // never gave.
    std::array<std::optional<double>, tracking_item_count> read_at;
    QString& value(TrackingItem item) { return values[static_cast<std::size_t>(item)]; }
    const QString& value(TrackingItem item) const { return values[static_cast<std::size_t>(item)]; }
};

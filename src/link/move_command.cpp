#include "link/move_command.h"

#include "link/numeric.h"

std::optional<QString> angle_text(double degrees) {
    const auto whole = round_down(degrees);
    if (!whole) return std::nullopt;
    return format_000(*whole);
}

std::optional<QString> compose_move_command(double azimuth, double elevation) {
    const auto az = angle_text(azimuth);
    const auto el = angle_text(elevation);
    if (!az || !el) return std::nullopt;
    return QStringLiteral("W") + *az + u' ' + *el + u'\r';
}

std::optional<QString> rotator_move_command(double azimuth, double elevation, int range) {
    const auto az = round_down(azimuth);
    const auto el = round_down(elevation);
    if (!az || !el || *az < 0 || *az > range || *el < 0 || *el > max_command_elevation)
        return std::nullopt;
    return compose_move_command(azimuth, elevation);
}

#pragma once

#include <QString>
#include <optional>

// "W" + azimuth + " " + elevation + CR, each angle as whole degrees (rounded down) with at
// least three digits. Nothing when an angle is not a finite value whose whole degrees fit
// a 32-bit integer: such a command is never sent.
std::optional<QString> compose_move_command(double azimuth, double elevation);

// Whole degrees of an angle written with the "000" pattern, or nothing as above.
std::optional<QString> angle_text(double degrees);

// The highest elevation a controller is ever sent.
inline constexpr int max_command_elevation = 180;

// The move command a controller with this azimuth range is sent: both angles in whole degrees
// within its travel (azimuth 0 to range, elevation 0 to 180); nothing otherwise, so that no
// impossible command ever leaves the program.
std::optional<QString> rotator_move_command(double azimuth, double elevation, int range);

#pragma once

#include <QString>
#include <optional>

// "W" + azimuth + " " + elevation + CR, each angle as whole degrees (rounded down) with at
// least three digits. Nothing when an angle is not a finite value whose whole degrees fit
// a 32-bit integer: such a command is never sent.
std::optional<QString> compose_move_command(double azimuth, double elevation);

// Whole degrees of an angle written with the "000" pattern, or nothing as above.
std::optional<QString> angle_text(double degrees);

#pragma once

#include <QString>
#include <optional>

#include "platform/control_error.h"

// What the operator is told about the rotator link.
namespace link_text {

QString silent();
QString serial_lost(const QString& port_name);
QString board_unreachable();
QString position_unknown();
QString stop_not_delivered();
// A move that cannot be made now, with the link's problem.
QString move_not_possible(const QString& problem);

// A serial port that would not open: the port as configured, the device it stands for and why.
// failure is nothing when the name names no port. detail: the system's own words; group: the
// group owning the device (asked only for a refused access).
QString serial_open_failed(const QString& port_name, const QString& device,
                           std::optional<platform::OpenFailure> failure, const QString& detail,
                           const QString& group);

}  // namespace link_text

#pragma once

#include <QStringList>

// The port box's list: COM1 to COM8 as designed, then the serial ports this machine has that
// are not among them, in the order given.
QStringList port_choices(const QStringList& present);

// The serial ports present now, as a port name opens them (a device path on unix-like
// systems, "COMn" on Windows).
QStringList present_serial_ports();

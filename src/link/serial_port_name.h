#pragma once

#include <QString>
#include <functional>
#include <optional>

// Which serial device a stored port name ("COM3", "/dev/ttyUSB0") opens.

enum class PortSystem { unix_like, windows };

struct SerialPortChoice {
    int number = 0;  // 0 when the name is a device path
    QString device;  // what the serial control opens
};

// Every digit after "COM" (any case, blanks around the name allowed); anything after the
// digits is ignored, as "COM3:" names port 3. Nothing without digits, for 0, or above 32767.
std::optional<int> com_port_number(const QString& port_name);

// configured_device gives the device the settings name for a port number (empty when none);
// it is asked on unix-like systems only. Nothing when the name names no port.
std::optional<SerialPortChoice> choose_serial_port(
    const QString& port_name, const std::function<QString(int)>& configured_device,
    PortSystem system);

inline constexpr PortSystem this_port_system =
#ifdef _WIN32
    PortSystem::windows;
#else
    PortSystem::unix_like;
#endif

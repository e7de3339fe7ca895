#include "link/serial_port_name.h"

namespace {

bool is_device_path(const QString& name, PortSystem system) {
    if (system == PortSystem::windows) return name.startsWith(QStringLiteral("\\\\.\\"));
    return name.startsWith(u'/');
}

}  // namespace

std::optional<int> com_port_number(const QString& port_name) {
    const QString name = port_name.trimmed();
    if (!name.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive)) return std::nullopt;
    int number = 0;
    qsizetype i = 3;
    for (; i < name.size() && name[i] >= u'0' && name[i] <= u'9'; ++i) {
        number = number * 10 + (name[i].unicode() - u'0');
        if (number > 32767) return std::nullopt;
    }
    if (i == 3 || number == 0) return std::nullopt;
    return number;
}

std::optional<SerialPortChoice> choose_serial_port(
    const QString& port_name, const std::function<QString(int)>& configured_device,
    PortSystem system) {
    const QString name = port_name.trimmed();
    if (is_device_path(name, system)) return SerialPortChoice{0, name};
    const auto number = com_port_number(name);
    if (!number) return std::nullopt;
    if (system == PortSystem::windows)
        return SerialPortChoice{*number, QStringLiteral("COM%1").arg(*number)};
    QString device = configured_device ? configured_device(*number).trimmed() : QString();
    if (device.isEmpty()) device = QStringLiteral("/dev/ttyS%1").arg(*number - 1);
    return SerialPortChoice{*number, device};
}

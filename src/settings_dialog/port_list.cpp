#include "settings_dialog/port_list.h"

#include <QSerialPortInfo>

QStringList port_choices(const QStringList& present) {
    QStringList choices;
    for (int i = 1; i <= 8; ++i) choices << QStringLiteral("COM%1").arg(i);
    for (const QString& port : present) {
        if (!port.isEmpty() && !choices.contains(port, Qt::CaseInsensitive)) choices << port;
    }
    return choices;
}

QStringList present_serial_ports() {
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef _WIN32
        ports << info.portName();
#else
        ports << info.systemLocation();
#endif
    }
    return ports;
}

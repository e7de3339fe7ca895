#include "platform/serial_line.h"

#include <QStringList>

#include "platform/serial_control.h"

namespace platform {

namespace {

std::optional<QSerialPort::Parity> parity_of(const QString& letter) {
    if (letter.size() != 1) return std::nullopt;
    switch (letter.at(0).toLower().unicode()) {
        case u'n':
            return QSerialPort::NoParity;
        case u'e':
            return QSerialPort::EvenParity;
        case u'o':
            return QSerialPort::OddParity;
        case u'm':
            return QSerialPort::MarkParity;
        case u's':
            return QSerialPort::SpaceParity;
        default:
            return std::nullopt;
    }
}

std::optional<QSerialPort::StopBits> stop_bits_of(const QString& text) {
    if (text == QStringLiteral("1")) return QSerialPort::OneStop;
    if (text == QStringLiteral("1.5")) return QSerialPort::OneAndHalfStop;
    if (text == QStringLiteral("2")) return QSerialPort::TwoStop;
    return std::nullopt;
}

}  // namespace

std::optional<LineSettings> parse_line_settings(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4) return std::nullopt;
    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0) return std::nullopt;
    const auto parity = parity_of(parts[1].trimmed());
    const int data = parts[2].trimmed().toInt(&ok);
    if (!parity || !ok || data < 5 || data > 8) return std::nullopt;
    const auto stop = stop_bits_of(parts[3].trimmed());
    if (!stop) return std::nullopt;
    return LineSettings{baud, *parity, static_cast<QSerialPort::DataBits>(data), *stop};
}

std::optional<QSerialPort::FlowControl> flow_control(int handshaking) {
    switch (handshaking) {
        case 0:
            return QSerialPort::NoFlowControl;
        case 1:
            return QSerialPort::SoftwareControl;
        case 2:
        case 3:
            return QSerialPort::HardwareControl;
        default:
            return std::nullopt;
    }
}

std::vector<int> line_error_events(const LineCounters& before, const LineCounters& after) {
    std::vector<int> events;
    if (after.brk > before.brk) events.push_back(comm_event::brk);
    if (after.frame > before.frame) events.push_back(comm_event::frame);
    if (after.overrun > before.overrun) events.push_back(comm_event::overrun);
    if (after.buf_overrun > before.buf_overrun) events.push_back(comm_event::rx_over);
    if (after.parity > before.parity) events.push_back(comm_event::rx_parity);
    return events;
}

}  // namespace platform

#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>
#include <vector>

namespace platform {

struct LineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits data_bits = QSerialPort::Data8;
    QSerialPort::StopBits stop_bits = QSerialPort::OneStop;
};

// "9600,n,8,1": baud, parity letter (n, e, o, m, s), data bits (5 to 8), stop bits (1, 1.5, 2).
// Nothing for anything else.
std::optional<LineSettings> parse_line_settings(const QString& text);

// Handshaking values of the classic control: 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both (RTS/CTS
// is used then). Nothing for any other value.
std::optional<QSerialPort::FlowControl> flow_control(int handshaking);

// The driver's running totals of line errors.
struct LineCounters {
    long long brk = 0;
    long long frame = 0;
    long long overrun = 0;
    long long buf_overrun = 0;
    long long parity = 0;
};

// One event code for each counter that rose, in the order of the event table.
std::vector<int> line_error_events(const LineCounters& before, const LineCounters& after);

}  // namespace platform

#include "platform/board_control_tcp.h"

#include <QStringList>

#include "platform/control_error.h"

namespace platform {

namespace {

// Bounds the fetching done on each call: a board that floods must not keep us here.
constexpr int max_fetches = 1024;

}  // namespace

std::optional<QHostAddress> board_ipv4(const QString& text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4) return std::nullopt;
    quint32 value = 0;
    for (const QString& part : parts) {
        const QString digits = part.trimmed();
        // Decimal only: the stored parts are typed as numbers, and a leading zero is no octal.
        if (digits.isEmpty() || digits.size() > 12) return std::nullopt;
        for (const QChar c : digits) {
            if (c < u'0' || c > u'9') return std::nullopt;
        }
        const uint octet = digits.toUInt();
        if (octet > 255) return std::nullopt;
        value = (value << 8) | octet;
    }
    return QHostAddress(value);
}

BoardControlTcp::BoardControlTcp(std::function<quint16()> tcp_port, int hold_off_ms)
    : tcp_port_(std::move(tcp_port)), hold_off_ms_(hold_off_ms) {
    socket_.setReadBufferSize(read_buffer_bytes);
}

void BoardControlTcp::set_address(const QString& address) {
    address_ = address;
    host_ = board_ipv4(address);
}
QString BoardControlTcp::address() const {
    return address_;
}
void BoardControlTcp::set_setup(int value) {
    setup_ = value;
}
// The last step of start-up: the board that is off is found here.
void BoardControlTcp::set_rs232c_speed(int baud) {
    speed_ = baud;
    connect_if_needed();
}

bool BoardControlTcp::connected() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

// Whatever arrived is fetched now: the socket's state and buffer follow the peer only while
// the event loop runs, and the callers wait without it.
void BoardControlTcp::keep_received() {
    for (int i = 0; i < max_fetches && connected(); ++i) {
        const qint64 waiting = socket_.bytesAvailable();
        if (waiting >= read_buffer_bytes) socket_.skip(waiting - read_buffer_bytes / 2);
        if (!socket_.waitForReadyRead(0)) break;
    }
}

void BoardControlTcp::connect_if_needed() {
    // Only a literal address: a name would mean a lookup that can outlast the timeout.
    if (!host_) throw ControlError("not an address: " + address_.toStdString());

    keep_received();
    if (connected() && *host_ == peer_) return;
    if (failed_at_.isValid() && *host_ == failed_peer_ && !failed_at_.hasExpired(hold_off_ms_))
        throw ControlError("the board did not answer a moment ago");

    // Read here, not per byte: it comes from the settings file.
    const quint16 port = tcp_port_ ? tcp_port_() : quint16(10001);
    // A socket never opened has nothing to give, and reading it only earns a warning.
    if (socket_.isOpen()) {
        received_ += socket_.readAll();
        if (received_.size() > read_buffer_bytes)
            received_.remove(0, received_.size() - read_buffer_bytes);
    }
    socket_.abort();
    peer_ = *host_;
    socket_.connectToHost(peer_, port);
    if (!socket_.waitForConnected(connect_timeout_ms)) {
        const std::string why = socket_.errorString().toStdString();
        socket_.abort();
        failed_peer_ = peer_;
        failed_at_.start();
        throw ControlError("cannot reach the board: " + why);
    }
    failed_at_.invalidate();
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void BoardControlTcp::connect_board() {
    connect_if_needed();
}

void BoardControlTcp::send(const QByteArray& one_char) {
    connect_if_needed();
    if (socket_.write(one_char) != one_char.size()) {
        socket_.abort();
        throw ControlError("write refused");
    }
    socket_.flush();
    if (socket_.bytesToWrite() > 0 && !socket_.waitForBytesWritten(write_timeout_ms)) {
        socket_.abort();
        throw ControlError("write failed");
    }
    if (!connected()) throw ControlError("connection lost while sending");
}

QByteArray BoardControlTcp::read() {
    keep_received();
    QByteArray out = received_;
    received_.clear();
    if (socket_.isOpen()) out += socket_.read(read_buffer_bytes);
    return out;
}

}  // namespace platform

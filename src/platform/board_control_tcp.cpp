#include "platform/board_control_tcp.h"

#include "platform/control_error.h"

namespace platform {

BoardControlTcp::BoardControlTcp(std::function<quint16()> tcp_port)
    : tcp_port_(std::move(tcp_port)) {}

void BoardControlTcp::set_address(const QString& address) {
    address_ = address;
}
QString BoardControlTcp::address() const {
    return address_;
}
void BoardControlTcp::set_setup(int value) {
    setup_ = value;
}
void BoardControlTcp::set_rs232c_speed(int baud) {
    speed_ = baud;
}

bool BoardControlTcp::connected() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

// Whatever arrived is fetched now: the socket's state and buffer follow the peer only while
// the event loop runs, and the callers wait without it.
void BoardControlTcp::keep_received() {
    if (!connected()) return;
    for (int i = 0; i < 1024 && connected() && socket_.waitForReadyRead(0); ++i) {
    }
}

void BoardControlTcp::connect_if_needed() {
    // Only a literal address: a name would mean a lookup that can outlast the timeout.
    const QHostAddress address(address_.trimmed());
    if (address.isNull()) throw ControlError("not an address: " + address_.toStdString());
    const quint16 port = tcp_port_ ? tcp_port_() : quint16(10001);

    keep_received();
    if (connected() && address == peer_ && port == peer_port_) return;

    // A socket never opened has nothing to give, and reading it only earns a warning.
    if (socket_.isOpen()) received_ += socket_.readAll();
    socket_.abort();
    peer_ = address;
    peer_port_ = port;
    socket_.connectToHost(address, port);
    if (!socket_.waitForConnected(connect_timeout_ms)) {
        const std::string why = socket_.errorString().toStdString();
        socket_.abort();
        throw ControlError("cannot reach the board: " + why);
    }
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
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
    if (socket_.isOpen()) out += socket_.readAll();
    return out;
}

}  // namespace platform

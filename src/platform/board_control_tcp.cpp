#include "platform/board_control_tcp.h"

#include "platform/control_error.h"

namespace platform {

// TODO(link): connect on first send, reconnect after a drop, read what arrived.
BoardControlTcp::BoardControlTcp(std::function<quint16()> tcp_port) : tcp_port_(std::move(tcp_port)) {}
void BoardControlTcp::set_address(const QString& address) { address_ = address; }
QString BoardControlTcp::address() const { return address_; }
void BoardControlTcp::set_setup(int value) { setup_ = value; }
void BoardControlTcp::set_rs232c_speed(int baud) { speed_ = baud; }
void BoardControlTcp::send(const QByteArray&) { throw ControlError("board control not implemented"); }
QByteArray BoardControlTcp::read() { return {}; }

}  // namespace platform

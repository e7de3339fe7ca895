#pragma once

#include <QHostAddress>
#include <QTcpSocket>
#include <functional>

#include "platform/board_control.h"

namespace platform {

// The network board reached as a raw TCP serial server: bytes pass unchanged both ways.
// Setting values only stores them; the connection is made by the first send, and made again
// by a later send once it has dropped or the address has changed.
class BoardControlTcp final : public BoardControl {
  public:
    // tcp_port gives the server's TCP port at the moment of connecting.
    explicit BoardControlTcp(std::function<quint16()> tcp_port);

    void set_address(const QString& address) override;
    QString address() const override;
    void set_setup(int value) override;
    void set_rs232c_speed(int baud) override;
    void send(const QByteArray& one_char) override;
    QByteArray read() override;

    int setup() const { return setup_; }
    int rs232c_speed() const { return speed_; }
    bool connected() const;

    static constexpr int connect_timeout_ms = 1000;
    static constexpr int write_timeout_ms = 1000;

  private:
    void connect_if_needed();
    void keep_received();

    std::function<quint16()> tcp_port_;
    QString address_ = QStringLiteral("192.168.0.200");
    int setup_ = 0;
    int speed_ = 9600;
    QTcpSocket socket_;
    QHostAddress peer_;
    quint16 peer_port_ = 0;
    QByteArray received_;  // bytes kept from a connection that has been replaced
};

}  // namespace platform

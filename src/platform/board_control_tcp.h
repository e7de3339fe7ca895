#pragma once

#include <QTcpSocket>
#include <functional>

#include "platform/board_control.h"

namespace platform {

// The network board reached as a raw TCP serial server. Setting values only stores them;
// the connection is made by the first send.
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

private:
    std::function<quint16()> tcp_port_;
    QString address_ = QStringLiteral("192.168.0.200");
    int setup_ = 0;
    int speed_ = 9600;
};

}  // namespace platform

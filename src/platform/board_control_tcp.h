#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <functional>
#include <optional>

#include "platform/board_control.h"

namespace platform {

// The address of a stored board address text: four decimal parts, each 0 to 255, blanks
// around a part allowed ("192.168.000.010" is 192.168.0.10). Nothing for anything else.
std::optional<QHostAddress> board_ipv4(const QString& text);

// The network board reached as a raw TCP serial server: bytes pass unchanged both ways.
// Setting the address or the set-up value only stores it; setting the line speed and every
// send connect when no connection to the address is up, and fail when none can be made.
// After a failed connect the same address is left alone for a while: every call that would
// connect fails at once instead of waiting out the timeout again.
class BoardControlTcp final : public BoardControl {
  public:
    static constexpr int connect_timeout_ms = 1000;
    static constexpr int write_timeout_ms = 1000;
    static constexpr int default_hold_off_ms = 5000;
    // Received bytes kept between reads; a reply line is far shorter. Older bytes past this
    // were asked for by nobody and are dropped, so a board that floods costs no memory.
    static constexpr qint64 read_buffer_bytes = 4096;

    // tcp_port gives the server's TCP port; it is asked once per connection.
    explicit BoardControlTcp(std::function<quint16()> tcp_port,
                             int hold_off_ms = default_hold_off_ms);

    void set_address(const QString& address) override;
    QString address() const override;
    void set_setup(int value) override;
    void set_rs232c_speed(int baud) override;
    void send(const QByteArray& one_char) override;
    QByteArray read() override;

    bool connected() const override;
    void connect_board() override;

    int setup() const { return setup_; }
    int rs232c_speed() const { return speed_; }

  private:
    void connect_if_needed();
    void keep_received();

    std::function<quint16()> tcp_port_;
    int hold_off_ms_;
    QString address_ = QStringLiteral("192.168.0.200");
    std::optional<QHostAddress> host_ = board_ipv4(address_);
    int setup_ = 0;
    int speed_ = 9600;
    QTcpSocket socket_;
    QHostAddress peer_;
    QByteArray received_;  // bytes kept from a connection that has been replaced
    QHostAddress failed_peer_;
    QElapsedTimer failed_at_;  // invalid: no connect has failed
};

}  // namespace platform

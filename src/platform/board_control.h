#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The network board that carries the controller's RS-232C line over TCP/IP.
// Failures throw ControlError.
class BoardControl {
  public:
    virtual ~BoardControl() = default;

    virtual void set_address(const QString& address) = 0;
    virtual QString address() const = 0;
    virtual void set_setup(int value) = 0;
    virtual void set_rs232c_speed(int baud) = 0;
    // Sends one character whose code is the byte to send.
    virtual void send(const QByteArray& one_char) = 0;
    // Every byte received since the previous read; empty when none.
    virtual QByteArray read() = 0;
    // Whether a connection to the board is up now. A board reached afresh for every command
    // has nothing to lose between them.
    virtual bool connected() const { return true; }
    // Connects now unless a connection is up; throws ControlError when none can be made.
    virtual void connect_board() {}
};

}  // namespace platform

#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace platform {

// Event codes the receive handler sees (the classic comm-control values).
namespace comm_event {
inline constexpr int send = 1;
inline constexpr int receive = 2;
inline constexpr int cts = 3;
inline constexpr int dsr = 4;
inline constexpr int cd = 5;
inline constexpr int ring = 6;
inline constexpr int eof = 7;
inline constexpr int brk = 1001;
inline constexpr int frame = 1004;
inline constexpr int overrun = 1006;
inline constexpr int rx_over = 1008;
inline constexpr int rx_parity = 1009;
inline constexpr int tx_full = 1010;
inline constexpr int dcb = 1011;
inline constexpr int undefined = 1099;  // anything the table does not name
}  // namespace comm_event

// The serial communications control of the main window. Failures throw ControlError.
class SerialControl {
  public:
    virtual ~SerialControl() = default;

    virtual void set_comm_port(int number) = 0;
    // Device node the port number stands for ("/dev/ttyUSB0", "COM3"); set before opening.
    virtual void set_device(const QString& device) = 0;
    virtual void set_settings(const QString& settings) = 0;  // "9600,n,8,1"
    virtual void set_handshaking(int mode) = 0;              // 0 = none
    virtual void set_rthreshold(int bytes) = 0;
    virtual void set_sthreshold(int bytes) = 0;
    virtual void set_port_open(bool open) = 0;
    virtual bool port_open() const = 0;
    // Writes the bytes in order, all of them before it returns. A failure after some of them
    // went out throws OutputError saying how many.
    virtual void set_output(const QByteArray& bytes) = 0;

    virtual int comm_event() const = 0;
    virtual void set_input_len(int length) = 0;  // 0 = hand over everything waiting
    virtual int in_buffer_count() = 0;
    virtual QByteArray input() = 0;

    // Called on the window's thread whenever comm_event() has a new value.
    virtual void set_on_comm(std::function<void()> handler) = 0;
};

}  // namespace platform

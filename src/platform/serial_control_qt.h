#pragma once

#include <QSerialPort>
#include <optional>

#include "platform/control_error.h"
#include "platform/serial_control.h"
#include "platform/serial_line.h"

namespace platform {

// The serial control on QtSerialPort. Events reach the handler on the window's thread: the
// receive event when bytes arrive, line-error events when the driver's error counters rise
// (where the driver keeps them), and the undefined event for any other port failure.
class SerialControlQt final : public QObject, public SerialControl {
    Q_OBJECT
  public:
    explicit SerialControlQt(QObject* parent = nullptr);
    ~SerialControlQt() override;

    void set_comm_port(int number) override;
    void set_device(const QString& device) override;
    void set_settings(const QString& settings) override;
    void set_handshaking(int mode) override;
    void set_rthreshold(int bytes) override;
    void set_sthreshold(int bytes) override;
    void set_port_open(bool open) override;
    bool port_open() const override;
    void set_output(const QByteArray& bytes) override;
    int comm_event() const override;
    void set_input_len(int length) override;
    int in_buffer_count() override;
    QByteArray input() override;
    void set_on_comm(std::function<void()> handler) override;

    // Unsent bytes beyond which an output is refused as a full transmit buffer.
    static constexpr qint64 out_buffer_size = 512;
    // Port errors within this time count as one failure.
    static constexpr int failure_gather_ms = 50;
    // A read straight from the device takes at most this much at a time, this many times.
    static constexpr int direct_read_bytes = 4096;
    static constexpr int max_direct_reads = 1024;

  private:
    class Busy;

    PortOpenError open_failure() const;
    void apply_line();
    void require_open() const;
    void pull();
    bool may_read_directly() const;
    std::optional<qint64> waiting_in_os() const;
    bool read_direct();
    void post_receive_check();
    qsizetype write_direct(const QByteArray& bytes);
    bool may_read_now() const;
    void on_ready_read();
    void on_error(QSerialPort::SerialPortError error);
    void check_receive();
    void check_line_errors();
    bool line_hung_up() const;
    std::optional<LineCounters> read_counters();
    void signal_event(int code);
    void raise(int code);
    void post(int code);

    QSerialPort port_;
    QString device_;
    int port_number_ = 1;
    LineSettings line_;
    QSerialPort::FlowControl flow_ = QSerialPort::NoFlowControl;
    int rthreshold_ = 0;
    int sthreshold_ = 0;
    int input_len_ = 0;
    int event_ = 0;
    int busy_ = 0;          // depth of our own calls into the port
    bool opening_ = false;  // failures while opening are reported by the open itself
    bool receive_check_pending_ = false;
    bool failure_pending_ = false;
    bool device_lost_ = false;
    std::optional<LineCounters> counters_;
    bool no_counters_ = false;  // the driver said it keeps no line-error counters
    bool nonblocking_ = false;  // the device was opened non-blocking, so it may be read directly
    QByteArray received_;       // read off the device, not yet taken; older than Qt's buffer
    std::function<void()> on_comm_;
};

}  // namespace platform

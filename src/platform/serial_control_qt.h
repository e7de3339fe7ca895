#pragma once

#include <QSerialPort>

#include "platform/serial_control.h"

namespace platform {

// The serial control on QtSerialPort.
class SerialControlQt final : public QObject, public SerialControl {
    Q_OBJECT
public:
    explicit SerialControlQt(QObject* parent = nullptr);

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

private:
    QSerialPort port_;
    QString device_;
    int port_number_ = 1;
    int event_ = 0;
    std::function<void()> on_comm_;
};

}  // namespace platform

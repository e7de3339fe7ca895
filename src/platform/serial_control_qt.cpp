#include "platform/serial_control_qt.h"

#include "platform/control_error.h"

namespace platform {

// TODO(link): full implementation (line settings, thresholds, line-error counters).
SerialControlQt::SerialControlQt(QObject* parent) : QObject(parent) {}
void SerialControlQt::set_comm_port(int number) { port_number_ = number; }
void SerialControlQt::set_device(const QString& device) { device_ = device; }
void SerialControlQt::set_settings(const QString&) {}
void SerialControlQt::set_handshaking(int) {}
void SerialControlQt::set_rthreshold(int) {}
void SerialControlQt::set_sthreshold(int) {}
void SerialControlQt::set_port_open(bool) { throw ControlError("serial control not implemented"); }
bool SerialControlQt::port_open() const { return false; }
void SerialControlQt::set_output(const QByteArray&) { throw ControlError("port not open"); }
int SerialControlQt::comm_event() const { return event_; }
void SerialControlQt::set_input_len(int) {}
int SerialControlQt::in_buffer_count() { return 0; }
QByteArray SerialControlQt::input() { return {}; }
void SerialControlQt::set_on_comm(std::function<void()> handler) { on_comm_ = std::move(handler); }

}  // namespace platform

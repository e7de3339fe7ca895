#include "platform/serial_control_qt.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <utility>

#include "platform/control_error.h"

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

// Marks a stretch in which the port's own signals come from our calls, not the event loop:
// handlers must not run inside it, so what they would do is posted instead.
class SerialControlQt::Busy {
  public:
    explicit Busy(SerialControlQt& control) : control_(control) { ++control_.busy_; }
    ~Busy() { --control_.busy_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    SerialControlQt& control_;
};

SerialControlQt::SerialControlQt(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialControlQt::on_ready_read);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialControlQt::on_error);
}

SerialControlQt::~SerialControlQt() {
    on_comm_ = {};
    port_.disconnect(this);
}

void SerialControlQt::set_comm_port(int number) {
    if (number < 0) throw ControlError("invalid port number");
    port_number_ = number;
}

void SerialControlQt::set_device(const QString& device) {
    if (port_.isOpen()) throw ControlError("port already open");
    device_ = device;
}

void SerialControlQt::set_settings(const QString& settings) {
    const auto line = parse_line_settings(settings);
    if (!line) throw ControlError("invalid line settings: " + settings.toStdString());
    line_ = *line;
    if (port_.isOpen()) apply_line();
}

void SerialControlQt::set_handshaking(int mode) {
    const auto flow = flow_control(mode);
    if (!flow) throw ControlError("invalid handshaking");
    flow_ = *flow;
    if (port_.isOpen()) apply_line();
}

void SerialControlQt::set_rthreshold(int bytes) {
    if (bytes < 0) throw ControlError("invalid receive threshold");
    rthreshold_ = bytes;
}

void SerialControlQt::set_sthreshold(int bytes) {
    if (bytes < 0) throw ControlError("invalid send threshold");
    sthreshold_ = bytes;
}

void SerialControlQt::apply_line() {
    Busy busy(*this);
    const bool ok = port_.setBaudRate(line_.baud) && port_.setParity(line_.parity) &&
                    port_.setDataBits(line_.data_bits) && port_.setStopBits(line_.stop_bits) &&
                    port_.setFlowControl(flow_);
    if (!ok) throw ControlError("line settings refused: " + port_.errorString().toStdString());
}

void SerialControlQt::set_port_open(bool open) {
    if (!open) {
        if (port_.isOpen()) {
            Busy busy(*this);
            port_.close();
        }
        counters_.reset();
        received_.clear();
        return;
    }
    if (port_.isOpen()) throw ControlError("port already open");
    if (device_.isEmpty()) throw ControlError("no device for port " + std::to_string(port_number_));
    Busy busy(*this);
    opening_ = true;
    port_.setPortName(device_);
    port_.clearError();
    if (!port_.open(QIODevice::ReadWrite)) {
        opening_ = false;
        throw open_failure();
    }
    try {
        apply_line();
    } catch (const ControlError&) {
        port_.close();
        opening_ = false;
        throw;
    }
    opening_ = false;
    port_.clearError();
    device_lost_ = false;
    no_counters_ = false;
    counters_ = read_counters();
    received_.clear();
#ifdef Q_OS_UNIX
    const int flags = ::fcntl(static_cast<int>(port_.handle()), F_GETFL);
    nonblocking_ = flags != -1 && (flags & O_NONBLOCK) != 0;
#endif
}

// The port's own error lumps a device that refuses us together with one held by another
// program; only the device's permissions tell them apart.
PortOpenError SerialControlQt::open_failure() const {
    const std::string what =
        "cannot open " + device_.toStdString() + ": " + port_.errorString().toStdString();
    switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError:
            return {what, OpenFailure::not_found};
        case QSerialPort::PermissionError: {
#ifdef Q_OS_UNIX
            if (::access(QFile::encodeName(device_).constData(), R_OK | W_OK) != 0 &&
                errno == EACCES) {
                return {what, OpenFailure::no_permission, QFileInfo(device_).group().toStdString()};
            }
#endif
            return {what, OpenFailure::in_use};
        }
        default:
            return {what, OpenFailure::other};
    }
}

bool SerialControlQt::port_open() const {
    return port_.isOpen();
}

void SerialControlQt::require_open() const {
    if (!port_.isOpen()) throw ControlError("port not open");
}

void SerialControlQt::set_output(const QByteArray& bytes) {
    require_open();
    Busy busy(*this);
    if (port_.bytesToWrite() >= out_buffer_size) {
        post(comm_event::tx_full);
        throw ControlError("transmit buffer full");
    }
    // What the device does not take at once goes the port's way, which also reports failures.
    const qsizetype direct = write_direct(bytes);
    if (direct == bytes.size()) return;
    const QByteArray rest = bytes.mid(direct);
    if (port_.error() != QSerialPort::NoError) port_.clearError();
    if (port_.write(rest) != rest.size()) throw OutputError("write refused", direct);
    port_.flush();
    const auto error = port_.error();
    if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
        // Whatever is still queued did not go out, and these bytes are the end of the queue.
        const qint64 left =
            port_.isOpen() ? std::min<qint64>(port_.bytesToWrite(), rest.size()) : rest.size();
        throw OutputError("write failed: " + port_.errorString().toStdString(),
                          bytes.size() - left);
    }
}

// Straight to the device while nothing of ours waits before the bytes: the port's own path
// arms and disarms a write notifier and signals for every write, which costs more than the
// write. Returns how many the device took.
qsizetype SerialControlQt::write_direct(const QByteArray& bytes) {
#ifdef Q_OS_UNIX
    if (port_.bytesToWrite() > 0) return 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t n = ::write(static_cast<int>(port_.handle()), bytes.constData(),
                                  static_cast<size_t>(bytes.size()));
        if (n >= 0) return static_cast<qsizetype>(n);
        if (errno != EINTR) break;
    }
#endif
    return 0;
}

// The same look the port's zero wait takes, without the timeout error it sets and clears
// each time (a translated message and two signals).
bool SerialControlQt::may_read_now() const {
#ifdef Q_OS_UNIX
    if (port_.bytesToWrite() > 0) return true;  // the port's wait also sends what is queued
    pollfd p{static_cast<int>(port_.handle()), POLLIN, 0};
    return ::poll(&p, 1, 0) != 0;  // readiness or a failure: the port's wait handles both
#else
    return true;
#endif
}

int SerialControlQt::comm_event() const {
    return event_;
}

void SerialControlQt::set_input_len(int length) {
    if (length < 0) throw ControlError("invalid input length");
    input_len_ = length;
}

// Qt fills its buffer only while the event loop runs; the reader has just waited without it,
// so everything the OS holds is fetched here.
void SerialControlQt::pull() {
    Busy busy(*this);
    for (int i = 0; i < 1024 && port_.isOpen() && may_read_now() && port_.waitForReadyRead(0);
         ++i) {
    }
    if (port_.error() == QSerialPort::TimeoutError) port_.clearError();
}

// Only a non-blocking device is read around the port, and only while nothing of ours waits to
// be sent: the port's own wait sends it.
bool SerialControlQt::may_read_directly() const {
    return nonblocking_ && port_.bytesToWrite() == 0;
}

// What the OS holds, counted without taking it: input() takes it.
std::optional<qint64> SerialControlQt::waiting_in_os() const {
#ifdef Q_OS_UNIX
    if (!may_read_directly()) return std::nullopt;
    int waiting = 0;
    if (::ioctl(static_cast<int>(port_.handle()), FIONREAD, &waiting) != 0) return std::nullopt;
    return waiting;
#else
    return std::nullopt;
#endif
}

// Everything the OS holds, read straight from the device into received_ (after what Qt had
// already read, which is older). The port's zero wait would read the same bytes but also
// signal them and queue a check for later, costing more than the read, for bytes the caller
// takes at once. Returns false when the port's own way must read: see may_read_directly(),
// or a failure for it to report.
bool SerialControlQt::read_direct() {
#ifdef Q_OS_UNIX
    if (!may_read_directly()) return false;
    received_ += port_.readAll();
    const int fd = static_cast<int>(port_.handle());
    bool fetched = false;
    for (int i = 0; i < max_direct_reads; ++i) {
        char chunk[direct_read_bytes];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            received_.append(chunk, static_cast<qsizetype>(n));
            fetched = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        return false;  // a hang-up or an error: the port's read reports it
    }
    // Errors on the line come with the bytes; the port's read would have had them checked.
    if (fetched) check_line_errors();
    return true;
#else
    return false;
#endif
}

int SerialControlQt::in_buffer_count() {
    require_open();
    const auto in_os = waiting_in_os();
    if (!in_os) pull();
    const qint64 count = received_.size() + port_.bytesAvailable() + in_os.value_or(0);
    return static_cast<int>(std::min<qint64>(count, std::numeric_limits<qint16>::max()));
}

QByteArray SerialControlQt::input() {
    require_open();
    Busy busy(*this);
    if (!read_direct()) {
        pull();
        received_ += port_.readAll();
    }
    QByteArray out;
    if (input_len_ > 0 && received_.size() > input_len_) {
        out = received_.left(input_len_);
        received_.remove(0, input_len_);
        // What is left waits for the next read, announced as the port's own bytes are.
        post_receive_check();
    } else {
        out = std::exchange(received_, QByteArray());
    }
    return out;
}

void SerialControlQt::set_on_comm(std::function<void()> handler) {
    on_comm_ = std::move(handler);
}

void SerialControlQt::on_ready_read() {
    if (busy_ > 0) {
        // Bytes fetched during our own call: whoever called reads them, or a later check does.
        post_receive_check();
        return;
    }
    check_receive();
}

void SerialControlQt::post_receive_check() {
    if (receive_check_pending_) return;
    receive_check_pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            receive_check_pending_ = false;
            check_receive();
        },
        Qt::QueuedConnection);
}

void SerialControlQt::check_receive() {
    if (!port_.isOpen()) return;
    check_line_errors();
    if (rthreshold_ > 0 && received_.size() + port_.bytesAvailable() >= rthreshold_)
        raise(comm_event::receive);
}

void SerialControlQt::on_error(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError ||
        error == QSerialPort::NotOpenError || opening_) {
        return;
    }
    if (port_.isOpen()) check_line_errors();
    if (error == QSerialPort::ResourceError || line_hung_up()) device_lost_ = true;
    if (failure_pending_) return;
    failure_pending_ = true;
    // One failure shows up as a burst of errors (a vanished device reports a read error, then
    // the loss), so they are gathered into one event. The close waits as well, so no call of
    // ours is cut short.
    QTimer::singleShot(failure_gather_ms, this, [this] {
        failure_pending_ = false;
        if (std::exchange(device_lost_, false) && port_.isOpen()) {
            Busy busy(*this);
            port_.close();
            counters_.reset();
            received_.clear();
        }
        raise(comm_event::undefined);
    });
}

// A line whose other end went away reads as an endless end of file, which the port reports
// as a read error again and again; only the descriptor's state tells it from a bad byte.
bool SerialControlQt::line_hung_up() const {
#ifdef Q_OS_UNIX
    if (!port_.isOpen()) return false;
    pollfd p{static_cast<int>(port_.handle()), 0, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

void SerialControlQt::check_line_errors() {
    const auto now = read_counters();
    if (!now) return;
    if (counters_) {
        for (const int code : line_error_events(*counters_, *now)) signal_event(code);
    }
    counters_ = now;
}

std::optional<LineCounters> SerialControlQt::read_counters() {
#ifdef Q_OS_LINUX
    if (!port_.isOpen() || no_counters_) return std::nullopt;
    serial_icounter_struct counts{};
    if (::ioctl(static_cast<int>(port_.handle()), TIOCGICOUNT, &counts) != 0) {
        // A driver without counters (a pseudo-terminal, some adapters) never gains them.
        if (errno == ENOTTY || errno == EINVAL) no_counters_ = true;
        return std::nullopt;
    }
    return LineCounters{counts.brk, counts.frame, counts.overrun, counts.buf_overrun,
                        counts.parity};
#else
    return std::nullopt;
#endif
}

void SerialControlQt::signal_event(int code) {
    if (busy_ > 0) {
        post(code);
    } else {
        raise(code);
    }
}

void SerialControlQt::raise(int code) {
    event_ = code;
    if (on_comm_) on_comm_();
}

void SerialControlQt::post(int code) {
    QMetaObject::invokeMethod(
        this, [this, code] { raise(code); }, Qt::QueuedConnection);
}

}  // namespace platform

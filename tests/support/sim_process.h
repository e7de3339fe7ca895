#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "support/child.h"

namespace simtest {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start);

// The built simulator, started with the given switches and ready once it has printed its pty
// (and its TCP port when asked for one); stopped when this goes away.
class SimProcess {
  public:
    explicit SimProcess(const QStringList& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return !pty_.isEmpty(); }
    const QString& pty() const { return pty_; }
    int tcp_port() const { return tcp_port_; }
    QProcess& process() { return child_.process(); }
    // SIGTERM and wait; the exit code, or -1 when it did not end normally.
    int terminate() { return child_.stop(5000); }
    void kill() { child_.kill_now(); }

  private:
    support::Child child_;
    QString pty_;
    int tcp_port_ = 0;
};

// Runs the simulator to its end (for --help and bad arguments).
support::Finished run_to_end(const QStringList& args);

// One command as the simulator's --log recorded it.
struct Received {
    double seconds;
    std::string transport;  // "pty" or "tcp"
    std::string command;    // without its CR, escapes undone
};
// Every complete line of the log, oldest first.
std::vector<Received> read_command_log(const QString& path);
// Only the commands, as text ("" for a CR alone).
QStringList logged_commands(const QString& path);

// One line to the simulator's --control pipe ("drop-tcp-after 1"); false when nobody reads it.
bool control(const QString& fifo, const QString& line);

struct Arrival {
    double ms;  // since the read began
    std::string bytes;
};

// A raw byte stream to the simulator: its pty or a TCP connection on 127.0.0.1.
class Stream {
  public:
    static Stream open_device(const QString& path);
    static Stream connect_local(int port);
    Stream(Stream&& other) noexcept;
    Stream& operator=(Stream&& other) noexcept;
    ~Stream();

    bool is_open() const { return fd_ >= 0; }
    void close();
    void send(std::string_view bytes);
    // Everything that arrives until `ms` pass.
    std::string read_for(int ms);
    // Reads until the data ends with `end` or `ms` pass.
    std::string read_until(std::string_view end, int ms);
    // Each read with its arrival time, until `total` bytes came or `ms` passed.
    std::vector<Arrival> read_timed(std::size_t total, int ms);
    // True when the peer closes the connection within `ms`.
    bool sees_close(int ms);

  private:
    Stream(int fd, bool socket) : fd_(fd), socket_(socket) {}
    int fd_ = -1;
    bool socket_ = false;
};

// Asks and waits for a reply that ends with `end`.
std::string ask(Stream& stream, std::string_view command, std::string_view end = "\n",
                int ms = 2000);

}  // namespace simtest

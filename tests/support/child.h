#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace support {

// A child process of a test. It is killed when the test process dies, even by SIGKILL at a
// time limit, and stopped when this goes away, so nothing outlives its test to hold a port,
// a bus name or a display for the next run.
class Child {
  public:
    Child() = default;
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // For channels, environment and folder before start().
    QProcess& process() { return process_; }
    qint64 pid() const { return process_.processId(); }
    // True once it runs.
    bool start(const QString& program, const QStringList& args);
    // The next line of standard output, trimmed; nothing when none came within `ms`.
    std::optional<QString> read_line(int ms);
    // Reads lines until one satisfies `ready`; that line, or nothing after `ms`.
    std::optional<QString> wait_line(const std::function<bool(const QString&)>& ready, int ms);
    bool wait_line_starting(const QString& prefix, int ms);
    bool running();
    // SIGTERM, and SIGKILL after `grace_ms`. The exit code, or -1 when it did not end normally.
    int stop(int grace_ms = 2000);
    void kill_now();

  private:
    QProcess process_;
};

// A program run to its end with `input` on its standard input and `env` ("NAME=value") added
// to the test's environment.
struct Finished {
    int exit_code = -1;  // -1: crashed, or killed after `ms`
    QByteArray out;
    QByteArray err;
};
Finished run_to_end(const QString& program, const QStringList& args, int ms = 10000,
                    const QByteArray& input = {},
                    QProcess::ProcessChannelMode mode = QProcess::SeparateChannels,
                    const QStringList& env = {});

}  // namespace support

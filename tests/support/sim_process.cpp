#include "sim_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QProcessEnvironment>
#include <utility>

namespace simtest {

namespace {

QString simulator_path() {
    return QProcessEnvironment::systemEnvironment().value(QStringLiteral("AZELROT_GS232B_SIM"));
}

int remaining(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return std::max(0, static_cast<int>(left.count()));
}

}  // namespace

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

SimProcess::SimProcess(const QStringList& args) {
    if (simulator_path().isEmpty()) {
        ADD_FAILURE() << "AZELROT_GS232B_SIM is not set; run the tests through ctest";
        return;
    }
    child_.process().setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!child_.start(simulator_path(), args)) return;
    const bool want_tcp = args.contains(QStringLiteral("--tcp"));
    child_.wait_line(
        [&](const QString& line) {
            if (line.startsWith(QStringLiteral("pty "))) pty_ = line.mid(4);
            if (line.startsWith(QStringLiteral("tcp 127.0.0.1:"))) tcp_port_ = line.mid(14).toInt();
            return !pty_.isEmpty() && (!want_tcp || tcp_port_ != 0);
        },
        5000);
}

SimProcess::~SimProcess() {
    child_.kill_now();
}

support::Finished run_to_end(const QStringList& args) {
    return support::run_to_end(simulator_path(), args, 5000);
}

namespace {

// The log's escapes (\r, \\, \xNN) turned back into bytes.
std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == 'r') {
            out += '\r';
        } else if (next == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += next;
        }
    }
    return out;
}

}  // namespace

std::vector<Received> read_command_log(const QString& path) {
    std::vector<Received> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QList<QByteArray> parts = raw.split('\t');
        if (parts.size() != 3) continue;  // also a line still being written
        out.push_back(
            {parts[0].toDouble(), parts[1].toStdString(), unescape(parts[2].toStdString())});
    }
    return out;
}

QStringList logged_commands(const QString& path) {
    QStringList out;
    for (const Received& r : read_command_log(path)) out << QString::fromLatin1(r.command);
    return out;
}

bool control(const QString& fifo, const QString& line) {
    // Non-blocking: a simulator that is gone fails the write instead of hanging the test.
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const QByteArray bytes = line.toUtf8() + '\n';
    const bool ok = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return ok;
}

Stream Stream::open_device(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return Stream(fd, false);
}

Stream Stream::connect_local(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (fd >= 0) ::close(fd);
        return Stream(-1, true);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return Stream(fd, true);
}

Stream::Stream(Stream&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), socket_(other.socket_) {}

Stream& Stream::operator=(Stream&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        socket_ = other.socket_;
    }
    return *this;
}

Stream::~Stream() {
    close();
}

void Stream::close() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

void Stream::send(std::string_view bytes) {
    while (!bytes.empty()) {
        // A vanished simulator must fail the test, not kill it with SIGPIPE.
        const ssize_t n = socket_ ? ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL)
                                  : ::write(fd_, bytes.data(), bytes.size());
        if (n <= 0) return;
        bytes.remove_prefix(std::size_t(n));
    }
}

std::vector<Arrival> Stream::read_timed(std::size_t total, int ms) {
    std::vector<Arrival> arrivals;
    std::size_t got = 0;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::milliseconds(ms);
    while (got < total) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, remaining(deadline)) <= 0) break;
        char buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) break;
        arrivals.push_back({ms_since(start), std::string(buf, std::size_t(n))});
        got += std::size_t(n);
    }
    return arrivals;
}

std::string Stream::read_until(std::string_view end, int ms) {
    std::string data;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!data.ends_with(end)) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, remaining(deadline)) <= 0) break;
        char buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) break;
        data.append(buf, std::size_t(n));
    }
    return data;
}

std::string Stream::read_for(int ms) {
    std::string data;
    for (const Arrival& a : read_timed(SIZE_MAX, ms)) data += a.bytes;
    return data;
}

bool Stream::sees_close(int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, remaining(deadline)) <= 0) return false;
        char buf[512];
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n == 0 || (n < 0 && errno != EAGAIN)) return true;
    }
}

std::string ask(Stream& stream, std::string_view command, std::string_view end, int ms) {
    stream.send(command);
    return stream.read_until(end, ms);
}

}  // namespace simtest

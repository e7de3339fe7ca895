#include "sim_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace gs232b {

namespace {

// Reports a failed system call; false, so set-up steps can return it.
bool complain(const std::string& what) {
    std::fprintf(stderr, "gs232b-sim: %s: %s\n", what.c_str(), std::strerror(errno));
    return false;
}

bool set_nonblocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool readable(const pollfd& p) {
    return p.fd >= 0 && (p.revents & (POLLIN | POLLHUP | POLLERR));
}

timespec to_timespec(double seconds) {
    seconds = std::max(0.0, seconds);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - double(ts.tv_sec)) * 1e9);
    return ts;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

int UniqueFd::release() {
    return std::exchange(fd_, -1);
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

SimServer::SimServer(SimOptions options)
    : options_(std::move(options)),
      model_(options_.model),
      start_(std::chrono::steady_clock::now()) {}

SimServer::~SimServer() {
    if (link_made_) {
        char target[256] = {};
        const ssize_t n = readlink(options_.link.c_str(), target, sizeof target - 1);
        // Only our own link goes; someone may have pointed the path elsewhere meanwhile.
        if (n > 0 && pty_name_ == std::string(target, std::size_t(n)))
            unlink(options_.link.c_str());
    }
    if (control_created_) unlink(options_.control.c_str());
}

double SimServer::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

bool SimServer::start() {
    if (!block_signals() || !open_pty() || !make_link() || !open_log() || !open_control() ||
        !listen_tcp())
        return false;
    std::printf("pty %s\n", pty_name_.c_str());
    if (listener_) std::printf("tcp 127.0.0.1:%d\n", tcp_port_);
    std::fflush(stdout);
    return true;
}

bool SimServer::block_signals() {
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return complain("sigprocmask");
    signals_.reset(signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!signals_) return complain("signalfd");
    return true;
}

// The simulator keeps the slave side open itself, so a client closing the device does not
// hang up the master, and the raw settings made here survive between clients.
bool SimServer::open_pty() {
    master_.reset(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master_ || grantpt(master_.get()) != 0 || unlockpt(master_.get()) != 0)
        return complain("posix_openpt");
    const char* name = ptsname(master_.get());
    if (!name) return complain("ptsname");
    pty_name_ = name;
    slave_.reset(open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_) return complain("open " + pty_name_);
    termios tio{};
    tcgetattr(slave_.get(), &tio);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&tio, B9600);
    if (tcsetattr(slave_.get(), TCSANOW, &tio) != 0) return complain("tcsetattr");
    set_nonblocking(master_.get());
    // Knowing when clients open and close the device lets us throw away replies nobody
    // will read, which a real port loses while it is closed.
    pty_watch_.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (pty_watch_ && inotify_add_watch(pty_watch_.get(), name, IN_OPEN | IN_CLOSE) < 0)
        pty_watch_.reset();
    return true;
}

bool SimServer::make_link() {
    if (options_.link.empty()) return true;
    struct stat st {};
    if (lstat(options_.link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "gs232b-sim: %s exists and is not a symlink\n",
                         options_.link.c_str());
            return false;
        }
        unlink(options_.link.c_str());
    }
    if (symlink(pty_name_.c_str(), options_.link.c_str()) != 0)
        return complain("symlink " + options_.link);
    link_made_ = true;
    return true;
}

bool SimServer::open_log() {
    if (options_.log.empty()) return true;
    log_.reset(
        open(options_.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
    if (!log_) return complain("open " + options_.log);
    return true;
}

bool SimServer::open_control() {
    if (options_.control.empty()) return true;
    struct stat st {};
    if (stat(options_.control.c_str(), &st) != 0) {
        if (mkfifo(options_.control.c_str(), 0600) != 0)
            return complain("mkfifo " + options_.control);
        control_created_ = true;
    } else if (!S_ISFIFO(st.st_mode)) {
        std::fprintf(stderr, "gs232b-sim: %s is not a named pipe\n", options_.control.c_str());
        return false;
    }
    // Opened for writing too, so the pipe never reports end-of-file between writers.
    control_.reset(open(options_.control.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!control_) return complain("open " + options_.control);
    return true;
}

bool SimServer::listen_tcp() {
    if (!options_.tcp_port) return true;
    listener_.reset(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener_) return complain("socket");
    const int yes = 1;
    setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(*options_.tcp_port));
    if (bind(listener_.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listener_.get(), 4) != 0)
        return complain("listen on 127.0.0.1:" + std::to_string(*options_.tcp_port));
    socklen_t len = sizeof addr;
    getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&addr), &len);
    tcp_port_ = ntohs(addr.sin_port);
    return true;
}

double SimServer::next_due() const {
    double due = std::numeric_limits<double>::infinity();
    if (!pty_link_.pending.empty()) due = pty_link_.pending.front().due;
    if (!tcp_link_.pending.empty()) due = std::min(due, tcp_link_.pending.front().due);
    return due;
}

int SimServer::run() {
    enum { kSignals, kControl, kWatch, kMaster, kListener, kClient, kCount };
    for (;;) {
        pollfd fds[kCount] = {{signals_.get(), POLLIN, 0},   {control_.get(), POLLIN, 0},
                              {pty_watch_.get(), POLLIN, 0}, {master_.get(), POLLIN, 0},
                              {listener_.get(), POLLIN, 0},  {client_.get(), POLLIN, 0}};
        const double due = next_due();
        const timespec wait = to_timespec(due - now());
        if (ppoll(fds, kCount, std::isinf(due) ? nullptr : &wait, nullptr) < 0 && errno != EINTR) {
            complain("ppoll");
            return 1;
        }
        if (readable(fds[kSignals])) return 0;
        // Order matters: control lines written before a command must apply to it, and a
        // client's open must flush old replies before its first command is read.
        if (readable(fds[kControl])) read_control();
        if (readable(fds[kWatch])) read_pty_watch();
        if (readable(fds[kMaster])) read_pty();
        // The client polled is read before a newcomer may replace it.
        if (readable(fds[kClient])) read_client();
        if (readable(fds[kListener])) accept_client();
        flush(pty_link_, master_.get());
        if (client_) flush(tcp_link_, client_.get());
    }
}

void SimServer::read_pty_watch() {
    alignas(inotify_event) char events[4096];
    ssize_t n = 0;
    while ((n = read(pty_watch_.get(), events, sizeof events)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->mask & IN_OPEN) {
                if (pty_clients_++ == 0) discard_pty_output();
            } else if (event->mask & IN_CLOSE) {
                pty_clients_ = std::max(0, pty_clients_ - 1);
                if (pty_clients_ == 0) discard_pty_output();
            }
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
}

bool SimServer::pty_has_client() const {
    return !pty_watch_ || pty_clients_ > 0;
}

// Done when the last client closes and again when the next one opens: a reply that was
// still on its way then must not greet the next client.
void SimServer::discard_pty_output() {
    pty_link_.pending.clear();
    pty_link_.framer.clear();
    pty_link_.line_free = 0.0;
    tcflush(slave_.get(), TCIFLUSH);
}

void SimServer::read_pty() {
    char buf[1024];
    const ssize_t n = read(master_.get(), buf, sizeof buf);
    // EIO only means no client holds the device just now; the next open brings it back.
    if (n > 0) handle_bytes(pty_link_, buf, std::size_t(n));
}

void SimServer::accept_client() {
    UniqueFd fd(accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd) return;
    drop_client();  // one client at a time: the newcomer wins
    const int yes = 1;
    setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    client_ = std::move(fd);
}

void SimServer::drop_client() {
    client_.reset();
    tcp_link_ = Link{"tcp"};
}

void SimServer::read_client() {
    char buf[1024];
    const ssize_t n = recv(client_.get(), buf, sizeof buf, 0);
    if (n > 0)
        handle_bytes(tcp_link_, buf, std::size_t(n));
    else if (n == 0 || (errno != EAGAIN && errno != EINTR))
        drop_client();
}

void SimServer::read_control() {
    char buf[512];
    ssize_t n = 0;
    while ((n = read(control_.get(), buf, sizeof buf)) > 0) control_partial_.append(buf, n);
    if (control_partial_.size() > 4096 && control_partial_.find('\n') == std::string::npos)
        control_partial_.clear();  // not a control line, whatever it is
    for (auto nl = control_partial_.find('\n'); nl != std::string::npos;
         nl = control_partial_.find('\n')) {
        const std::string line = control_partial_.substr(0, nl);
        control_partial_.erase(0, nl + 1);
        std::optional<Position> place;
        const std::string error = apply_control_line(line, options_.faults, place);
        if (!error.empty()) std::fprintf(stderr, "gs232b-sim: %s\n", error.c_str());
        if (place) model_.set_position(place->az, place->el);
    }
}

void SimServer::handle_bytes(Link& link, const char* data, std::size_t size) {
    for (const std::string& command : link.framer.feed(std::string_view(data, size))) {
        if (link.close_when_sent) return;  // the connection is on its way out
        handle_line(link, command);
    }
}

void SimServer::handle_line(Link& link, const std::string& command) {
    const double t = now();
    if (log_) {
        const std::string line = log_line(t, link.name, command);
        if (write(log_.get(), line.data(), line.size()) < 0) complain("write " + options_.log);
    }
    std::string reply = model_.on_line(command, t);
    const Faults& faults = options_.faults;
    if (faults.mute) reply.clear();
    if (faults.garbage && !reply.empty()) reply = garbage_bytes(reply.size(), noise_seed_);
    if (&link == &pty_link_ && !pty_has_client()) reply.clear();
    const LineShape shape{faults.pacing, 10.0 / options_.baud, faults.split_ms / 1000.0};
    for (Chunk& chunk : schedule_reply(reply, t, link.line_free, shape))
        link.pending.push_back(std::move(chunk));
    ++link.commands;
    if (&link == &tcp_link_ && faults.drop_tcp_after > 0 && link.commands >= faults.drop_tcp_after)
        link.close_when_sent = true;
}

void SimServer::flush(Link& link, int fd) {
    const double t = now();
    std::string out;
    while (!link.pending.empty() && link.pending.front().due <= t) {
        out += link.pending.front().bytes;
        link.pending.pop_front();
    }
    if (!out.empty()) {
        // A full buffer means nobody reads: the bytes are lost, as on a real line.
        const ssize_t n = &link == &tcp_link_ ? send(fd, out.data(), out.size(), MSG_NOSIGNAL)
                                              : write(fd, out.data(), out.size());
        if (n < 0 && &link == &tcp_link_ && errno != EAGAIN) return drop_client();
    }
    if (&link == &tcp_link_ && link.close_when_sent && link.pending.empty()) drop_client();
}

}  // namespace gs232b

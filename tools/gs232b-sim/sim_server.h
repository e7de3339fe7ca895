#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

#include "gs232b_model.h"
#include "sim_options.h"
#include "sim_text.h"

namespace gs232b {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release();
    void reset(int fd = -1);

  private:
    int fd_ = -1;
};

// One way into the controller: the pty or the current TCP client.
struct Link {
    explicit Link(const char* transport) : name(transport) {}

    const char* name;
    LineFramer framer;
    std::deque<Chunk> pending;
    double line_free = 0.0;
    int commands = 0;  // since the client connected (TCP)
    bool close_when_sent = false;
};

// Runs the controller on its pty (and TCP port) until SIGTERM/SIGINT.
class SimServer {
  public:
    explicit SimServer(SimOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Sets everything up and prints the device lines; false (with a message on stderr) when
    // something could not be opened.
    bool start();
    int run();

  private:
    double now() const;
    bool open_pty();
    bool make_link();
    bool listen_tcp();
    bool open_control();
    bool open_log();
    bool block_signals();

    void read_pty_watch();
    bool pty_has_client() const;
    void discard_pty_output();
    void read_pty();
    void accept_client();
    void read_client();
    void drop_client();
    void read_control();
    void handle_bytes(Link& link, const char* data, std::size_t size);
    void handle_line(Link& link, const std::string& command);
    void flush(Link& link, int fd);
    double next_due() const;  // infinity when nothing waits

    SimOptions options_;
    Gs232bModel model_;
    std::chrono::steady_clock::time_point start_;
    std::uint32_t noise_seed_ = 0x9E3779B9u;

    UniqueFd master_;
    UniqueFd slave_;
    UniqueFd pty_watch_;
    int pty_clients_ = 0;  // other processes holding the device open
    std::string pty_name_;
    UniqueFd listener_;
    UniqueFd client_;
    int tcp_port_ = 0;
    UniqueFd control_;
    std::string control_partial_;
    bool control_created_ = false;
    UniqueFd log_;
    UniqueFd signals_;
    bool link_made_ = false;

    Link pty_link_{"pty"};
    Link tcp_link_{"tcp"};
};

}  // namespace gs232b

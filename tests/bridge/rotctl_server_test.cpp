// The bridge's server in this process, with plain sockets as clients on 127.0.0.1: what one
// misbehaving client can cost the others.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "rotctl_server.h"

namespace {

using namespace std::chrono_literals;
using track_bridge::RotctlServer;
using track_bridge::ServerLimits;
using track_bridge::TrackItems;

template <class Condition>
bool pump_until(Condition done, int timeout_ms = 3000) {
    QDeadlineTimer deadline(timeout_ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Never blocks, since the server runs on this same thread.
class Client {
  public:
    explicit Client(quint16 port, int receive_buffer = 0) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        if (receive_buffer > 0) {
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        ::fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    ~Client() { ::close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return connected_; }

    // How many bytes the system took.
    std::size_t send(const std::string& bytes) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        return n > 0 ? std::size_t(n) : 0;
    }

    // Collects what has arrived; notes an orderly close or a reset.
    void poll() {
        char buffer[4096];
        ssize_t n;
        while ((n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0) {
            received_.append(buffer, std::size_t(n));
        }
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            closed_ = true;
        }
    }

    // The reply to a request answered in `lines` lines, pumping the server meanwhile; what
    // came so far when it does not come in time.
    std::string ask(const std::string& request, std::size_t lines = 2, int timeout_ms = 3000) {
        received_.clear();
        send(request);
        pump_until(
            [&] {
                poll();
                return closed_ ||
                       std::size_t(std::count(received_.begin(), received_.end(), '\n')) >= lines;
            },
            timeout_ms);
        return received_;
    }

    bool closed_within(int timeout_ms = 3000) {
        return pump_until([&] { return poll(), closed_; }, timeout_ms);
    }

  private:
    int fd_;
    bool connected_ = false;
    bool closed_ = false;
    std::string received_;
};

const std::string kHome = "0.000000\n0.000000\n";

struct ServerFixture : ::testing::Test {
    void start(const ServerLimits& limits = {}) {
        server = std::make_unique<RotctlServer>(items, limits, [this] { return now; });
        ASSERT_TRUE(server->listen({QHostAddress(QHostAddress::LocalHost), 0}));
    }
    quint16 port() const { return server->port(); }

    std::chrono::milliseconds now{0};
    TrackItems items{{35.6895, 139.6917, 40}};
    std::unique_ptr<RotctlServer> server;
};

// Requests from a client that reads nothing wait unread once its replies fill the queue, and
// every other client is served meanwhile.
TEST_F(ServerFixture, ClientThatNeverReadsIsHeldAtTheCap) {
    const ServerLimits limits;
    start(limits);
    Client flooder(port(), 4096);
    ASSERT_TRUE(flooder.connected());

    std::string requests;
    while (requests.size() < 64 * 1024) {
        requests += "\\dump_state\n";
    }
    std::size_t sent = 0;
    qint64 most_buffered = 0;
    QDeadlineTimer stalled_for(300);
    QDeadlineTimer give_up(20000);
    while (!stalled_for.hasExpired() && !give_up.hasExpired()) {
        if (flooder.send(requests) > 0) {
            sent += requests.size();
            stalled_for.setRemainingTime(300);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        most_buffered = std::max(most_buffered, server->buffered_bytes());
    }
    EXPECT_TRUE(stalled_for.hasExpired()) << sent << " bytes of requests taken, no push-back";
    // The queue cap, the read buffer and the replies to one turn's worth of requests.
    EXPECT_LE(most_buffered,
              limits.max_queued_reply + 4 * limits.read_chunk + 20 * limits.read_chunk);

    Client tracker(port());
    EXPECT_EQ(tracker.ask("p\n", 2, 2000), kHome);
    EXPECT_EQ(server->clients(), 2);
}

// With every slot taken, a newcomer is admitted in place of the client silent longest, and
// only once that one has been silent for the whole threshold.
TEST_F(ServerFixture, LongestSilentClientGivesWayWhenFull) {
    const ServerLimits limits;
    start(limits);
    std::vector<std::unique_ptr<Client>> idle;
    for (int i = 0; i < limits.max_clients; ++i) {
        idle.push_back(std::make_unique<Client>(port()));
    }
    ASSERT_TRUE(pump_until([&] { return server->clients() == limits.max_clients; }));

    now = 5s;
    for (std::size_t i = 1; i < idle.size(); ++i) {
        ASSERT_EQ(idle[i]->ask("p\n"), kHome) << i;
    }

    struct Step {
        std::chrono::milliseconds at;
        bool admitted;
    };
    // The first client has been silent since 0 s, the others since 5 s.
    std::vector<std::unique_ptr<Client>> newcomers;
    for (const Step step : {Step{9999ms, false}, Step{10s, true}, Step{14s, false}}) {
        now = step.at;
        auto& newcomer = *newcomers.emplace_back(std::make_unique<Client>(port()));
        if (step.admitted) {
            EXPECT_EQ(newcomer.ask("p\n"), kHome) << step.at.count();
            EXPECT_TRUE(idle[0]->closed_within()) << "the silent one stays";
        } else {
            EXPECT_TRUE(newcomer.closed_within()) << step.at.count();
        }
        EXPECT_EQ(server->clients(), limits.max_clients);
        EXPECT_EQ(items.clients(), server->clients());
    }
}

}  // namespace

// The bridge's server in this process, clients on 127.0.0.1: what one misbehaving client can
// cost the others.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <chrono>
#include <memory>
#include <vector>

#include "rotctl_server.h"

namespace {

using namespace std::chrono_literals;
using track_bridge::RotctlServer;
using track_bridge::ServerLimits;

template <class Condition>
bool pump_until(Condition done, int timeout_ms = 3000) {
    QDeadlineTimer deadline(timeout_ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

const QByteArray kNoStation = "RPRT -6\n";

struct ServerFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(server.listen({QHostAddress(QHostAddress::LocalHost), 0}));
    }

    std::unique_ptr<QTcpSocket> connect_client() {
        auto client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, server.port());
        return client;
    }

    // The answer to a position query, or what came of it in time.
    QByteArray position(QTcpSocket& client) {
        client.write("p\n");
        pump_until([&] { return client.peek(64).contains('\n'); });
        return client.readAll();
    }

    static bool closed(QTcpSocket& client) {
        return pump_until([&] { return client.state() == QAbstractSocket::UnconnectedState; });
    }

    const ServerLimits limits;
    std::chrono::milliseconds now{0};
    track_bridge::TrackItems items{{35.6895, 139.6917, 40}};
    RotctlServer server{items, limits, [this] { return now; }};
};

// Requests from a client that reads nothing wait unread once its replies fill the queue, and
// every other client is served meanwhile.
TEST_F(ServerFixture, ClientThatNeverReadsIsHeldAtTheCap) {
    auto flooder = connect_client();
    flooder->setReadBufferSize(1);  // reads (almost) nothing
    const QByteArray requests = QByteArray("\\dump_state\n").repeated(5000);
    qint64 most_buffered = 0;
    QDeadlineTimer stalled_for(300);
    const QDeadlineTimer give_up(20000);
    while (!stalled_for.hasExpired() && !give_up.hasExpired()) {
        if (flooder->bytesToWrite() < requests.size()) {
            flooder->write(requests);
            stalled_for.setRemainingTime(300);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        most_buffered = std::max(most_buffered, server.buffered_bytes());
    }
    EXPECT_TRUE(stalled_for.hasExpired()) << "no push-back on the flood";
    // The queue cap, the read buffer and the replies to one turn's worth of requests.
    EXPECT_LE(most_buffered, limits.max_queued_reply + 24 * limits.read_chunk);

    auto tracker = connect_client();
    EXPECT_EQ(position(*tracker), kNoStation);
    EXPECT_EQ(server.clients(), 2);
}

// With every slot taken, a newcomer is admitted in place of the client silent longest, and
// only once that one has been silent for the whole threshold.
TEST_F(ServerFixture, LongestSilentClientGivesWayWhenFull) {
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < limits.max_clients; ++i) {
        idle.push_back(connect_client());
    }
    ASSERT_TRUE(pump_until([&] { return server.clients() == limits.max_clients; }));
    now = 5s;
    for (std::size_t i = 1; i < idle.size(); ++i) {
        ASSERT_EQ(position(*idle[i]), kNoStation) << i;
    }
    now = 8s;
    idle[0]->write("\n \r\n");  // blank lines are no command
    pump_until([] { return false; }, 100);

    struct Step {
        std::chrono::milliseconds at;
        bool admitted;
    };
    // The first client has been silent since 0 s, the others since 5 s.
    std::vector<std::unique_ptr<QTcpSocket>> newcomers;
    for (const Step step : {Step{9999ms, false}, Step{10s, true}, Step{14s, false}}) {
        now = step.at;
        auto& newcomer = *newcomers.emplace_back(connect_client());
        if (step.admitted) {
            EXPECT_EQ(position(newcomer), kNoStation) << step.at.count();
            EXPECT_TRUE(closed(*idle[0])) << "the silent one stays";
        } else {
            EXPECT_TRUE(closed(newcomer)) << step.at.count();
        }
        EXPECT_EQ(server.clients(), limits.max_clients);
        EXPECT_EQ(items.clients(), server.clients());
    }
}

}  // namespace

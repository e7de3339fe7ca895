// The bridge as a process: Hamlib's own network rotator client on one side, the session bus
// on the other. Runs inside a private session bus; everything stays on 127.0.0.1.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>

#include <string>

#include "support/child.h"
#include "support/tools.h"
#include "support/tracking.h"

namespace {

const QStringList tokyo{"--lat", "35.6895", "--lon", "139.6917", "--alt", "40"};

QDBusMessage request(const QString& item) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("dde.ORBX"), QStringLiteral("/EXTRN"), QStringLiteral("dde.Conversation"),
        QStringLiteral("Request"));
    call << item;
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

QString item(const QString& name) {
    return support::bus_item(name);
}

// Items change when the bridge gets round to it; wait a bounded while for the expected text.
QString item_becomes(const QString& name, const QString& expected) {
    QString got;
    (void)QTest::qWaitFor([&] { return (got = item(name)) == expected; }, 5000);
    return got;
}

// A plain blocking socket, to see the replies exactly as a tracker's recv() does.
class RawClient {
  public:
    explicit RawClient(quint16 port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawClient() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    void send(const std::string& bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    }

    // What one recv() returns once data is there; "" on time-out, "<closed>" at end of stream.
    std::string recv_once(int timeout_ms) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeout_ms) <= 0) {
            return {};
        }
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        return n <= 0 ? std::string("<closed>") : std::string(buffer, std::size_t(n));
    }

    // Gone without a goodbye: the peer sees a reset, not an orderly close.
    void vanish() {
        linger hard{1, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
    bool connected_ = false;
};

class TrackBridge : public ::testing::Test {
  protected:
    void SetUp() override {
        NEED_TOOLS(QStringLiteral("AZELROT_TRACK_BRIDGE"));
        if (!QDBusConnection::sessionBus().isConnected()) {
            GTEST_SKIP() << "no session bus";
        }
        ASSERT_TRUE(bridge_.start(tokyo)) << "track-bridge did not come up";
    }

    support::Bridge bridge_;
};

TEST_F(TrackBridge, NetworkClientHandshakeAndRoundTrip) {
    NEED_TOOLS(QStringLiteral("rotctl"));
    const auto run = support::run_rotctl(bridge_.port(), "P 123.4 45.6\np\n");
    EXPECT_GE(run.output.count(QStringLiteral("IO error")), 2) << run.output.toStdString();

    EXPECT_EQ(item(QStringLiteral("TEXT7")), "1");
    EXPECT_TRUE(item(QStringLiteral("TEXT1")).startsWith(QStringLiteral("gpredict 127.0.0.1:")));
    EXPECT_EQ(item(QStringLiteral("text8")), "35.6895 139.6917 40");
    EXPECT_EQ(item_becomes(QStringLiteral("TEXT6"), QStringLiteral("0")), "0");
}

// The client takes its travel limits from the handshake: it prints them back as it read them.
TEST_F(TrackBridge, NetworkClientReadsTheLimitsOfTheHandshake) {
    NEED_TOOLS(QStringLiteral("rotctl"));
    const auto run = support::run_rotctl(bridge_.port(), "\\dump_state\nP 451 10\np\n");
    const std::string out = run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("Minimum Azimuth: -180.000000"))) << out;
    EXPECT_TRUE(run.output.contains(QStringLiteral("Maximum Azimuth: 450.000000"))) << out;
    EXPECT_TRUE(run.output.contains(QStringLiteral("Maximum Elevation: 90.000000"))) << out;
    // Refused by the client itself, so nothing is published.
    EXPECT_EQ(item(QStringLiteral("TEXT3")), "---");
}

TEST_F(TrackBridge, EachReplyArrivesInOneRead) {
    RawClient client(bridge_.port());
    ASSERT_TRUE(client.connected());
    const std::pair<std::string, std::string> exchanges[] = {
        {"P 180.00 45.00\n", "RPRT -6\n"},
        {"p\n", "RPRT -6\n"},
        {"\\dump_state\n",
         "1\n1\nmin_az=-180.000000\nmax_az=450.000000\nmin_el=0.000000\nmax_el=90.000000\n"
         "south_zero=0\nrot_type=AzEl\ndone\n"},
        {"+\\get_pos\n", "get_pos:\nRPRT -6\n"},
        {"S\n", "RPRT -6\n"},
        {"bogus\n", "RPRT -1\n"},
    };
    for (const auto& [sent, expected] : exchanges) {
        client.send(sent);
        EXPECT_EQ(client.recv_once(3000), expected) << sent;
        EXPECT_EQ(client.recv_once(50), "") << "trailing bytes after " << sent;
    }
    EXPECT_EQ(item(QStringLiteral("TEXT2")), "180.0");
    EXPECT_EQ(item(QStringLiteral("TEXT6")), "1");
    client.send("q\n");
    EXPECT_EQ(client.recv_once(3000), "<closed>");
}

TEST_F(TrackBridge, VanishedClientsNeverStopTheBridge) {
    {
        RawClient half_line(bridge_.port());
        ASSERT_TRUE(half_line.connected());
        half_line.send("P 10");
        half_line.vanish();
    }
    for (int i = 0; i < 5; ++i) {
        RawClient impatient(bridge_.port());
        ASSERT_TRUE(impatient.connected());
        impatient.send("\\dump_state\np\n");
        impatient.vanish();  // before the reply is read
    }
    RawClient steady(bridge_.port());
    ASSERT_TRUE(steady.connected());
    steady.send("P 200 30\n");
    EXPECT_EQ(steady.recv_once(3000), "RPRT -6\n");
    EXPECT_TRUE(bridge_.running());
    EXPECT_EQ(item(QStringLiteral("TEXT2")), "200.0");
    EXPECT_EQ(item_becomes(QStringLiteral("TEXT6"), QStringLiteral("1")), "1");
}

TEST_F(TrackBridge, ConcurrentClientsShareOneTarget) {
    RawClient tracker(bridge_.port());
    RawClient watcher(bridge_.port());
    ASSERT_TRUE(tracker.connected() && watcher.connected());
    tracker.send("P 300.5 12.25\n");
    EXPECT_EQ(tracker.recv_once(3000), "RPRT -6\n");
    watcher.send("p\n");
    EXPECT_EQ(watcher.recv_once(3000), "RPRT -6\n");
    EXPECT_EQ(item_becomes(QStringLiteral("TEXT6"), QStringLiteral("2")), "2");
}

TEST_F(TrackBridge, UnknownItemIsABusError) {
    const QDBusMessage reply = request(QStringLiteral("TEXT12"));
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorName(), "dde.Error.UnknownItem");
    EXPECT_EQ(request(QStringLiteral("text1")).type(), QDBusMessage::ErrorMessage);
}

// Two bridges would fight over one name; the second says so and leaves.
TEST_F(TrackBridge, SecondBridgeRefusesToStart) {
    const auto second = support::run_to_end(support::tool(QStringLiteral("AZELROT_TRACK_BRIDGE")),
                                            {"--listen", "127.0.0.1:0"});
    EXPECT_EQ(second.exit_code, 1);
    EXPECT_TRUE(second.err.contains("taken"));
    EXPECT_TRUE(bridge_.running());
}

TEST(TrackBridgeProcess, BadOptionsAndHelp) {
    NEED_TOOLS(QStringLiteral("AZELROT_TRACK_BRIDGE"));
    const QString bridge = support::tool(QStringLiteral("AZELROT_TRACK_BRIDGE"));
    const auto bad = support::run_to_end(bridge, {"--lat", "95"});
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_TRUE(bad.err.contains("--lat"));

    const auto help = support::run_to_end(bridge, {"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_TRUE(help.out.contains("RIG_ERJCTED"));
}

}  // namespace

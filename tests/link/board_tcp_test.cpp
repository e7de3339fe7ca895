#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "platform/board_control_tcp.h"
#include "platform/clock_system.h"
#include "platform/control_error.h"

namespace {

using platform::BoardControlTcp;
using platform::ControlError;

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class BoardTcp : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
        port = server.serverPort();
        board = std::make_unique<BoardControlTcp>([this] { return port; });
        board->set_address(QStringLiteral("127.0.0.1"));
    }

    // The board side of the newest connection.
    QTcpSocket* accept() {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(1000)) return nullptr;
        return server.nextPendingConnection();
    }

    static QByteArray read_from(QTcpSocket* peer, int want) {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < want && timer.elapsed() < 1000) {
            peer->waitForReadyRead(20);
            got += peer->readAll();
        }
        return got;
    }

    static void write_to(QTcpSocket* peer, const QByteArray& bytes) {
        peer->write(bytes);
        ASSERT_TRUE(peer->waitForBytesWritten(1000));
    }

    QTcpServer server;
    quint16 port = 0;
    std::unique_ptr<BoardControlTcp> board;
};

TEST_F(BoardTcp, AddressAndSetupNeverConnect) {
    board->set_setup(3);
    board->set_address(QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(board->read().isEmpty());
    EXPECT_FALSE(server.waitForNewConnection(200));
    EXPECT_FALSE(board->connected());
    EXPECT_EQ(board->setup(), 3);
}

// The speed is the last step of start-up: a board that is off must fail it.
TEST_F(BoardTcp, SpeedConnectsAndFailsWhenTheBoardIsOff) {
    board->set_rs232c_speed(9600);
    EXPECT_TRUE(board->connected());
    EXPECT_NE(accept(), nullptr);
    EXPECT_EQ(board->rs232c_speed(), 9600);

    BoardControlTcp off([this] { return port; });
    off.set_address(QStringLiteral("127.0.0.1"));
    server.close();
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(off.set_rs232c_speed(9600), ControlError);
    EXPECT_LT(timer.elapsed(), 1500);
}

TEST(BoardAddress, PartsAreDecimal) {
    const struct {
        const char* text;
        const char* address;  // nullptr: no address
    } rows[] = {{"192.168.000.010", "192.168.0.10"},
                {"192.168.0.08", "192.168.0.8"},
                {" 10. 1 .0 .200 ", "10.1.0.200"},
                {"255.255.255.255", "255.255.255.255"},
                {"0.0.0.0", "0.0.0.0"},
                {"192.168.0.256", nullptr},
                {"192.168.0.-1", nullptr},
                {"192.168.0.1.5", nullptr},
                {"192.168.0.", nullptr},
                {"192.168.0x1.1", nullptr},
                {"1.2.3", nullptr},
                {"", nullptr},
                {"::1", nullptr},
                {"no-such-board.invalid", nullptr}};
    for (const auto& row : rows) {
        const auto address = platform::board_ipv4(QString::fromUtf8(row.text));
        if (row.address) {
            ASSERT_TRUE(address.has_value()) << row.text;
            EXPECT_EQ(address->toString(), QString::fromUtf8(row.address)) << row.text;
        } else {
            EXPECT_FALSE(address.has_value()) << row.text;
        }
    }
}

TEST_F(BoardTcp, LeadingZerosConnectToTheDecimalAddress) {
    board->set_address(QStringLiteral("127.000.000.001"));
    board->send("x");
    EXPECT_NE(accept(), nullptr);
    EXPECT_EQ(board->address(), QStringLiteral("127.000.000.001"));  // the text stays
}

// A board that does not answer costs one connect, not one per byte or per command.
TEST_F(BoardTcp, AfterAFailedConnectTheBoardIsLeftAloneForAWhile) {
    int port_reads = 0;
    board = std::make_unique<BoardControlTcp>(
        [this, &port_reads] {
            ++port_reads;
            return port;
        },
        400);
    board->set_address(QStringLiteral("127.0.0.1"));
    server.close();
    EXPECT_THROW(board->send("a"), ControlError);
    ASSERT_TRUE(server.listen(QHostAddress(QStringLiteral("127.0.0.1")), port));
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(board->send("b"), ControlError);
    EXPECT_THROW(board->set_rs232c_speed(9600), ControlError);
    EXPECT_LT(timer.elapsed(), 100);
    EXPECT_FALSE(server.waitForNewConnection(100));
    EXPECT_EQ(port_reads, 1);

    pause_ms(400);
    board->send("c");
    board->send("d");
    QTcpSocket* peer = accept();
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(read_from(peer, 2), QByteArray("cd"));
    EXPECT_EQ(port_reads, 2);  // once per connection, not per byte
}

TEST_F(BoardTcp, BytesPassBothWaysUnchanged) {
    const QByteArray command("W123 045\r");
    for (const char c : command) board->send(QByteArray(1, c));
    QTcpSocket* peer = accept();
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(read_from(peer, command.size()), command);

    EXPECT_TRUE(board->read().isEmpty());
    const QByteArray reply("AZ=123 EL=045\r\x00\xff", 16);
    write_to(peer, reply);
    pause_ms(50);  // no event loop: read() must fetch by itself
    EXPECT_EQ(board->read(), reply);
    EXPECT_TRUE(board->read().isEmpty());
}

TEST_F(BoardTcp, OneConnectionForManySends) {
    for (int i = 0; i < 20; ++i) board->send("x");
    ASSERT_NE(accept(), nullptr);
    EXPECT_FALSE(server.waitForNewConnection(200));
}

TEST_F(BoardTcp, DroppedConnectionIsMadeAgainWithoutLosingWhatCame) {
    board->send("a");
    QTcpSocket* first = accept();
    ASSERT_NE(first, nullptr);
    write_to(first, "AZ=001 EL=002\r");
    first->disconnectFromHost();
    pause_ms(100);

    // The send after the drop notices it and connects again.
    EXPECT_NO_THROW(board->send("b"));
    QTcpSocket* second = accept();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(read_from(second, 1), QByteArray("b"));
    EXPECT_EQ(board->read(), QByteArray("AZ=001 EL=002\r"));
}

TEST_F(BoardTcp, NewAddressMeansNewConnection) {
    QTcpServer other;
    if (!other.listen(QHostAddress(QStringLiteral("127.0.0.2")), port)) {
        GTEST_SKIP() << "127.0.0.2 not usable here";
    }
    board->send("1");
    ASSERT_NE(accept(), nullptr);
    board->set_address(QStringLiteral("127.0.0.2"));
    board->send("2");
    ASSERT_TRUE(other.hasPendingConnections() || other.waitForNewConnection(1000));
    EXPECT_EQ(read_from(other.nextPendingConnection(), 1), QByteArray("2"));
}

TEST_F(BoardTcp, ClosedPortFailsWithinASecond) {
    server.close();  // nothing listens on that port now
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(board->send("x"), ControlError);
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_FALSE(board->connected());
}

TEST_F(BoardTcp, OnlyLiteralAddressesAreUsed) {
    for (const char* address : {"", "no-such-board.invalid", "192.168.0.", "1.2.3.4.5"}) {
        board->set_address(QString::fromUtf8(address));
        QElapsedTimer timer;
        timer.start();
        EXPECT_THROW(board->send("x"), ControlError) << address;
        EXPECT_LT(timer.elapsed(), 100) << address;
    }
}

// A listening socket on 127.0.0.1 at a free port; port stays 0 when that fails.
int loopback_listener(quint16& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::listen(listener, 4) == 0 &&
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    return listener;
}

// A raw TCP serial server on a thread of its own, answering "C2" as the controller would; it
// has to answer while the window thread is frozen in its pauses.
class Responder {
  public:
    Responder() {
        listener_ = loopback_listener(port_);
        if (port_ != 0) thread_ = std::thread([this] { serve(); });
    }
    ~Responder() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(listener_);
    }

    quint16 port() const { return port_; }

  private:
    void serve() {
        int peer = -1;
        QByteArray seen;
        while (!stop_) {
            pollfd p{peer >= 0 ? peer : listener_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            if (peer < 0) {
                peer = ::accept(listener_, nullptr, nullptr);
                continue;
            }
            char buffer[64];
            const ssize_t n = ::read(peer, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(peer);
                peer = -1;
                continue;
            }
            seen.append(buffer, n);
            if (seen.endsWith("C2\r")) {
                seen.clear();
                (void)!::write(peer, "AZ=", 3);  // in two pieces, as a board may forward it
                (void)!::write(peer, "200 EL=030\r", 11);
            }
        }
        if (peer >= 0) ::close(peer);
    }

    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A board that sends without end, then one reply line, on a thread of its own.
class Flooder {
  public:
    explicit Flooder(qint64 flood_bytes) : flood_bytes_(flood_bytes) {
        listener_ = loopback_listener(port_);
        if (port_ != 0) thread_ = std::thread([this] { serve(); });
    }
    ~Flooder() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(listener_);
    }
    quint16 port() const { return port_; }
    bool done() const { return done_; }

  private:
    void serve() {
        int peer = -1;
        for (int i = 0; i < 500 && peer < 0 && !stop_; ++i) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0) peer = ::accept(listener_, nullptr, nullptr);
        }
        if (peer < 0) return;
        const QByteArray junk(65536, 'x');
        const QByteArray line("\rAZ=001 EL=002\r");
        qint64 sent = 0;
        while (!stop_ && !done_) {
            pollfd p{peer, POLLOUT, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            const QByteArray& out = sent < flood_bytes_ ? junk : line;
            const ssize_t n = ::write(peer, out.constData(), static_cast<size_t>(out.size()));
            if (n <= 0) break;
            sent += n;
            done_ = sent >= flood_bytes_ + line.size();
        }
        while (!stop_) pause_ms(10);
        ::close(peer);
    }

    qint64 flood_bytes_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Nothing waits past the read buffer's size, and a flood's backlog is dropped, not worked
// through one read at a time.
TEST(BoardTcpFlood, InputStaysBoundedAndTheBacklogIsDropped) {
    Flooder flooder(64 << 20);
    ASSERT_NE(flooder.port(), 0);
    BoardControlTcp board([&flooder] { return flooder.port(); });
    board.set_address(QStringLiteral("127.0.0.1"));
    board.send("C");
    QByteArray tail;
    int reads = 0;
    for (; reads < 500 && !tail.contains("AZ=001 EL=002\r"); ++reads) {
        pause_ms(5);
        const QByteArray got = board.read();
        EXPECT_LE(got.size(), BoardControlTcp::read_buffer_bytes);
        tail = (tail + got).right(64);
    }
    EXPECT_TRUE(flooder.done());
    EXPECT_TRUE(tail.contains("AZ=001 EL=002\r"));
    // 64 MB read 4 kB at a time would take 16384 reads.
    EXPECT_LT(reads, 500);
    std::printf("64 MB flood passed in %d reads\n", reads);
}

TEST(BoardTcpRoundTrip, PollToParsedPosition) {
    Responder responder;
    ASSERT_NE(responder.port(), 0);
    fake::World w;
    BoardControlTcp board([&responder] { return responder.port(); });
    platform::ClockSystem clock;
    platform::Services services{
        w.serial,         board,         w.dde,         w.profile,    clock, w.message_box,
        w.instance_guard, w.program_dir, w.help_viewer, w.program_end};
    Module1 module(services);
    module.picnic_mode = QStringLiteral("1");
    module.board_address = QStringLiteral("127.0.0.1");
    Form1 form(module, services);
    form.open_transports();
    form.open_board_speed();
    EXPECT_TRUE(board.connected());  // the speed step found the board

    QElapsedTimer timer;
    timer.start();
    form.Command1_Click();
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(form.state().antenna_azimuth, 200);
    EXPECT_EQ(form.state().antenna_elevation, 30);
    EXPECT_EQ(form.Label16->text(), QStringLiteral("AZ=200 EL=030"));
    EXPECT_GE(elapsed, 400);  // 0.3 s after the command, 0.1 s before the read
    std::printf("poll round trip over the board: %lld ms\n", static_cast<long long>(elapsed));
}

}  // namespace

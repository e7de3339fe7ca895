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

TEST_F(BoardTcp, SettingValuesNeverConnects) {
    board->set_setup(3);
    board->set_rs232c_speed(9600);
    board->set_address(QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(board->read().isEmpty());
    EXPECT_FALSE(server.waitForNewConnection(200));
    EXPECT_FALSE(board->connected());
    EXPECT_EQ(board->setup(), 3);
    EXPECT_EQ(board->rs232c_speed(), 9600);
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

// A raw TCP serial server on a thread of its own, answering "C2" as the controller would; it
// has to answer while the window thread is frozen in its pauses.
class Responder {
  public:
    Responder() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
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
    EXPECT_FALSE(board.connected());

    QElapsedTimer timer;
    timer.start();
    form.Command1_Click();
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(form.current_azimuth, 200);
    EXPECT_EQ(form.current_elevation, 30);
    EXPECT_EQ(form.Label16->text(), QStringLiteral("AZ=200 EL=030"));
    EXPECT_GE(elapsed, 400);  // 0.3 s after the command, 0.1 s before the read
    std::printf("poll round trip over the board: %lld ms\n", static_cast<long long>(elapsed));
}

}  // namespace

// The main window's real rotator link against the controller simulator: over the
// simulator's pty (typed in or mapped), over TCP as a network board, and through ser2net.

#include <gtest/gtest.h>

#include <QTest>

#include <QElapsedTimer>
#include <cstdio>

#include "link/hex.h"
#include "platform/board_control_tcp.h"
#include "support/station.h"
#include "support/tools.h"

namespace integ {
namespace {

// The simulator, and for ser2net the bridge in front of it, ready for one station.
struct Rig {
    explicit Rig(Transport t, const QStringList& sim_args) : transport(t), controller(sim_args) {
        if (t == Transport::ser2net && controller.ready())
            bridge = std::make_unique<Ser2net>(controller.pty());
    }
    // Skips or fails the test when something needed is missing.
    bool usable() const {
        if (!controller.ready()) {
            ADD_FAILURE() << "the controller simulator did not start";
            return false;
        }
        if (bridge && !bridge->ready()) {
            ADD_FAILURE() << "ser2net did not start listening";
            return false;
        }
        return true;
    }
    std::optional<int> board_port() const {
        return bridge ? std::optional<int>(bridge->port()) : std::nullopt;
    }
    // Commands as the controller saw them, whichever way they came.
    QStringList commands() const { return controller.commands(); }

    Transport transport;
    Controller controller;
    std::unique_ptr<Ser2net> bridge;
};

class Link : public ::testing::TestWithParam<Transport> {
  protected:
    void SetUp() override {
        if (GetParam() == Transport::ser2net) NEED_TOOLS(QStringLiteral("ser2net"));
    }

    Form1& start(Rig& rig) {
        station.write_settings({.transport = GetParam()}, rig.controller, rig.board_port());
        return station.start();
    }

    Station station;
};

TEST_P(Link, StartUpBurstArrivesInOrder) {
    Rig rig(GetParam(), {"--instant"});
    if (!rig.usable()) return;
    start(rig);
    ASSERT_TRUE(rig.controller.wait_for_commands(2, 3000))
        << rig.commands().join(u',').toStdString();
    EXPECT_EQ(rig.commands().mid(0, 3), (QStringList{"", "", "C2"}));
    EXPECT_TRUE(station.message_box.shown.isEmpty())
        << station.message_box.shown.join(u'|').toStdString();
}

// The controller answers the burst's bare CRs too; the position must still arrive, or an
// idle station (which does not poll) would never show where the antenna points.
TEST_P(Link, StartUpShowsThePosition) {
    Rig rig(GetParam(), {"--initial", "234,56"});
    if (!rig.usable()) return;
    Form1& form = start(rig);
    (void)QTest::qWaitFor([&] { return form.state().antenna_azimuth != 0; }, 1000);
    EXPECT_EQ(form.state().antenna_azimuth, 234);
    EXPECT_EQ(form.state().antenna_elevation, 56);
    EXPECT_TRUE(form.Label16->text().startsWith(QStringLiteral("AZ=234  EL=056")))
        << form.Label16->text().toStdString();
}

TEST_P(Link, PollAnswerBecomesThePosition) {
    Rig rig(GetParam(), {"--initial", "123,45"});
    if (!rig.usable()) return;
    Form1& form = start(rig);
    QTest::qWait(200);  // what the start-up burst brought in

    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(station.poll()) << form.Label16->text().toStdString();
    const qint64 round_trip = t.elapsed();
    std::printf("[ timing ] poll round trip over %s (send to parsed position): %lld ms\n",
                name_of(GetParam()), static_cast<long long>(round_trip));
    EXPECT_EQ(form.state().antenna_azimuth, 123);
    EXPECT_EQ(form.state().antenna_elevation, 45);
    EXPECT_TRUE(form.Label16->text().startsWith(QStringLiteral("AZ=123  EL=045")))
        << form.Label16->text().toStdString();
    EXPECT_EQ(rig.commands().back(), QStringLiteral("C2"));
    // The board pauses 0.3 s after a command and 0.1 s before reading; the serial port's
    // reader settles 0.1 s after the first byte.
    EXPECT_LT(round_trip, is_board(GetParam()) ? 1500 : 1000);
    EXPECT_TRUE(station.log_text().contains(QStringLiteral("put_data : 43320D")));
}

TEST_P(Link, MoveCommandMovesTheAntenna) {
    Rig rig(GetParam(), {"--initial", "10,5", "--az-speed", "200", "--el-speed", "100"});
    if (!rig.usable()) return;
    Form1& form = start(rig);
    QTest::qWait(200);

    Module1& m = station.module();
    text_to_hex(QStringLiteral("W200 030\r"), m.command_text);
    m.put_data(m.command_text);
    ASSERT_TRUE(rig.controller.wait_for_commands(3, 2000));
    EXPECT_EQ(rig.commands().back(), QStringLiteral("W200 030"));

    const bool arrived = QTest::qWaitFor(
        [&] {
            station.poll(1500);
            return form.state().antenna_azimuth == 200 && form.state().antenna_elevation == 30;
        },
        10000);
    EXPECT_TRUE(arrived) << form.state().antenna_azimuth << "," << form.state().antenna_elevation;
    EXPECT_FALSE(station.log_text().contains(QStringLiteral("put_data err")));
}

// The board closes the connection after answering, as a board does when its server times a
// client out: the next command connects again and goes through, nothing is lost.
TEST(BoardConnection, ADropIsMendedByTheNextSend) {
    Controller controller({"--initial", "77,11"});
    ASSERT_TRUE(controller.ready());
    Station station;
    station.write_settings({.transport = Transport::tcp}, controller);
    Form1& form = station.start();
    ASSERT_TRUE(controller.control(QStringLiteral("drop-tcp-after 1")));
    QTest::qWait(100);

    for (int i = 0; i < 3; ++i) {  // every poll on a connection of its own
        ASSERT_TRUE(station.poll()) << "poll " << i;
        EXPECT_FALSE(station.board.connected()) << "poll " << i;
    }
    EXPECT_EQ(form.state().antenna_azimuth, 77);
    EXPECT_EQ(controller.commands().mid(3), (QStringList{"C2", "C2", "C2"}));
    EXPECT_FALSE(station.log_text().contains(QStringLiteral("put_data err")));
}

// The board switched off and on again: sends fail and are logged as such while it is away,
// the program keeps running, and once the failed board's hold-off is over the first send
// connects again.
TEST(BoardConnection, BoardAwayIsLoggedAndReconnectedWhenBack) {
    auto controller = std::make_unique<Controller>(QStringList{"--initial", "77,11"});
    ASSERT_TRUE(controller->ready());
    const int port = controller->tcp_port();
    Station station;
    station.write_settings({.transport = Transport::tcp}, *controller);
    Form1& form = station.start();
    ASSERT_TRUE(station.poll());

    controller->stop();
    form.Label16->clear();
    form.Command1_Click();
    EXPECT_TRUE(form.Label16->text().isEmpty());
    EXPECT_TRUE(station.log_text().contains(QStringLiteral("put_data err : 43320D 0")))
        << station.log_text().toStdString();
    EXPECT_TRUE(station.message_box.shown.isEmpty());

    controller = std::make_unique<Controller>(QStringList{"--initial", "88,22"}, port);
    ASSERT_TRUE(controller->ready());
    QElapsedTimer back;
    back.start();
    bool polled = false;
    while (!polled && back.elapsed() < platform::BoardControlTcp::default_hold_off_ms + 2000)
        polled = station.poll(200);
    ASSERT_TRUE(polled);
    EXPECT_EQ(form.state().antenna_azimuth, 88);
    EXPECT_EQ(form.state().antenna_elevation, 22);
    EXPECT_EQ(controller->commands(), QStringList{"C2"});
}

INSTANTIATE_TEST_SUITE_P(Transports, Link,
                         ::testing::Values(Transport::pty, Transport::pty_mapped, Transport::tcp,
                                           Transport::ser2net),
                         [](const auto& info) { return std::string(name_of(info.param)); });

}  // namespace
}  // namespace integ

// A manual move from the click on the radar to the antenna's arrival, with the real cycle
// talking to the simulated controller.

#include <gtest/gtest.h>

#include <QTest>

#include "support/station.h"

namespace integ {
namespace {

const QString manual_start = QStringLiteral("手動開始");
const QString manual_stop = QStringLiteral("手動中止");

struct Pick {
    const char* name;
    Transport transport;
    const char* houi;  // azimuth origin
    double dx;         // click offset from the centre, in radii (east positive)
    double dy;         // in radii (south positive)
    const char* command;
    double azimuth;  // where the antenna ends up
    double elevation;
};

// Halfway out from the centre is 45 degrees up; the simulator starts at 180,10.
const Pick picks[] = {
    {"east_over_pty", Transport::pty, "0", 0.5, 0, "W090 045", 90, 45},
    {"west_over_mapped_port", Transport::pty_mapped, "0", -0.5, 0, "W270 045", 270, 45},
    {"east_counted_from_south_over_tcp", Transport::tcp, "1", 0.5, 0, "W270 045", 270, 45},
    {"low_south_east_over_pty", Transport::pty, "0", 0.6, 0.6, "W135 013", 135, 13.6},
};

class ManualMove : public ::testing::TestWithParam<Pick> {};

TEST_P(ManualMove, ClickThenStartMovesTheAntennaAndEndsByItself) {
    const Pick& pick = GetParam();
    Controller controller({"--initial", "180,10", "--az-speed", "90", "--el-speed", "60"});
    ASSERT_TRUE(controller.ready());
    Station station;
    station.write_settings({.transport = pick.transport, .houi = pick.houi}, controller);
    Form1& form = station.start();
    ASSERT_TRUE(station.message_box.shown.isEmpty());
    QTest::qWait(200);

    const double width = form.Picture1->outer_width();
    const double r = width / 2;
    form.Picture1_MouseDown(Qt::LeftButton, Qt::NoModifier, r + pick.dx * r, r + pick.dy * r);
    ASSERT_TRUE(form.state().target_picked);
    const qsizetype before = controller.commands().size();

    form.Command4_Click();
    EXPECT_EQ(form.Command4->text(), manual_stop);
    EXPECT_TRUE(form.state().manual_tracking);
    ASSERT_TRUE(controller.wait_for_commands(before, 2000));
    EXPECT_EQ(controller.commands().at(before), QString::fromLatin1(pick.command));

    // The cycle, as Timer1 runs it, with the serial events delivered between ticks.
    int ticks = 0;
    const bool ended = QTest::qWaitFor(
        [&] {
            form.Timer1_Timer();
            ++ticks;
            QTest::qWait(150);
            return !form.state().manual_tracking;
        },
        20000);
    ASSERT_TRUE(ended) << "antenna at " << form.state().antenna_azimuth << ","
                       << form.state().antenna_elevation;
    EXPECT_GT(ticks, 1);  // it had to travel
    EXPECT_EQ(form.Command4->text(), manual_start);
    EXPECT_FALSE(form.state().target_picked);
    EXPECT_TRUE(form.Command4->isEnabled());
    EXPECT_NEAR(form.state().antenna_azimuth, pick.azimuth, 2);
    EXPECT_NEAR(form.state().antenna_elevation, pick.elevation, 2);

    const QStringList sent = controller.commands().mid(before);
    EXPECT_FALSE(sent.contains(QStringLiteral("S"))) << sent.join(u' ').toStdString();
    EXPECT_EQ(sent.count(QString::fromLatin1(pick.command)), 1);
    for (const QString& c : sent.mid(1)) EXPECT_EQ(c, QStringLiteral("C2"));
    EXPECT_TRUE(station.message_box.shown.isEmpty());
}

TEST(ManualMoveStop, PressingAgainStopsTheMoveOnTheWay) {
    Controller controller({"--initial", "180,10", "--az-speed", "5", "--el-speed", "5"});
    ASSERT_TRUE(controller.ready());
    Station station;
    station.write_settings({.transport = Transport::pty}, controller);
    Form1& form = station.start();
    QTest::qWait(200);
    const double r = form.Picture1->outer_width() / 2;
    form.Picture1_MouseDown(Qt::LeftButton, Qt::NoModifier, r + 0.5 * r, r);
    form.Command4_Click();
    for (int i = 0; i < 3; ++i) {
        form.Timer1_Timer();
        QTest::qWait(150);
    }
    ASSERT_TRUE(form.state().manual_tracking);
    form.Command4_Click();
    EXPECT_FALSE(form.state().manual_tracking);
    EXPECT_EQ(form.Command4->text(), manual_start);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList c = controller.commands();
            return !c.isEmpty() && c.back() == QStringLiteral("S");
        },
        2000));

    // Stopped where it was: further polls show it standing still, away from the target.
    QTest::qWait(300);
    ASSERT_TRUE(station.poll());
    const double stopped_at = form.state().antenna_azimuth;
    QTest::qWait(600);
    ASSERT_TRUE(station.poll());
    EXPECT_EQ(form.state().antenna_azimuth, stopped_at);
    EXPECT_GT(form.state().antenna_azimuth, 150);
}

INSTANTIATE_TEST_SUITE_P(Picks, ManualMove, ::testing::ValuesIn(picks),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace integ

// Automatic tracking end to end: the tracking-program simulator on a private session bus, the
// real D-Bus link, the real cycle and the controller simulator on a pty.

#include <gtest/gtest.h>

#include <QTest>

#include "support/station.h"

namespace integ {
namespace {

const QString auto_end = QStringLiteral("自動追尾終了");

QStringList fixed(const QStringList& pairs) {
    QStringList args;
    for (const QString& p : pairs) args << QStringLiteral("--fixed") << p;
    return args;
}

struct Case {
    const char* name;
    bool moon;
    QStringList values;
    const char* move;  // nullptr: no move may be sent
};

const Case cases[] = {
    {"satellite", false, {"TEXT2=123.4", "TEXT3=45.6", "text10=300.2", "text11=20.9"}, "W123 045"},
    {"moon", true, {"TEXT2=123.4", "TEXT3=45.6", "text10=300.2", "text11=20.9"}, "W300 020"},
    {"satellite_below_horizon", false, {"TEXT2=200.0", "TEXT3=-5.0", "text11=30.0"}, nullptr},
    {"moon_just_below_horizon", true, {"TEXT3=30.0", "text10=90.0", "text11=-0.4"}, nullptr},
    {"satellite_on_the_horizon", false, {"TEXT2=10.9", "TEXT3=0.0"}, "W010 000"},
};

class AutoTracking : public ::testing::TestWithParam<Case> {};

TEST_P(AutoTracking, EachCycleSendsTheTargetsMoveThenPolls) {
    const Case& c = GetParam();
    TrackingProgram orbx(fixed(c.values));
    ASSERT_TRUE(orbx.ready());
    Controller controller({"--initial", "180,10", "--az-speed", "180", "--el-speed", "90"});
    ASSERT_TRUE(controller.ready());
    Station station;
    station.write_settings({.orbx = QStringLiteral("1"), .sat = c.moon ? "1" : "0"}, controller);
    Form1& form = station.start();
    ASSERT_TRUE(station.message_box.shown.isEmpty())
        << station.message_box.shown.join(u'|').toStdString();
    EXPECT_EQ(form.Option2->isChecked(), c.moon);
    ASSERT_TRUE(form.Command2->isEnabled());
    EXPECT_EQ(Form1::back_colour(form.Label1[0]), Form1::lamp_on());

    form.Command2_Click();
    ASSERT_TRUE(form.state().auto_tracking);
    EXPECT_EQ(form.Command2->text(), auto_end);
    QTest::qWait(200);
    const qsizetype before = controller.commands().size();

    form.Timer1_Timer();
    ASSERT_TRUE(controller.wait_for_commands(before, 2000));
    QTest::qWait(300);
    const QStringList sent = controller.commands().mid(before);
    if (c.move) {
        EXPECT_EQ(sent, (QStringList{QString::fromLatin1(c.move), QStringLiteral("C2")}));
    } else {
        EXPECT_EQ(sent, QStringList{QStringLiteral("C2")});
    }
    EXPECT_TRUE(form.Label16->text().startsWith(QStringLiteral("AZ=")))
        << form.Label16->text().toStdString();
}

TEST(AutoTrackingFollow, TheAntennaFollowsThePublishedPosition) {
    TrackingProgram orbx(fixed({"TEXT2=240.0", "TEXT3=60.0"}));
    ASSERT_TRUE(orbx.ready());
    Controller controller({"--initial", "180,10", "--az-speed", "120", "--el-speed", "100"});
    ASSERT_TRUE(controller.ready());
    Station station;
    station.write_settings({.orbx = QStringLiteral("1")}, controller);
    Form1& form = station.start();
    form.Command2_Click();
    const bool there = QTest::qWaitFor(
        [&] {
            form.Timer1_Timer();
            QTest::qWait(150);
            return form.state().antenna_azimuth == 240 && form.state().antenna_elevation == 60;
        },
        15000);
    EXPECT_TRUE(there) << form.state().antenna_azimuth << "," << form.state().antenna_elevation;
    EXPECT_TRUE(form.state().auto_tracking);  // tracking goes on after arrival
}

TEST(TrackingProgramLink, LostAndBackWhileTheProgramKeepsRunning) {
    auto orbx = std::make_unique<TrackingProgram>(fixed({"TEXT1=FIRST", "TEXT3=-10.0"}));
    ASSERT_TRUE(orbx->ready());
    Controller controller({"--instant"});
    ASSERT_TRUE(controller.ready());
    Station station;
    station.write_settings({.orbx = QStringLiteral("1"), .timer = QStringLiteral("1")}, controller);
    Form1& form = station.start();
    // The real timer at a short interval: the program runs as it would, unattended.
    form.set_timer_interval(100);
    QTest::qWait(400);
    ASSERT_EQ(form.Text1->text(), QStringLiteral("FIRST"));
    EXPECT_EQ(Form1::back_colour(form.Label1[0]), Form1::lamp_on());
    EXPECT_TRUE(form.Command2->isEnabled());

    orbx->kill();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Form1::back_colour(form.Label1[0]) == Form1::lamp_failed(); }, 3000));
    EXPECT_EQ(Form1::back_colour(form.Label1[1]), Form1::lamp_off());
    EXPECT_FALSE(form.Command2->isEnabled());
    QTest::qWait(500);  // the cycle goes on while the program is away
    // The warning comes once the tick that found the program gone has returned.
    EXPECT_EQ(
        station.message_box.shown,
        QStringList{QStringLiteral("ＯＲＢＸが起動していません。ＯＲＢＸを起動してください")});
    EXPECT_TRUE(form.Timer1.isActive());
    EXPECT_EQ(station.program_end.ends, 0);

    orbx = std::make_unique<TrackingProgram>(fixed({"TEXT1=SECOND"}));
    ASSERT_TRUE(orbx->ready());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Form1::back_colour(form.Label1[0]) == Form1::lamp_on(); }, 3000));
    EXPECT_TRUE(form.Command2->isEnabled());
    EXPECT_EQ(form.Text1->text(), QStringLiteral("SECOND"));
    EXPECT_EQ(station.message_box.shown.size(), 1);  // warned once only

    // And the rotator link is still answering.
    form.set_timer_interval(0);
    EXPECT_TRUE(station.poll());
}

INSTANTIATE_TEST_SUITE_P(Targets, AutoTracking, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace integ

#include <QFile>

#include "link/numeric.h"
#include "radar_fixture.h"

namespace {

const QByteArray poll("C2\r");

// --- periodic cycle --------------------------------------------------------------------------

struct TickRow {
    const char* name;
    bool auto_tracking;
    bool manual_tracking;
    bool moon;
    const char* text3;
    const char* text4;
    const char* text14;
    const char* text15;
    const char* bytes;
};

class Tick : public RadarWindow, public ::testing::WithParamInterface<TickRow> {};

TEST_P(Tick, SendsExactlyTheseBytes) {
    const TickRow& r = GetParam();
    form->state().auto_tracking = r.auto_tracking;
    form->state().manual_tracking = r.manual_tracking;
    (r.moon ? form->Option2 : form->Option1)->setChecked(true);
    form->show_tracking_value(TrackingItem::satellite_azimuth, QString::fromUtf8(r.text3));
    form->show_tracking_value(TrackingItem::satellite_elevation, QString::fromUtf8(r.text4));
    form->show_tracking_value(TrackingItem::moon_azimuth, QString::fromUtf8(r.text14));
    form->show_tracking_value(TrackingItem::moon_elevation, QString::fromUtf8(r.text15));
    form->Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray(r.bytes)) << r.name;
    const bool polled = r.auto_tracking || r.manual_tracking;
    EXPECT_EQ(form->Label7->text(), polled ? QStringLiteral("C2") : QString()) << r.name;
    if (polled) {
        EXPECT_EQ(m.command_text, QStringLiteral("43320D")) << r.name;
    }
    const QByteArray move = QByteArray(r.bytes).left(QByteArray(r.bytes).indexOf('\r') + 1);
    EXPECT_EQ(form->Label5->text(), move.startsWith('W') ? QString::fromLatin1(move) : QString())
        << r.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Tick,
    ::testing::Values(
        TickRow{"satellite", 1, 0, false, "123.9", "5.2", "", "", "W123 005\rC2\r"},
        TickRow{"below horizon", 1, 0, false, "123.9", "-0.5", "", "", "C2\r"},
        // A box with no number at all is no position: no move, the poll still goes.
        TickRow{"empty boxes", 1, 0, false, "", "", "", "", "C2\r"},
        TickRow{"dashes", 1, 0, false, "---", "---", "", "", "C2\r"},
        TickRow{"azimuth N/A", 1, 0, false, "N/A", "30", "", "", "C2\r"},
        TickRow{"elevation empty", 1, 0, false, "45", "", "", "", "C2\r"},
        TickRow{"moon dashes", 1, 0, true, "10", "10", "---", "7", "C2\r"},
        TickRow{"blank inside", 1, 0, false, "12 3.9", "5", "", "", "W123 005\rC2\r"},
        TickRow{"trailing letters", 1, 0, false, "45abc", "30", "", "", "W045 030\rC2\r"},
        TickRow{"moon", 1, 0, true, "10", "10", "200.5", "7.9", "W200 007\rC2\r"},
        TickRow{"moon set", 1, 0, true, "10", "50", "200", "-1", "C2\r"},
        TickRow{"both flags", 1, 1, false, "45", "30", "", "", "W045 030\rC2\rC2\r"},
        TickRow{"manual only", 0, 1, false, "45", "30", "", "", "C2\r"},
        TickRow{"idle", 0, 0, false, "45", "30", "", "", ""},
        TickRow{"huge elevation", 1, 0, false, "45", "1E308", "", "", "C2\r"},
        TickRow{"huge azimuth", 1, 0, false, "1E308", "30", "", "", "C2\r"},
        TickRow{"azimuth past 32 bits", 1, 0, false, "3000000000", "30", "", "", "C2\r"},
        TickRow{"past 360", 1, 0, false, "400", "1", "", "", "W040 001\rC2\r"}));

TEST_F(Tick, BoardTransportGetsTheSameBytes) {
    m.picnic_mode = QStringLiteral("1");
    form->state().auto_tracking = true;
    form->show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("7.9"));
    form->show_tracking_value(TrackingItem::satellite_elevation, QStringLiteral("45.2"));
    form->Timer1_Timer();
    EXPECT_EQ(w.board.sent, QByteArray("W007 045\rC2\r"));
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(Tick, ATickInsideATickDoesNothing) {
    form->state().auto_tracking = true;
    form->show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("10"));
    form->show_tracking_value(TrackingItem::satellite_elevation, QStringLiteral("20"));
    int nested = 0;
    w.serial.on_written = [&](const QByteArray&) {
        ++nested;
        form->Timer1_Timer();  // as from a nested event loop
    };
    form->Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W010 020\rC2\r"));
    EXPECT_GT(nested, 0);
    // And the next tick runs normally.
    w.serial.on_written = nullptr;
    form->Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W010 020\rC2\rW010 020\rC2\r"));
}

TEST_F(Tick, NoNumberIsLoggedWithItsTexts) {
    m.debug_flag = QStringLiteral("1");
    form->state().auto_tracking = true;
    form->show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("N/A"));
    form->show_tracking_value(TrackingItem::satellite_elevation, QStringLiteral("---"));
    form->Timer1_Timer();
    QFile log(w.program_dir.file(QStringLiteral("azelrot.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_EQ(text.count(QStringLiteral(
                  "Timer1_Timer : 追尾データが数値でない状態 方位=\"N/A\" 仰角=\"---\"")),
              1)
        << text.toStdString();
}

TEST_F(Tick, OldValuesMoveNothingAndShowGreyUntilFreshOnesArrive) {
    w.dde.server_running = true;
    w.dde.items = {{QStringLiteral("TEXT2"), QStringLiteral("135")},
                   {QStringLiteral("TEXT3"), QStringLiteral("5")}};
    form->start_tracking_link();
    form->state().auto_tracking = true;
    for (const bool running : {false, true}) {
        w.dde.server_running = running;
        w.clock.mono += 6;
        w.serial.written.clear();
        form->Timer1_Timer();
        EXPECT_EQ(sent(), running ? QByteArray("W135 005\rC2\r") : QByteArray("C2\r"));
        EXPECT_EQ(form->Text3->palette().color(QPalette::Text) == QColor(Qt::gray), !running);
        EXPECT_EQ(colour_at(1350 + 901.561, 1350 + 901.561) == green, running);
    }
}

TEST_F(Tick, EndsWithARedraw) {
    form->state().antenna_azimuth = 90;
    form->state().antenna_elevation = 30;
    form->Timer1_Timer();
    EXPECT_EQ(colour_at(2250, 1350), red);
}

// --- manual move -----------------------------------------------------------------------------

using ManualMove = RadarWindow;

struct MoveRow {
    double azimuth;
    double elevation;
    const char* bytes;
    const char* text3;
    const char* text4;
};

class ManualStart : public RadarWindow, public ::testing::WithParamInterface<MoveRow> {};

TEST_P(ManualStart, SendsWholeDegreesAndTurnsGreen) {
    const MoveRow& r = GetParam();
    form->state().target_azimuth = r.azimuth;
    form->state().target_elevation = r.elevation;
    form->state().target_picked = true;
    form->state().auto_tracking = true;
    form->Command4_Click();
    EXPECT_EQ(sent(), QByteArray(r.bytes));
    EXPECT_EQ(form->Label5->text(), QString::fromLatin1(r.bytes));
    EXPECT_EQ(form->Text3->text(), QString::fromUtf8(r.text3));
    EXPECT_EQ(form->Text4->text(), QString::fromUtf8(r.text4));
    EXPECT_TRUE(form->state().manual_tracking);
    EXPECT_FALSE(form->state().auto_tracking);
    EXPECT_FALSE(form->Command2->isEnabled());
    EXPECT_EQ(form->Command4->text(), QStringLiteral("手動中止"));
    EXPECT_EQ(Form1::back_colour(form->Command4), Form1::running());
}

INSTANTIATE_TEST_SUITE_P(Table, ManualStart,
                         ::testing::Values(MoveRow{7.9, 45.2, "W007 045\r", "007", "045"},
                                           MoveRow{44.99999999986, 42.86, "W044 042\r", "044",
                                                   "042"},
                                           MoveRow{359.99, 10, "W359 010\r", "359", "010"},
                                           MoveRow{180, -3.2, "W180 000\r", "180", "000"},
                                           MoveRow{360.00000000028, 0, "W360 000\r", "360", "000"},
                                           MoveRow{270, -37.28, "W270 000\r", "270", "000"}));

TEST_F(ManualMove, NothingPickedAsksForAPlace) {
    form->Command4_Click();
    EXPECT_EQ(w.message_box.shown, QStringList{QStringLiteral("移動場所を指定してください")});
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_FALSE(form->state().manual_tracking);
    EXPECT_EQ(form->Command4->text(), QStringLiteral("手動開始"));
}

TEST_F(ManualMove, StopSendsStopAndForgetsTheTarget) {
    for (const char* link : {"1", "0"}) {
        m.orbx_link = QString::fromUtf8(link);
        w.serial.written.clear();
        w.message_box.shown.clear();
        form->Picture1_MouseDown(Qt::LeftButton, {}, 1850, 850);
        form->Command4_Click();
        form->Label16->setText(QStringLiteral("AZ=045 EL=042"));
        form->Command4_Click();
        EXPECT_EQ(sent(), QByteArray("W044 042\rS\r")) << link;
        EXPECT_EQ(m.command_text, QStringLiteral("530D"));
        EXPECT_FALSE(form->state().manual_tracking);
        EXPECT_FALSE(form->state().target_picked);
        EXPECT_EQ(form->Command4->text(), QStringLiteral("手動開始"));
        EXPECT_FALSE(Form1::back_colour(form->Command4).isValid());
        EXPECT_TRUE(form->Command4->isEnabled());
        EXPECT_EQ(form->Command2->isEnabled(), m.orbx_link == QStringLiteral("1")) << link;
        EXPECT_TRUE(form->Label16->text().isEmpty());
        // The end of a move forgot the pick.
        form->Command4_Click();
        EXPECT_EQ(w.message_box.shown, QStringList{QStringLiteral("移動場所を指定してください")});
    }
}

struct ArrivalRow {
    double current_az;
    double current_el;
    double target_az;
    double target_el;
    bool ends;
};

class Arrival : public RadarWindow, public ::testing::WithParamInterface<ArrivalRow> {};

TEST_P(Arrival, EndsTheMoveWithoutSending) {
    const ArrivalRow& r = GetParam();
    form->state().target_azimuth = r.target_az;
    form->state().target_elevation = r.target_el;
    form->state().target_picked = true;
    form->Command4_Click();
    form->Label16->setText(QStringLiteral("reply"));
    const QByteArray before = sent();
    form->state().antenna_azimuth = r.current_az;
    form->state().antenna_elevation = r.current_el;
    form->check_manual_arrival();
    EXPECT_EQ(sent(), before);
    EXPECT_EQ(form->state().manual_tracking, !r.ends);
    EXPECT_EQ(form->state().target_picked, !r.ends);
    EXPECT_EQ(form->Command4->text(),
              r.ends ? QStringLiteral("手動開始") : QStringLiteral("手動中止"));
    EXPECT_EQ(form->Command2->isEnabled(), r.ends);
    EXPECT_EQ(form->Label16->text(), QStringLiteral("reply"));
}

// Where the window ends is tabled in arrival_test.cpp; here what an arrival does.
INSTANTIATE_TEST_SUITE_P(Table, Arrival,
                         ::testing::Values(ArrivalRow{180, 40, 181.6, 42.9, true},
                                           ArrivalRow{180, 40, 181.6, 43.0, false}));

TEST_F(ManualMove, AutomaticTrackingCannotStartUntilItEnds) {
    w.dde.server_running = true;
    form->start_tracking_link();
    form->Picture1_MouseDown(Qt::LeftButton, {}, 1850, 850);
    form->Command4_Click();
    form->refresh_tracking_values();
    EXPECT_FALSE(form->Command2->isEnabled());
}

TEST_F(ManualMove, ArrivalNeedsARunningMove) {
    form->state().target_azimuth = 180;
    form->state().target_elevation = 40;
    form->state().target_picked = true;
    form->state().antenna_azimuth = 180;
    form->state().antenna_elevation = 40;
    form->check_manual_arrival();
    EXPECT_TRUE(form->state().target_picked);
}

// --- automatic tracking ----------------------------------------------------------------------

using AutoTracking = RadarWindow;

TEST_F(AutoTracking, StartAndEnd) {
    form->state().target_picked = true;
    form->Command2_Click();
    EXPECT_TRUE(form->state().auto_tracking);
    EXPECT_FALSE(form->Command4->isEnabled());
    EXPECT_FALSE(Form1::back_colour(form->Command4).isValid());
    EXPECT_EQ(Form1::back_colour(form->Command2), Form1::running());
    EXPECT_EQ(form->Command2->text(), QStringLiteral("自動追尾終了"));
    EXPECT_TRUE(w.message_box.shown.isEmpty());

    for (const char* link : {"1", "0"}) {
        form->state().auto_tracking = true;
        m.orbx_link = QString::fromUtf8(link);
        form->Label16->setText(QStringLiteral("AZ=100"));
        w.serial.written.clear();
        form->Command2_Click();
        EXPECT_FALSE(form->state().auto_tracking);
        EXPECT_EQ(form->Command2->text(), QStringLiteral("自動追尾開始"));
        EXPECT_FALSE(Form1::back_colour(form->Command2).isValid());
        EXPECT_EQ(form->Command2->isEnabled(), m.orbx_link == QStringLiteral("1")) << link;
        EXPECT_TRUE(form->Command4->isEnabled());
        EXPECT_TRUE(form->Label16->text().isEmpty());
        EXPECT_TRUE(sent().isEmpty()) << "nothing is sent when automatic tracking ends";
        EXPECT_TRUE(form->state().target_picked);
    }
}

TEST_F(AutoTracking, ClickIsRefusedWhileItRuns) {
    form->Command2_Click();
    form->Picture1_MouseDown(Qt::LeftButton, {}, 1850, 850);
    EXPECT_FALSE(form->state().target_picked);
    EXPECT_EQ(w.message_box.shown, QStringList{QStringLiteral("自動追跡中です！！")});
}

}  // namespace

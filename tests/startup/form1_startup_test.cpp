#include <gtest/gtest.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "main_window/form1_layout.h"
#include "main_window/twips.h"
#include "settings_dialog/form2.h"

namespace {

const QString startup_failed =
    QStringLiteral("ＰＩＣＮＩＣが起動していない可能性があります。電源を入れてください");

QColor colour(const QWidget* w) {
    return Form1::back_colour(w);
}

TEST(Startup, WithoutSettingsFileUsesEveryDefault) {
    fake::World w;
    auto form = w.load_form1();
    const Module1& m = w.module;

    EXPECT_EQ(form->windowTitle(), QStringLiteral("ＡＺＥＬＲＯＴ　v2.00"));
    EXPECT_EQ(m.window_position, QStringLiteral("4600:6000"));
    EXPECT_EQ(form->top_twips(), 4600);
    EXPECT_EQ(form->left_twips(), 6000);
    EXPECT_EQ(m.orbx_link, QStringLiteral("0"));
    EXPECT_EQ(m.azimuth_origin, QStringLiteral("0"));
    EXPECT_EQ(m.port_name, QStringLiteral("COM1"));
    EXPECT_EQ(m.picnic_mode, QStringLiteral("0"));
    EXPECT_EQ(m.cycle_seconds, QStringLiteral("1"));
    EXPECT_EQ(m.target_kind, QStringLiteral("0"));
    EXPECT_EQ(m.board_address, QStringLiteral("192.168.0.200"));
    EXPECT_EQ(m.debug_flag, QStringLiteral("0"));

    // Manual only: link lamp off, manual lamp on, the tracking controls disabled.
    EXPECT_EQ(colour(form->Label1[0]), Form1::lamp_off());
    EXPECT_EQ(colour(form->Label1[1]), Form1::lamp_on());
    for (const QWidget* c : std::initializer_list<const QWidget*>{
             form->Frame3, form->Text1, form->Option1, form->Option2, form->Command2}) {
        EXPECT_FALSE(c->isEnabled()) << c->metaObject()->className();
    }
    EXPECT_TRUE(form->Command4->isEnabled());
    EXPECT_TRUE(w.dde.calls.isEmpty()) << "no link without the setting";

    // Satellite selected.
    EXPECT_TRUE(form->Option1->isChecked());
    EXPECT_FALSE(form->Text3->isHidden());
    EXPECT_FALSE(form->Text4->isHidden());
    EXPECT_TRUE(form->Text14->isHidden());
    EXPECT_TRUE(form->Text15->isHidden());

    EXPECT_TRUE(form->Timer1.isActive());
    EXPECT_EQ(form->Timer1.interval(), 1000);

    EXPECT_EQ(form->state().azimuth_tolerance, 2.0);
    EXPECT_EQ(form->state().elevation_tolerance, 2.0);
    EXPECT_FALSE(form->state().link_warning_shown);
    EXPECT_TRUE(w.message_box.shown.isEmpty());
    EXPECT_TRUE(w.profile.writes.isEmpty()) << "defaults are not written back";
    EXPECT_EQ(w.program_end.ends, 0);
}

TEST(Startup, LampsStartWithTheSystemWindowColour) {
    fake::World w;
    auto form = w.make_form1();
    const QColor system = form->palette().color(QPalette::Base);
    for (const QLabel* lamp : form->Label1) EXPECT_EQ(colour(lamp), system);
}

struct TargetRow {
    const char* orbx;
    const char* sat;
    bool moon;
};

class StartupTarget : public ::testing::TestWithParam<TargetRow> {};

TEST_P(StartupTarget, SelectsTheStoredTargetKind) {
    const auto& row = GetParam();
    fake::World w;
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("ORBX"), QString::fromLatin1(row.orbx));
    w.set_ini(QStringLiteral("EISEI"), QStringLiteral("SAT"), QString::fromLatin1(row.sat));
    w.dde.server_running = true;  // a failed link would turn the lamp cyan
    auto form = w.load_form1();
    const bool linked = QString::fromLatin1(row.orbx) == QStringLiteral("1");

    EXPECT_EQ(form->Option2->isChecked(), row.moon);
    EXPECT_EQ(form->Option1->isChecked(), !row.moon);
    EXPECT_EQ(w.module.target_kind, row.moon ? QStringLiteral("1") : QStringLiteral("0"));
    EXPECT_EQ(form->Text14->isHidden(), !row.moon);
    EXPECT_EQ(form->Text15->isHidden(), !row.moon);
    EXPECT_EQ(form->Text3->isHidden(), row.moon);
    EXPECT_EQ(form->Text4->isHidden(), row.moon);
    EXPECT_EQ(form->Text1->isEnabled(), linked && !row.moon);
    EXPECT_EQ(form->Command2->isEnabled(), linked);
    EXPECT_EQ(form->Option1->isEnabled(), linked);
    EXPECT_EQ(colour(form->Label1[0]), linked ? Form1::lamp_on() : Form1::lamp_off());
    EXPECT_EQ(colour(form->Label1[1]), linked ? Form1::lamp_off() : Form1::lamp_on());
}

INSTANTIATE_TEST_SUITE_P(Table, StartupTarget,
                         ::testing::Values(TargetRow{"1", "1", true}, TargetRow{"1", "0", false},
                                           TargetRow{"1", "2", true},  // anything but "0"
                                           TargetRow{"1", "", true}, TargetRow{"0", "1", true},
                                           TargetRow{"", "0", false}, TargetRow{"2", "0", false}));

TEST(Startup, BoardTransportLightsTheBoardLamp) {
    fake::World w;
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("PICNIC"), QStringLiteral("1"));
    w.set_ini(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
    auto form = w.load_form1();
    EXPECT_EQ(w.module.picnic_mode, QStringLiteral("1"));
    EXPECT_EQ(w.module.board_address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(colour(form->Label1[2]), Form1::lamp_off());
    EXPECT_EQ(colour(form->Label1[3]), Form1::lamp_on());
    EXPECT_FALSE(w.serial.open);
}

TEST(Startup, EmptiesTheSatelliteBoxes) {
    fake::World w;
    auto form = w.make_form1();
    form->show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("123"));
    form->show_tracking_value(TrackingItem::satellite_elevation, QStringLiteral("45"));
    form->Form_Load();
    EXPECT_TRUE(form->Text3->text().isEmpty());
    EXPECT_TRUE(form->Text4->text().isEmpty());
}

TEST(Startup, RefusedSettingsFileIsReportedAndTheDefaultsUsed) {
    const std::pair<platform::ProfileRefusal, QString> rows[] = {
        {platform::ProfileRefusal::too_large,
         QStringLiteral("設定ファイル azelrot.ini が１ＭＢを超えているため読み込みません。"
                        "既定の設定で起動します。このファイルには書き込みません。")},
        {platform::ProfileRefusal::not_a_file,
         QStringLiteral("設定ファイル azelrot.ini が通常のファイルではないため読み込みません。"
                        "既定の設定で起動します。このファイルには書き込みません。")},
    };
    for (const auto& [refusal, message] : rows) {
        fake::World w;
        w.set_ini(QStringLiteral("GS232B"), QStringLiteral("TIMER"), QStringLiteral("5"));
        w.profile.refused = refusal;
        auto form = w.load_form1();
        EXPECT_EQ(w.message_box.shown, QStringList{message});
        EXPECT_EQ(w.module.cycle_seconds, QStringLiteral("1"));
        EXPECT_TRUE(form->Timer1.isActive());
    }
}

TEST(Startup, SecondCopyIsRefusedAndDoesNothingElse) {
    fake::World w;
    w.instance_guard.other_running = true;
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("ORBX"), QStringLiteral("1"));
    auto form = w.make_form1();
    const QColor system = colour(form->Label1[0]);
    form->Form_Load();

    EXPECT_EQ(w.message_box.shown, QStringList{QStringLiteral("既に起動されています。")});
    EXPECT_EQ(w.program_end.ends, 1);
    EXPECT_TRUE(w.module.window_position.isEmpty());
    EXPECT_TRUE(w.module.orbx_link.isEmpty());
    EXPECT_TRUE(w.dde.calls.isEmpty());
    EXPECT_FALSE(form->Timer1.isActive());
    EXPECT_EQ(colour(form->Label1[0]), system);
    EXPECT_TRUE(w.profile.writes.isEmpty());
}

TEST(Startup, FailureAtTheBoardAbandonsTheRest) {
    {
        // Without a transport-opening step nothing here can fail.
        fake::World probe;
        probe.load_form1();
        if (!probe.board.setup) GTEST_SKIP() << "transport opening not wired into this build";
    }
    fake::World w;
    w.board.fail_address = true;
    auto form = w.make_form1();
    const QColor system = colour(form->Label1[2]);
    form->show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("kept"));
    form->Form_Load();

    EXPECT_EQ(w.message_box.shown, QStringList{startup_failed});
    EXPECT_EQ(w.program_end.ends, 0) << "the window stays open";
    EXPECT_EQ(colour(form->Label1[2]), system);
    EXPECT_EQ(colour(form->Label1[3]), system);
    EXPECT_EQ(form->Text3->text(), QStringLiteral("kept"));
    EXPECT_TRUE(w.serial.written.isEmpty()) << "no initial commands";
    EXPECT_TRUE(form->Timer1.isActive());
    EXPECT_EQ(w.module.board_address, QStringLiteral("192.168.0.200"));
}

struct PositionRow {
    const char* stored;
    bool kept;  // false: the default place is used instead
};

class StartupPosition : public ::testing::TestWithParam<PositionRow> {};

TEST_P(StartupPosition, PlacesTheWindowOrFallsBack) {
    const auto& row = GetParam();
    fake::World w;
    w.set_ini(QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT"),
              QString::fromLatin1(row.stored));
    auto form = w.load_form1();
    if (row.kept) {
        const QStringList parts = QString::fromLatin1(row.stored).split(u':');
        EXPECT_EQ(w.module.window_position, QString::fromLatin1(row.stored));
        EXPECT_EQ(form->top_twips(), parts[0].toInt());
        EXPECT_EQ(form->left_twips(), parts[1].toInt());
    } else {
        EXPECT_EQ(w.module.window_position, QStringLiteral("4600:6000")) << row.stored;
        EXPECT_EQ(form->top_twips(), 4600);
        EXPECT_EQ(form->left_twips(), 6000);
    }
}

// Far beyond any screen's edge; "0:-5000" leaves 25 of the window's pixels on screen.
INSTANTIATE_TEST_SUITE_P(Table, StartupPosition,
                         ::testing::Values(PositionRow{"100:200", true}, PositionRow{"0:0", true},
                                           PositionRow{"0:-5000", true},  // partly visible
                                           PositionRow{"4600", false}, PositionRow{"", false},
                                           PositionRow{"abc", false}, PositionRow{"1E400:0", false},
                                           PositionRow{"0:300000", false},
                                           PositionRow{"-99999:0", false},
                                           PositionRow{"300000:0", false}));

TEST(StartupPosition, JustOffTheScreenFallsBack) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QPoint px : {QPoint(screen.right() + 1, 0), QPoint(0, screen.bottom() + 1)}) {
        fake::World w;
        w.set_ini(QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT"),
                  QStringLiteral("%1:%2").arg(px.y() * 15).arg(px.x() * 15));
        auto form = w.load_form1();
        EXPECT_EQ(w.module.window_position, QStringLiteral("4600:6000"));
    }
    // One pixel in is still reachable.
    fake::World w;
    w.set_ini(QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT"),
              QStringLiteral("%1:%2").arg(screen.bottom() * 15).arg(screen.right() * 15));
    auto form = w.load_form1();
    EXPECT_EQ(form->top_twips(), screen.bottom() * 15);
}

struct TimerRow {
    const char* stored;
    int interval;  // 0: no ticks
    const char* cycle_seconds;
};

class StartupTimer : public ::testing::TestWithParam<TimerRow> {};

TEST_P(StartupTimer, SetsTheCycleInterval) {
    const auto& row = GetParam();
    fake::World w;
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("TIMER"), QString::fromLatin1(row.stored));
    auto form = w.load_form1();
    EXPECT_EQ(form->Timer1.isActive(), row.interval > 0) << row.stored;
    if (row.interval > 0) {
        EXPECT_EQ(form->Timer1.interval(), row.interval);
    }
    EXPECT_EQ(w.module.cycle_seconds, QString::fromLatin1(row.cycle_seconds));
}

INSTANTIATE_TEST_SUITE_P(Table, StartupTimer,
                         ::testing::Values(TimerRow{"2", 2000, "2"}, TimerRow{"0.5", 500, "0.5"},
                                           TimerRow{"10", 10000, "10"}, TimerRow{"65", 65000, "65"},
                                           TimerRow{"0", 0, "0"}, TimerRow{"", 0, ""},
                                           TimerRow{"66", 1000, "1"}, TimerRow{"-1", 1000, "1"},
                                           TimerRow{"1E400", 1000, "1"}));

TEST(Shutdown, SavesThePositionOnlyWhenTheLinkIsOff) {
    fake::World w;
    w.set_ini(QStringLiteral("EISEI"), QStringLiteral("SAT"), QStringLiteral("1"));
    auto form = w.load_form1();
    form->Command3_Click();
    EXPECT_EQ(w.profile.writes,
              QStringList{QStringLiteral("WIN_POSITION/GS232B_TOP_LEFT=4600:6000")});
    EXPECT_EQ(w.ini(QStringLiteral("EISEI"), QStringLiteral("SAT")), QStringLiteral("1"));
    EXPECT_EQ(w.program_end.ends, 1);
}

TEST(Shutdown, SavesPositionThenTargetKindWhenTheLinkIsOn) {
    fake::World w;
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("ORBX"), QStringLiteral("1"));
    auto form = w.load_form1();
    form->Option2->click();  // the operator switches to the Moon
    form->move(100, 50);     // and drags the window
    form->Command3_Click();
    EXPECT_EQ(w.profile.writes,
              (QStringList{QStringLiteral("WIN_POSITION/GS232B_TOP_LEFT=750:1500"),
                           QStringLiteral("EISEI/SAT=1")}));
    EXPECT_EQ(w.ini(QStringLiteral("EISEI"), QStringLiteral("SAT")), QStringLiteral("1"));
    EXPECT_EQ(w.program_end.ends, 1);
}

TEST(Shutdown, RunsOnceWhateverAsksForIt) {
    fake::World w;
    auto form = w.load_form1();
    form->close();           // title-bar close
    form->Command3_Click();  // and the exit button while ending
    form->close();
    EXPECT_EQ(w.profile.writes.size(), 1);
    EXPECT_EQ(w.program_end.ends, 1);
}

TEST(Shutdown, StoredPositionSurvivesTheNextStart) {
    fake::World w;
    w.set_ini(QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT"),
              QStringLiteral("1234:2345"));
    w.load_form1()->Command3_Click();
    EXPECT_EQ(w.ini(QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT")),
              QStringLiteral("1234:2345"));
}

TEST(TargetOptions, ClicksSwitchBoxesAndKind) {
    fake::World w;
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("ORBX"), QStringLiteral("1"));
    auto form = w.load_form1();
    form->Option2->click();
    EXPECT_EQ(w.module.target_kind, QStringLiteral("1"));
    EXPECT_FALSE(form->Text1->isEnabled());
    EXPECT_FALSE(form->Text14->isHidden());
    EXPECT_TRUE(form->Text3->isHidden());
    form->Option1->click();
    EXPECT_EQ(w.module.target_kind, QStringLiteral("0"));
    EXPECT_TRUE(form->Text1->isEnabled());
    EXPECT_TRUE(form->Text15->isHidden());
    EXPECT_FALSE(form->Text4->isHidden());
}

TEST(Resize, WindowKeepsItsDesignedSize) {
    fake::World w;
    auto form = w.load_form1();
    const QSize designed = form->designed_size();
    EXPECT_EQ(form->size(), designed);
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the border cannot be dragged";
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);

    // Even if something lifts the fixed size, the resize rule puts it back.
    form->setMinimumSize(0, 0);
    form->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    form->resize(designed + QSize(120, 80));
    form->Form_Resize();
    EXPECT_EQ(form->size(), designed);
}

TEST(Resize, MinimisedOrMaximisedIsLeftAlone) {
    fake::World w;
    auto form = w.load_form1();
    form->show();
    for (const Qt::WindowState state : {Qt::WindowMinimized, Qt::WindowMaximized}) {
        form->setWindowState(state);
        EXPECT_NO_THROW(form->Form_Resize());
        form->setWindowState(Qt::WindowNoState);
    }
    form->Form_Resize();
    EXPECT_EQ(form->size(), form->designed_size());
}

TEST(DebugMenu, SwitchesLoggingAndCheckMarks) {
    fake::World w;
    w.serial.open = true;
    auto form = w.load_form1();
    EXPECT_TRUE(form->menu_debug_off->isChecked());
    EXPECT_FALSE(form->menu_debug_on->isChecked());
    const QString log = w.program_dir.file(QStringLiteral("azelrot.log"));

    form->menu_debug_on->trigger();
    EXPECT_EQ(w.module.debug_flag, QStringLiteral("1"));
    EXPECT_TRUE(form->menu_debug_on->isChecked());
    EXPECT_FALSE(form->menu_debug_off->isChecked());
    form->menu_debug_on->trigger();  // choosing it again keeps it on
    EXPECT_TRUE(form->menu_debug_on->isChecked());
    w.module.put_data(QStringLiteral("43320D"));
    const qint64 size = QFileInfo(log).size();
    EXPECT_GT(size, 0);

    form->menu_debug_off->trigger();
    EXPECT_EQ(w.module.debug_flag, QStringLiteral("0"));
    EXPECT_TRUE(form->menu_debug_off->isChecked());
    EXPECT_FALSE(form->menu_debug_on->isChecked());
    w.module.put_data(QStringLiteral("43320D"));
    EXPECT_EQ(QFileInfo(log).size(), size);
}

TEST(DebugMenu, IsOffAtEveryStart) {
    fake::World w;
    w.module.debug_flag = QStringLiteral("1");
    auto form = w.load_form1();
    EXPECT_EQ(w.module.debug_flag, QStringLiteral("0"));
}

TEST(SettingsMenu, EntersSettingsModeAndShowsTheDialog) {
    fake::World w;
    auto form = w.load_form1();
    form->menu_kannkyou_settei->trigger();
    EXPECT_EQ(w.module.operation_mode, OperationMode::settings_open);
    ASSERT_NE(form->form2_if_loaded(), nullptr);
    EXPECT_TRUE(form->form2_if_loaded()->isVisible());
    form->menu_kannkyou_settei->trigger();
    EXPECT_EQ(form->form2_if_loaded(), &form->form2()) << "one dialog only";
}

// What --print-layout tells the tools that drive the window is where the window has them.
TEST(Layout, PrintedPlacesAreWhereTheWindowPutsEachControl) {
    fake::World w;
    auto form = w.make_form1();
    const QWidget* client = form->centralWidget();
    const QStringList lines = form1_layout::printed_layout().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), qsizetype(form1_layout::places.size() + 1));
    EXPECT_EQ(lines[0],
              QStringLiteral("client 0 0 %1 %2").arg(client->width()).arg(client->height()));
    for (const QString& line : lines.mid(1)) {
        const QStringList f = line.split(u' ');
        ASSERT_GE(f.size(), 5) << line.toStdString();
        const auto* widget = client->findChild<const QWidget*>(f[0]);
        ASSERT_NE(widget, nullptr) << line.toStdString();
        const QRect shown(widget->mapTo(client, QPoint(0, 0)), widget->size());
        const QRect printed(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
        const char* caption = qobject_cast<const QGroupBox*>(widget) ? "title" : "text";
        EXPECT_EQ(line.section(u' ', 5), widget->property(caption).toString()) << qPrintable(line);
        // Captions may grow a little to show whole; their middle stays.
        if (qobject_cast<const QLabel*>(widget) || qobject_cast<const QRadioButton*>(widget)) {
            EXPECT_TRUE(shown.contains(printed.center())) << line.toStdString();
        } else {
            EXPECT_EQ(shown, printed) << line.toStdString();
        }
    }
}

}  // namespace

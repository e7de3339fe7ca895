// The operation menu and the optional settings, from the menu to the bytes on the wire.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMenuBar>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "main_window/goto_dialog.h"
#include "settings_dialog/form2.h"

namespace {

const QString gs232b = QStringLiteral("GS232B");

class OperationMenu : public ::testing::Test {
  protected:
    fake::World w;
    std::unique_ptr<Form1> form;
    QByteArray pending;
    // Where the simulated controller reports the antenna.
    double az = 180;
    double el = 10;

    void set(const QString& section, const QString& key, const QString& value) {
        w.set_ini(section, key, value);
    }

    // Loads the window with the settings set so far; answers every poll with (az, el).
    Form1& load() {
        set(gs232b, QStringLiteral("ORBX"), QStringLiteral("1"));
        w.serial.on_written = [this](const QByteArray& bytes) {
            pending += bytes;
            if (!pending.endsWith('\r')) return;
            const QByteArray command = pending;
            pending.clear();
            if (command == "C2\r") {
                w.serial.feed(QStringLiteral("AZ=%1 EL=%2\r").arg(az).arg(el).toLatin1());
            }
        };
        form = w.load_form1();
        w.serial.written.clear();
        w.message_box.shown.clear();
        return *form;
    }

    QByteArray sent() {
        const QByteArray s = w.serial.written;
        w.serial.written.clear();
        return s;
    }

    void start_tracking(const char* az_text, const char* el_text) {
        form->Command2_Click();
        sent();
        form->show_tracking_value(TrackingItem::satellite_azimuth, QString::fromLatin1(az_text));
        form->show_tracking_value(TrackingItem::satellite_elevation, QString::fromLatin1(el_text));
    }
};

TEST_F(OperationMenu, SitsBetweenSettingsAndHelpWithItsShortcuts) {
    Form1& f = load();
    const QList<QAction*> top = f.menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[0]->text(), QStringLiteral("設定"));
    EXPECT_EQ(top[1]->text(), QStringLiteral("操作"));
    EXPECT_EQ(top[2]->text(), QStringLiteral("ヘルプ"));
    EXPECT_EQ(f.menu_stop->text(), QStringLiteral("停止"));
    EXPECT_EQ(f.menu_stop->shortcut(), QKeySequence(Qt::Key_Escape));
    EXPECT_EQ(f.menu_park->text(), QStringLiteral("パーク"));
    EXPECT_EQ(f.menu_park->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_EQ(f.menu_goto->text(), QStringLiteral("方位指定…"));
    EXPECT_EQ(f.menu_goto->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    EXPECT_EQ(f.menu_preset->title(), QStringLiteral("プリセット"));
    EXPECT_FALSE(f.menu_preset->isEnabled());  // no presets section
    EXPECT_TRUE(f.menu_stop->isEnabled());
    w.serial.open = false;  // a stop is owed to a closed port, never refused
    f.update_operation_menu();
    EXPECT_TRUE(f.menu_stop->isEnabled());
}

TEST_F(OperationMenu, StopEndsAManualMoveAndNothingMoreIsSent) {
    Form1& f = load();
    ASSERT_EQ(f.start_heading_move({90, 45}), std::nullopt);
    EXPECT_EQ(sent(), QByteArray("W090 045\r"));
    EXPECT_TRUE(f.state().manual_tracking);
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("C2\r"));

    f.menu_stop->trigger();
    EXPECT_EQ(sent(), QByteArray("S\r"));
    EXPECT_FALSE(f.state().manual_tracking);
    EXPECT_FALSE(f.state().target_picked);
    EXPECT_EQ(f.Command4->text(), QStringLiteral("手動開始"));
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray());
}

TEST_F(OperationMenu, StopEndsAutomaticTracking) {
    Form1& f = load();
    start_tracking("123", "20");
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W123 020\rC2\r"));
    f.menu_stop->trigger();
    EXPECT_EQ(sent(), QByteArray("S\r"));
    EXPECT_FALSE(f.state().auto_tracking);
    EXPECT_EQ(f.Command2->text(), QStringLiteral("自動追尾開始"));
    EXPECT_TRUE(f.Command4->isEnabled());
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray());
}

TEST_F(OperationMenu, StopWhileIdleStillSendsStop) {
    load().menu_stop->trigger();
    EXPECT_EQ(sent(), QByteArray("S\r"));
}

TEST_F(OperationMenu, ParkMovesToTheParkSectionAndEndsOnArrival) {
    set(QStringLiteral("PARK"), QStringLiteral("AZ"), QStringLiteral("200"));
    set(QStringLiteral("PARK"), QStringLiteral("EL"), QStringLiteral("5"));
    Form1& f = load();
    f.menu_park->trigger();
    EXPECT_EQ(sent(), QByteArray("W200 005\r"));
    EXPECT_TRUE(f.state().manual_tracking);
    EXPECT_TRUE(f.state().target_picked);  // marked on the radar as a pick
    az = 200;
    el = 5;
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("C2\r"));
    EXPECT_FALSE(f.state().manual_tracking);
    EXPECT_TRUE(w.message_box.shown.isEmpty());
}

TEST_F(OperationMenu, ParkWithoutSectionGoesToZeroAndABadOneIsRefused) {
    load().menu_park->trigger();
    EXPECT_EQ(sent(), QByteArray("W000 000\r"));
    form->menu_stop->trigger();
    sent();
    set(QStringLiteral("PARK"), QStringLiteral("AZ"), QStringLiteral("north"));
    form->menu_park->trigger();
    EXPECT_EQ(sent(), QByteArray());
    ASSERT_EQ(w.message_box.shown.size(), 1);
    EXPECT_TRUE(
        w.message_box.shown[0].startsWith(QStringLiteral("パーク位置の設定が正しくありません")));
}

TEST_F(OperationMenu, MovesAreRefusedDuringAutomaticTracking) {
    Form1& f = load();
    start_tracking("10", "10");
    f.menu_park->trigger();
    EXPECT_EQ(w.message_box.shown, QStringList{QStringLiteral("自動追跡中です！！")});
    EXPECT_EQ(sent(), QByteArray());
}

TEST_F(OperationMenu, HeadingDialogRefusesBadInputAndMovesOnOk) {
    Form1& f = load();
    f.menu_goto->trigger();
    auto* dialog = f.findChild<GotoDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    dialog->azimuth->setText(QStringLiteral("361"));
    dialog->elevation->setText(QStringLiteral("10"));
    dialog->ok->click();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(w.message_box.shown,
              QStringList{QStringLiteral("方位は０～360の整数（度）で入力してください")});
    EXPECT_EQ(sent(), QByteArray());

    dialog->azimuth->setText(QStringLiteral("270"));
    dialog->ok->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(sent(), QByteArray("W270 010\r"));
    EXPECT_EQ(f.Text3->text(), QStringLiteral("270"));
    dialog->elevation->setFocus();  // where the last entry ended
    f.menu_goto->trigger();
    EXPECT_EQ(dialog->focusWidget(), dialog->azimuth);
    EXPECT_EQ(dialog->azimuth->selectedText(), QStringLiteral("270"));
}

TEST_F(OperationMenu, ExtraSettingsAreReadWhenThePortFailsAtStart) {
    set(QStringLiteral("PRESETS"), QStringLiteral("Beacon"), QStringLiteral("45:10"));
    w.serial.fail_open = true;
    EXPECT_TRUE(load().menu_preset->isEnabled());
}

TEST_F(OperationMenu, HeadingDialogPointsAtAPlaceFromTheStation) {
    set(QStringLiteral("STATION"), QStringLiteral("LAT"), QStringLiteral("0"));
    set(QStringLiteral("STATION"), QStringLiteral("LON"), QStringLiteral("0"));
    struct Row {
        const char *origin, *place;
        bool long_way;
        const char *elevation, *wire;
    } const rows[] = {
        {"0", "0,90", false, "", "W090 000\r"},
        {"0", "0,90", true, "10", "W270 010\r"},
        {"1", "0,90", false, "", "W270 000\r"},   // counted from south, as a pick is
        {"0", "10,10", false, "", "W045 000\r"},  // 44.6 degrees, to the nearest
    };
    for (const Row& r : rows) {
        set(QStringLiteral("HOUI"), QStringLiteral("HKITEN"), QString::fromLatin1(r.origin));
        load().menu_goto->trigger();
        auto* dialog = form->findChild<GotoDialog*>();
        dialog->azimuth->setText(QString::fromLatin1(r.place));
        dialog->elevation->setText(QString::fromLatin1(r.elevation));
        dialog->long_path->setChecked(r.long_way);
        dialog->ok->click();
        EXPECT_EQ(sent(), QByteArray(r.wire)) << r.place;
    }
}

TEST_F(OperationMenu, PresetsInFileOrderWithTheirShortcuts) {
    set(QStringLiteral("PRESETS"), QStringLiteral("Europe"), QStringLiteral("45:0"));
    set(QStringLiteral("PRESETS"), QStringLiteral("broken"), QStringLiteral("45"));
    set(QStringLiteral("PRESETS"), QStringLiteral("Zenith"), QStringLiteral("0:90"));
    Form1& f = load();
    const QList<QAction*> entries = f.menu_preset->actions();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(f.menu_preset->isEnabled());
    EXPECT_TRUE(entries[0]->text().startsWith(QStringLiteral("Europe")));
    EXPECT_EQ(entries[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+1")));
    EXPECT_FALSE(entries[1]->isEnabled());
    EXPECT_EQ(entries[2]->shortcut(), QKeySequence(QStringLiteral("Ctrl+3")));
    entries[2]->trigger();
    EXPECT_EQ(sent(), QByteArray("W000 090\r"));
    // A new heading replaces the move under way without a stop.
    entries[0]->trigger();
    EXPECT_EQ(sent(), QByteArray("W045 000\r"));
    EXPECT_TRUE(f.state().manual_tracking);
}

TEST_F(OperationMenu, OverlapCarriesAPassAcrossNorthOnwards) {
    set(gs232b, QStringLiteral("AZRANGE"), QStringLiteral("450"));
    Form1& f = load();
    az = 350;
    start_tracking("355", "20");
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W355 020\rC2\r"));
    az = 355;
    f.show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("5"));
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W365 020\rC2\r"));
    az = 365;
    f.show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("15"));
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W375 020\rC2\r"));
}

TEST_F(OperationMenu, OverlapManualMoveArrivesOnTheLinearValue) {
    set(gs232b, QStringLiteral("AZRANGE"), QStringLiteral("450"));
    Form1& f = load();
    az = 400;
    f.Command1_Click();  // a poll: the antenna is reported past north
    sent();
    ASSERT_EQ(f.start_heading_move({20, 10}), std::nullopt);
    EXPECT_EQ(sent(), QByteArray("W380 010\r"));
    az = 20;  // the other end of the scale is not the target
    f.Timer1_Timer();
    EXPECT_TRUE(f.state().manual_tracking);
    az = 380;
    f.Timer1_Timer();
    EXPECT_FALSE(f.state().manual_tracking);
}

TEST_F(OperationMenu, OverlapSideIsChosenOnAFreshPositionAndTheBoxShowsBoth) {
    set(gs232b, QStringLiteral("AZRANGE"), QStringLiteral("450"));
    Form1& f = load();
    az = 102;
    f.Command1_Click();
    sent();
    w.clock.mono += 10;  // turned at the controller since, and nobody asked
    az = 350;
    ASSERT_EQ(f.start_heading_move({10, 0}), std::nullopt);
    EXPECT_EQ(sent(), QByteArray("C2\rW370 000\r"));
    EXPECT_EQ(f.Text3->text(), QStringLiteral("10 (370)"));
    EXPECT_EQ(f.state().target_azimuth, 370);
}

TEST_F(OperationMenu, QueuedHeadingsGoOutOnceOnTheNextTurnAndAStopDropsThem) {
    Form1& f = load();
    EXPECT_EQ(f.queue_heading_move({10, 5}), std::nullopt);
    EXPECT_EQ(f.queue_heading_move({30, 5}), std::nullopt);
    EXPECT_EQ(sent(), QByteArray());
    QCoreApplication::processEvents();
    EXPECT_EQ(sent(), QByteArray("W030 005\r"));
    f.queue_heading_move({40, 5});
    f.menu_stop_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(sent(), QByteArray("S\r"));
}

TEST_F(OperationMenu, WithoutOverlapAPassAcrossNorthIsSentAsDesigned) {
    Form1& f = load();
    az = 355;
    f.Command1_Click();
    start_tracking("5", "20");
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W005 020\rC2\r"));
}

TEST_F(OperationMenu, ThresholdSendsOneMoveForAStillTargetAndPollsEveryTick) {
    set(gs232b, QStringLiteral("THRESHOLD"), QStringLiteral("2"));
    Form1& f = load();
    start_tracking("100", "20");
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W100 020\rC2\r"));
    f.Timer1_Timer();
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("C2\rC2\r"));
    f.show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("101.5"));
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("C2\r"));
    f.show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("102"));
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W102 020\rC2\r"));
    // Tracking started again sends its first move at once.
    f.Command2_Click();
    start_tracking("102", "20");
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("W102 020\rC2\r"));
}

TEST_F(OperationMenu, IdlePollingFollowsTheControllersOwnButtons) {
    set(gs232b, QStringLiteral("IDLEPOLL"), QStringLiteral("1"));
    Form1& f = load();
    az = 77;
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray("C2\r"));
    EXPECT_EQ(f.state().antenna_azimuth, 77);
    w.module.operation_mode = OperationMode::settings_open;  // the settings dialog owns the replies
    f.Timer1_Timer();
    EXPECT_EQ(sent(), QByteArray());
}

TEST_F(OperationMenu, CalibrationRangeReplyIsSavedWithTheSettings) {
    Form1& f = load();
    Form2& dialog = f.form2();
    w.module.operation_mode = OperationMode::settings_open;
    dialog.Command5_Click();  // P45, answered below as the controller does
    w.module.operation_mode = OperationMode::az_full_scale;
    w.serial.feed("mode 450 Degree\r");
    EXPECT_EQ(dialog.azimuth_range_setting, QStringLiteral("450"));
    w.profile.writes.clear();
    dialog.Command1_Click();
    EXPECT_TRUE(w.profile.writes.contains(QStringLiteral("GS232B/AZRANGE=450")));
}

TEST_F(OperationMenu, SaveWithoutARangeLeavesTheKeyOut) {
    Form1& f = load();
    w.profile.writes.clear();
    f.form2().Command1_Click();
    ASSERT_FALSE(w.profile.writes.isEmpty());
    for (const QString& write : w.profile.writes) EXPECT_FALSE(write.contains("AZRANGE"));
}

}  // namespace

// A whole station on one machine: Hamlib's network rotator client talks to track-bridge, the
// main window (real serial port, real bus link, real settings file, real clock) reads the
// bridge over a private session bus and drives the simulated controller on a pseudo-terminal.
// Everything stays on 127.0.0.1 and the test's own bus.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "fakes/fake_services.h"
#include "link/numeric.h"
#include "main_window/form1.h"
#include "moon.h"
#include "platform/clock_system.h"
#include "platform/dde_client_dbus.h"
#include "platform/profile_store_file.h"
#include "platform/serial_control_qt.h"
#include "support/sim_process.h"
#include "support/tools.h"
#include "support/tracking.h"

namespace {

using simtest::logged_commands;
using support::bus_item;

// One periodic cycle as the timer runs it, then time for the controller's reply to come in.
// Returns how long the cycle itself held the window.
qint64 tick(Form1& form) {
    QElapsedTimer held;
    held.start();
    form.Timer1_Timer();
    const qint64 ms = held.elapsed();
    QTest::qWait(250);
    return ms;
}

QStringList observer_args(const track_bridge::Observer& observer) {
    return {"--lat", QString::number(observer.latitude, 'g', 10),
            "--lon", QString::number(observer.longitude, 'g', 10),
            "--alt", QString::number(observer.altitude, 'g', 10)};
}

struct Move {
    int azimuth = 0;
    int elevation = 0;
};

std::optional<Move> last_move(const QStringList& commands) {
    static const QRegularExpression shape(QStringLiteral("^W(\\d{3}) (\\d{3})$"));
    for (auto it = commands.crbegin(); it != commands.crend(); ++it) {
        const auto match = shape.match(*it);
        if (match.hasMatch()) return Move{match.captured(1).toInt(), match.captured(2).toInt()};
    }
    return std::nullopt;
}

// Where on Earth the Moon stands now near the elevation wanted, found with the bridge's own
// astronomy over a coarse grid. Azimuths near north are passed over: there the whole degrees
// wrap between 359 and 0 while the Moon moves.
struct MoonView {
    track_bridge::Observer observer;
    track_bridge::Horizontal moon;
};

MoonView station_seeing_moon_at(double wanted_elevation) {
    const double jd =
        track_bridge::julian_day_from_unix(double(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
    std::optional<MoonView> best;
    for (int latitude = -60; latitude <= 60; latitude += 10) {
        for (int longitude = -180; longitude < 180; longitude += 5) {
            const track_bridge::Observer observer{double(latitude), double(longitude), 0.0};
            const auto moon = track_bridge::moon_horizontal(jd, observer);
            if (moon.azimuth < 30 || moon.azimuth > 330) continue;
            if (!best || std::abs(moon.elevation - wanted_elevation) <
                             std::abs(best->moon.elevation - wanted_elevation)) {
                best = MoonView{observer, moon};
            }
        }
    }
    return *best;
}

// The program as main() assembles it, with the real serial port, bus link, settings file and
// clock; only what would block or end the test process is a stand-in. The board stays a
// stand-in too: this station uses the serial port, and nothing may dial a board address.
struct Station {
    platform::SerialControlQt serial;
    platform::DdeClientDbus dde;
    platform::ProfileStoreFile profile;
    platform::ClockSystem clock;
    fake::BoardControl board;
    fake::MessageBox message_box;
    fake::InstanceGuard instance_guard;
    fake::ProgramDir program_dir;
    fake::HelpViewer help_viewer;
    fake::ProgramEnd program_end;
    platform::Services services{serial,      board,          dde,         profile,     clock,
                                message_box, instance_guard, program_dir, help_viewer, program_end};
    Module1 module{services};
    Form1 form{module, services};

    QString ini_path() const { return program_dir.file(QStringLiteral("azelrot.ini")); }
    QString ini(const QString& section, const QString& key) {
        return profile.get_private_profile_string(section, key, QStringLiteral("<none>"), 255,
                                                  ini_path());
    }
};

class BridgeStation : public ::testing::Test {
  protected:
    void SetUp() override {
        NEED_TOOLS(QStringLiteral("AZELROT_TRACK_BRIDGE"), QStringLiteral("AZELROT_GS232B_SIM"));
        if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";
        ASSERT_FALSE(support::tracking_name_owned()) << "another tracking program owns dde.ORBX";
        ASSERT_TRUE(dir_.isValid());
    }

    void TearDown() override {
        if (station_) {
            // Eleven bus requests, a move and a poll: the window must not freeze for long.
            std::printf("[ timing ] longest cycle %lld ms\n",
                        static_cast<long long>(longest_cycle_ms_));
            EXPECT_LT(longest_cycle_ms_, 500);
            shut_down();
        }
        station_.reset();
        if (sim_) {
            EXPECT_EQ(sim_->terminate(), 0) << "the simulator did not end cleanly";
        }
        sim_.reset();
        EXPECT_TRUE(bridge_.stop()) << "the bridge did not end on SIGTERM";
    }

    // The bridge for this observer and the controller, parked at 200/10, moving fast.
    void start_processes(const track_bridge::Observer& observer) {
        ASSERT_TRUE(bridge_.start(observer_args(observer))) << "track-bridge did not come up";
        sim_ = std::make_unique<simtest::SimProcess>(QStringList{
            "--log", sim_log(), "--initial", "200,10", "--az-speed", "120", "--el-speed", "60"});
        ASSERT_TRUE(sim_->ready()) << "gs232b-sim did not come up";
    }

    // The station folder with its settings, then the main window's start-up.
    Station& load_station() {
        station_ = std::make_unique<Station>();
        QFile ini(station_->ini_path());
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[GS232B]\nPORT=%1\nPICNIC=0\nORBX=1\nTIMER=1\n"
                                 "[TCP/IP]\nIP=127.0.0.1\n")
                      .arg(sim_->pty())
                      .toUtf8());
        ini.close();

        Form1& form = station_->form;
        form.Form_Load();
        form.publish_station();  // the bridge answers trackers through it
        form.show();
        EXPECT_TRUE(station_->message_box.shown.isEmpty())
            << station_->message_box.shown.join(u'|').toStdString();
        EXPECT_TRUE(station_->serial.port_open());
        // The settings asked for a 1 s cycle; the test runs each cycle itself from here on.
        EXPECT_TRUE(form.Timer1.isActive());
        EXPECT_EQ(form.Timer1.interval(), 1000);
        form.Timer1.stop();
        // The start-up poll is answered with the parked position.
        (void)QTest::qWaitFor([&] { return form.state().antenna_azimuth == 200; }, 3000);
        EXPECT_EQ(form.state().antenna_azimuth, 200);
        EXPECT_EQ(form.state().antenna_elevation, 10);
        // The link is up: its lamp is lit and automatic tracking may start.
        EXPECT_EQ(Form1::back_colour(form.Label1[0]), Form1::lamp_on());
        EXPECT_TRUE(form.Command2->isEnabled());
        return *station_;
    }

    // The exit button: link ended, port closed after its pause, settings kept.
    void shut_down() {
        if (station_->program_end.ended()) return;
        station_->form.Command3_Click();
        EXPECT_EQ(station_->program_end.ends, 1);
        EXPECT_FALSE(station_->serial.port_open());
    }

    // Cycles until the antenna stands where the last move command sent it.
    std::optional<Move> track_until_arrived(Form1& form, int limit_ms) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (elapsed.elapsed() < limit_ms) {
            cycle(form);
            const auto move = last_move(logged_commands(sim_log()));
            if (move && int(form.state().antenna_azimuth) == move->azimuth &&
                int(form.state().antenna_elevation) == move->elevation) {
                std::printf("[ timing ] arrived at %03d/%03d after %lld ms\n", move->azimuth,
                            move->elevation, static_cast<long long>(elapsed.elapsed()));
                return move;
            }
        }
        return std::nullopt;
    }

    QString sim_log() const { return dir_.filePath(QStringLiteral("gs232b.log")); }

    // A cycle, keeping the longest time one held the window.
    void cycle(Form1& form) { longest_cycle_ms_ = std::max(longest_cycle_ms_, tick(form)); }

    QTemporaryDir dir_;
    support::Bridge bridge_;
    std::unique_ptr<simtest::SimProcess> sim_;
    std::unique_ptr<Station> station_;
    qint64 longest_cycle_ms_ = 0;
};

TEST_F(BridgeStation, TrackerPositionReachesTheAntenna) {
    ASSERT_NO_FATAL_FAILURE(start_processes({35.6895, 139.6917, 40}));
    Station& station = load_station();
    Form1& form = station.form;
    ASSERT_TRUE(form.Option1->isChecked());
    form.Command2->click();
    ASSERT_TRUE(form.state().auto_tracking);

    for (int i = 0; i < 3; ++i) cycle(form);
    EXPECT_EQ(form.Text4->text(), QStringLiteral("---"));
    QStringList commands = logged_commands(sim_log());
    EXPECT_FALSE(last_move(commands)) << commands.join(u'|').toStdString();
    EXPECT_GE(commands.count(QStringLiteral("C2")), 4);

    QTcpSocket tracker;
    tracker.connectToHost(QHostAddress::LocalHost, bridge_.port());
    tracker.write("P 123.4 45.6\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return tracker.canReadLine(); }, 3000));
    EXPECT_EQ(tracker.readLine(), "RPRT 0\n");

    const auto arrived = track_until_arrived(form, 20000);
    ASSERT_TRUE(arrived) << "antenna at " << form.state().antenna_azimuth << "/"
                         << form.state().antenna_elevation;
    EXPECT_EQ(arrived->azimuth, 123);
    EXPECT_EQ(arrived->elevation, 45);
    EXPECT_EQ(form.Text3->text(), QStringLiteral("123.4"));
    EXPECT_EQ(form.Text4->text(), QStringLiteral("45.6"));
    EXPECT_EQ(form.Label5->text(), QStringLiteral("W123 045\r"));
    commands = logged_commands(sim_log());
    EXPECT_TRUE(commands.contains(QStringLiteral("W123 045")));
    for (const QString& command : commands) {
        if (command.startsWith(u'W')) {
            EXPECT_EQ(command, QStringLiteral("W123 045"));
        }
    }

    shut_down();
    EXPECT_EQ(station.ini(QStringLiteral("EISEI"), QStringLiteral("SAT")), QStringLiteral("0"));
}

TEST_F(BridgeStation, MoonAboveTheHorizonIsTracked) {
    const MoonView view = station_seeing_moon_at(45);
    ASSERT_GT(view.moon.elevation, 10) << "no station on the grid sees the Moon high enough";
    ASSERT_NO_FATAL_FAILURE(start_processes(view.observer));
    ASSERT_GT(numeric_value(bus_item(QStringLiteral("text11"))), 10)
        << "the bridge's Moon is not where its own astronomy put it";
    Station& station = load_station();
    Form1& form = station.form;
    form.Option2->click();
    EXPECT_EQ(station.module.target_kind, QStringLiteral("1"));
    EXPECT_TRUE(form.Text15->isVisible());
    form.Command2->click();
    ASSERT_TRUE(form.state().auto_tracking);

    const auto arrived = track_until_arrived(form, 25000);
    ASSERT_TRUE(arrived) << "antenna at " << form.state().antenna_azimuth << "/"
                         << form.state().antenna_elevation;
    const double azimuth = numeric_value(bus_item(QStringLiteral("text10")));
    const double elevation = numeric_value(bus_item(QStringLiteral("text11")));
    // The Moon moves a fraction of a degree while the antenna travels.
    EXPECT_LE(std::abs(arrived->azimuth - std::floor(azimuth)), 1)
        << arrived->azimuth << " vs " << azimuth;
    EXPECT_LE(std::abs(arrived->elevation - std::floor(elevation)), 1)
        << arrived->elevation << " vs " << elevation;
    EXPECT_EQ(form.Label5->text(), QStringLiteral("W%1 %2\r")
                                       .arg(arrived->azimuth, 3, 10, QChar(u'0'))
                                       .arg(arrived->elevation, 3, 10, QChar(u'0')));

    shut_down();
    EXPECT_EQ(station.ini(QStringLiteral("EISEI"), QStringLiteral("SAT")), QStringLiteral("1"));
}

TEST_F(BridgeStation, MoonBelowTheHorizonLeavesTheAntennaAlone) {
    const MoonView view = station_seeing_moon_at(-45);
    ASSERT_LT(view.moon.elevation, -10) << "no station on the grid has the Moon set";
    ASSERT_NO_FATAL_FAILURE(start_processes(view.observer));
    Station& station = load_station();
    Form1& form = station.form;
    form.Option2->click();
    form.Command2->click();
    ASSERT_TRUE(form.state().auto_tracking);

    for (int i = 0; i < 5; ++i) cycle(form);
    EXPECT_LT(numeric_value(form.Text15->text()), -10) << form.Text15->text().toStdString();
    const QStringList commands = logged_commands(sim_log());
    EXPECT_FALSE(last_move(commands)) << commands.join(u'|').toStdString();
    EXPECT_GE(commands.count(QStringLiteral("C2")), 6);  // still watched on every cycle
    EXPECT_TRUE(form.Label5->text().isEmpty());
    EXPECT_EQ(form.state().antenna_azimuth, 200);
    EXPECT_EQ(form.state().antenna_elevation, 10);
}

}  // namespace

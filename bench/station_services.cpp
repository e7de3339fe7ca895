#include "station_services.h"

#include <QDir>
#include <QFile>

#include "platform/board_control_tcp.h"
#include "platform/clock_system.h"
#include "platform/dde_client_dbus.h"
#include "platform/help_viewer_none.h"
#include "platform/instance_guard_lock.h"
#include "platform/profile_store_file.h"
#include "platform/program_end_qt.h"
#include "platform/serial_control_qt.h"
#include "thread_cpu.h"

namespace bench {

namespace {

class StationDir final : public platform::ProgramDir {
  public:
    explicit StationDir(QString path) : path_(std::move(path)) {}
    QString path() const override { return path_; }

  private:
    QString path_;
};

// The system clock, noting the CPU its sleeps are charged: waking a thread is not free, least
// of all on a virtual machine, and that cost belongs to the waits, not to the work around them.
class MeteredClock final : public platform::Clock {
  public:
    QDateTime now_local() override { return clock_.now_local(); }
    double monotonic_seconds() override { return clock_.monotonic_seconds(); }
    void sleep(double seconds) override {
        const double start = thread_cpu_us();
        clock_.sleep(seconds);
        sleep_cpu_us += thread_cpu_us() - start;
    }
    void run_events(double seconds) override { clock_.run_events(seconds); }

    double sleep_cpu_us = 0;

  private:
    platform::ClockSystem clock_;
};

class NotingMessageBox final : public platform::MessageBox {
  public:
    void show(const QString& text) override { shown.append(text); }
    void beep() override {}
    QStringList shown;
};

}  // namespace

struct StationServices::Parts {
    explicit Parts(const QString& dir)
        : program_dir(dir), instance_guard(QDir(dir).filePath(QStringLiteral("azelrot-bench"))) {}

    platform::ProfileStoreFile profile;
    StationDir program_dir;
    platform::SerialControlQt serial;
    // The serial station never sends through the board; should it ever, only to this host.
    platform::BoardControlTcp board{[] { return quint16(10001); }};
    platform::DdeClientDbus dde;
    MeteredClock clock;
    NotingMessageBox message_box;
    platform::InstanceGuardLock instance_guard;
    platform::HelpViewerNone help_viewer;
    platform::ProgramEndQt program_end;
};

StationServices::StationServices(const QString& station_dir)
    : parts_(std::make_unique<Parts>(station_dir)) {
    Parts& p = *parts_;
    services_ = std::make_unique<platform::Services>(
        platform::Services{p.serial, p.board, p.dde, p.profile, p.clock, p.message_box,
                           p.instance_guard, p.program_dir, p.help_viewer, p.program_end});
}

StationServices::~StationServices() = default;

const QStringList& StationServices::messages() const {
    return parts_->message_box.shown;
}

double StationServices::sleep_cpu_us() const {
    return parts_->clock.sleep_cpu_us;
}

bool write_station_settings(const QString& station_dir, const QString& device, int cycle_seconds) {
    QFile ini(QDir(station_dir).filePath(QStringLiteral("azelrot.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QString text = QStringLiteral(
                             "[GS232B]\nPORT=%1\nPICNIC=0\nORBX=0\nTIMER=%2\n"
                             "[TCP/IP]\nIP=127.0.0.1\n")
                             .arg(device)
                             .arg(cycle_seconds);
    return ini.write(text.toUtf8()) == text.toUtf8().size();
}

}  // namespace bench

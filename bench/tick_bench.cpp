// CPU of the periodic cycle while a manual move polls the controller over a serial line, and
// CPU burnt by the board pause. The main window runs with the real serial control against
// the controller simulator; only the clock around the two handlers is added. Prints
// "key value" lines.

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include "link/module1.h"
#include "main_window/form1.h"
#include "main_window/radar_geometry.h"
#include "station_services.h"
#include "thread_cpu.h"

namespace {

struct Tick {
    double timer_us = 0;    // Timer1_Timer
    double receive_us = 0;  // every serial event up to the next tick
    double wait_us = 0;     // charged while the two slept in their waits
    double receive_wall_us = 0;
    int replies = 0;
};

// Wraps the two handlers of one tick and gathers their CPU.
class TickMeter {
  public:
    TickMeter(Form1& form, const bench::StationServices& services, int warmup, int ticks)
        : form_(form), services_(services), warmup_(warmup), ticks_(ticks) {}

    void on_timer() {
        const int n = seen_++;
        if (n == warmup_) loop_start_us_ = bench::thread_cpu_us();
        if (n == warmup_ + ticks_) {
            loop_us_ = bench::thread_cpu_us() - loop_start_us_;
            QApplication::quit();
            return;
        }
        const double slept = services_.sleep_cpu_us();
        const double start = bench::thread_cpu_us();
        form_.Timer1_Timer();
        ticks_seen_.push_back(
            {bench::thread_cpu_us() - start, 0, services_.sleep_cpu_us() - slept, 0, 0});
    }

    void on_comm(int event) {
        const double wall = bench::monotonic_us();
        const double slept = services_.sleep_cpu_us();
        const double start = bench::thread_cpu_us();
        form_.MSComm1_OnComm();
        if (ticks_seen_.empty()) return;
        Tick& t = ticks_seen_.back();
        t.receive_us += bench::thread_cpu_us() - start;
        t.wait_us += services_.sleep_cpu_us() - slept;
        t.receive_wall_us += bench::monotonic_us() - wall;
        if (event == platform::comm_event::receive) ++t.replies;
    }

    // Ticks after the warm-up (the first reply creates the settings dialog, hidden).
    std::vector<Tick> measured() const {
        const auto from = std::min<std::size_t>(ticks_seen_.size(), warmup_);
        return {ticks_seen_.begin() + static_cast<std::ptrdiff_t>(from), ticks_seen_.end()};
    }
    double loop_us_per_tick() const { return ticks_ > 0 ? loop_us_ / ticks_ : 0; }

  private:
    Form1& form_;
    const bench::StationServices& services_;
    int warmup_;
    int ticks_;
    int seen_ = 0;
    double loop_start_us_ = 0;
    double loop_us_ = 0;
    std::vector<Tick> ticks_seen_;
};

double quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

double mean(const std::vector<double>& v) {
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

void put(const char* key, double value) {
    std::printf("%s %.3f\n", key, value);
}
void put_count(const char* key, std::size_t n) {
    std::printf("%s %zu\n", key, n);
}

// Picks a point west of the centre, halfway to the horizon (azimuth 270, elevation 45), and
// starts the manual move there: a long way round for a slow rotator.
bool start_manual_move(Form1& form) {
    const double w = form.Picture1->outer_width();
    const radar::Point c = radar::centre(w, form.Picture1->outer_height());
    form.Picture1_MouseDown(Qt::LeftButton, Qt::NoModifier, c.x - w / 4, c.y);
    if (!form.state().target_picked) return false;
    form.Command4_Click();
    return form.state().manual_tracking;
}

void report_ticks(const TickMeter& meter) {
    const auto ticks = meter.measured();
    std::vector<double> total, timer, receive, waits, wall;
    std::size_t one_reply = 0;
    for (const Tick& t : ticks) {
        total.push_back(t.timer_us + t.receive_us - t.wait_us);
        timer.push_back(t.timer_us);
        receive.push_back(t.receive_us);
        waits.push_back(t.wait_us);
        wall.push_back(t.receive_wall_us);
        if (t.replies == 1) ++one_reply;
    }
    put_count("ticks", ticks.size());
    put_count("ticks_with_one_reply", one_reply);
    put("tick_cpu_us_median", quantile(total, 0.5));
    put("tick_cpu_us_mean", mean(total));
    put("tick_cpu_us_p90", quantile(total, 0.9));
    put("tick_cpu_us_max", quantile(total, 1.0));
    put("timer_cpu_us_mean", mean(timer));
    put("receive_cpu_us_mean", mean(receive));
    put("wait_cpu_us_mean", mean(waits));
    put("receive_wall_ms_mean", mean(wall) / 1000);
    put("thread_cpu_us_per_tick", meter.loop_us_per_tick());
}

// Redraws of the shown radar alone, one every half second: the share of a tick that goes to
// drawing, cold as it is in the cycle (caches are cold again after a second of sleep). The
// antenna moves by a degree each time, as in the manual move: a redraw that repeats the last
// one costs next to nothing.
void report_redraws(Form1& form, int count) {
    form.Timer1.stop();
    std::vector<double> cpu;
    QTimer pacer;
    QObject::connect(&pacer, &QTimer::timeout, &form, [&] {
        form.state().antenna_azimuth += cpu.size() % 2 == 0 ? 1 : -1;
        const double start = bench::thread_cpu_us();
        form.draw_radar();
        cpu.push_back(bench::thread_cpu_us() - start);
        if (static_cast<int>(cpu.size()) >= count) QApplication::quit();
    });
    pacer.start(500);
    QApplication::exec();
    put("redraw_cpu_us_median", quantile(cpu, 0.5));
}

// The board pause, five times, beside a bare sleep of the same length: what the kernel
// charges a thread for going to sleep and waking up is the floor the pause cannot go below.
void report_wait_busy(Module1& module) {
    std::vector<double> cpu, wall, bare;
    for (int i = 0; i < 5; ++i) {
        const double w = bench::monotonic_us();
        const double c = bench::thread_cpu_us();
        module.wait_busy(0.3F);
        cpu.push_back(bench::thread_cpu_us() - c);
        wall.push_back(bench::monotonic_us() - w);
        const double b = bench::thread_cpu_us();
        const timespec pause{0, 300'000'000};
        nanosleep(&pause, nullptr);
        bare.push_back(bench::thread_cpu_us() - b);
    }
    put("wait_busy_cpu_us_max", quantile(cpu, 1.0));
    put("wait_busy_wall_ms_mean", mean(wall) / 1000);
    put("bare_sleep_cpu_us_max", quantile(bare, 1.0));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption device({QStringLiteral("device")},
                                    QStringLiteral("Serial device of the controller."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption station({QStringLiteral("station")},
                                     QStringLiteral("Empty folder for the settings file."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption ticks({QStringLiteral("ticks")},
                                   QStringLiteral("Ticks measured (default 40)."),
                                   QStringLiteral("N"), QStringLiteral("40"));
    const QCommandLineOption warmup({QStringLiteral("warmup")},
                                    QStringLiteral("Ticks not measured first (default 3)."),
                                    QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption interval({QStringLiteral("interval-ms")},
                                      QStringLiteral("Cycle instead of the 1 s one (profiling)."),
                                      QStringLiteral("MS"));
    const QCommandLineOption redraws({QStringLiteral("redraws")},
                                     QStringLiteral("Radar redraws measured alone (default 20)."),
                                     QStringLiteral("N"), QStringLiteral("20"));
    parser.addOptions({device, station, ticks, warmup, interval, redraws});
    parser.process(app);
    if (!parser.isSet(device) || !parser.isSet(station)) parser.showHelp(2);

    const QString dir = parser.value(station);
    if (!bench::write_station_settings(dir, parser.value(device), 1)) {
        std::fprintf(stderr, "tick-bench: cannot write the settings in %s\n", qPrintable(dir));
        return 1;
    }
    bench::StationServices station_services(dir);
    platform::Services& services = station_services.services();
    Module1 module(services);
    Form1 form(module, services);
    form.Form_Load();
    if (!station_services.messages().isEmpty() || services.program_end.ended()) {
        std::fprintf(stderr, "tick-bench: start-up failed: %s\n",
                     qPrintable(station_services.messages().join(u" / ")));
        return 1;
    }
    form.show();

    if (parser.isSet(interval)) form.set_timer_interval(parser.value(interval).toInt());
    TickMeter meter(form, station_services, parser.value(warmup).toInt(),
                    parser.value(ticks).toInt());
    services.serial.set_on_comm([&] { meter.on_comm(services.serial.comm_event()); });
    QObject::disconnect(&form.Timer1, &QTimer::timeout, &form, &Form1::Timer1_Timer);
    QObject::connect(&form.Timer1, &QTimer::timeout, &form, [&] { meter.on_timer(); });
    if (!start_manual_move(form)) {
        std::fprintf(stderr, "tick-bench: the manual move did not start\n");
        return 1;
    }

    QApplication::exec();
    std::printf("qt_version %s\n", qVersion());
    report_ticks(meter);
    put_count("manual_move_running", form.state().manual_tracking ? 1 : 0);
    report_redraws(form, std::max(1, parser.value(redraws).toInt()));
    report_wait_busy(module);
    if (!station_services.messages().isEmpty()) {
        std::fprintf(stderr, "tick-bench: message shown: %s\n",
                     qPrintable(station_services.messages().join(u" / ")));
        return 1;
    }
    return 0;
}

// Time of one radar redraw, with every marker on the picture (the busiest drawing).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "link/module1.h"
#include "main_window/form1.h"
#include "main_window/radar_geometry.h"
#include "station_services.h"

namespace {

void show_everything(Module1& module, Form1& form) {
    module.orbx_link = QStringLiteral("1");  // the Moon marker shows only with the link on
    form.show_tracking_value(TrackingItem::satellite_azimuth, QStringLiteral("123.4"));
    form.show_tracking_value(TrackingItem::satellite_elevation, QStringLiteral("45.6"));
    form.show_tracking_value(TrackingItem::moon_azimuth, QStringLiteral("200.5"));
    form.show_tracking_value(TrackingItem::moon_elevation, QStringLiteral("30.2"));
    form.state().antenna_azimuth = 100;
    form.state().antenna_elevation = 20;
    const radar::Point c =
        radar::centre(form.Picture1->outer_width(), form.Picture1->outer_height());
    form.state().target_picked = true;
    form.state().picked_x = c.x + 500;
    form.state().picked_y = c.y - 300;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

    const QTemporaryDir station;
    bench::StationServices station_services(station.path());
    Module1 module(station_services.services());
    Form1 form(module, station_services.services());
    show_everything(module, form);
    // Shown, as in the program, so that asking for a repaint costs what it costs there.
    form.show();
    QApplication::processEvents();

    // The antenna moves between redraws, as it does while the rotator turns.
    benchmark::RegisterBenchmark("draw_radar", [&form](benchmark::State& state) {
        double step = 1;
        for (auto _ : state) {
            form.state().antenna_azimuth += step;
            step = -step;
            form.draw_radar();
        }
    })->Unit(benchmark::kMicrosecond);
    // Nothing moved since the last redraw.
    benchmark::RegisterBenchmark("draw_radar_unchanged", [&form](benchmark::State& state) {
        for (auto _ : state) form.draw_radar();
    })->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <cstdio>

#include "bridge_options.h"
#include "conversation.h"
#include "rotctl_server.h"
#include "station_client.h"
#include "track_items.h"

namespace {

int fail(const QString& text) {
    std::fprintf(stderr, "track-bridge: %s\n", qPrintable(text));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(qPrintable(track_bridge::usage_text()), stdout);
        return 0;
    }
    const auto parsed = track_bridge::parse_options(arguments);
    if (const auto* error = std::get_if<QString>(&parsed)) {
        return fail(*error + QStringLiteral(" (see --help)"));
    }
    const auto& options = std::get<track_bridge::Options>(parsed);

    track_bridge::TrackItems items(options.observer);
    track_bridge::RotctlServer server(items);
    if (!server.listen(options.listen)) {
        return fail(QStringLiteral("cannot listen on %1:%2: %3")
                        .arg(options.listen.address.toString())
                        .arg(options.listen.port)
                        .arg(server.error_text()));
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return fail(QStringLiteral("no session bus: %1").arg(bus.lastError().message()));
    }
    // The main program's station, when it runs: the position trackers see, and what moves.
    // Read before the tracking link's name is claimed, so the main program is never waiting on
    // the bridge while the bridge waits on it.
    track_bridge::StationClient station(bus);
    station.look_now();
    const bool default_observer = !options.position_given;
    server.set_station(
        {[&station, default_observer] {
             track_bridge::StationLink link = station.link();
             link.default_observer = default_observer;
             return link;
         },
         [&station](const track_bridge::StationCall& what, std::function<void(int)> done) {
             station.call(what, std::move(done));
         }});

    track_bridge::Conversation conversation(items);
    if (!bus.registerObject(QLatin1String(track_bridge::Conversation::kPath), &conversation,
                            QDBusConnection::ExportAllSlots)) {
        return fail(QStringLiteral("cannot publish %1").arg(track_bridge::Conversation::kPath));
    }
    if (!bus.registerService(QLatin1String(track_bridge::Conversation::kService))) {
        return fail(QStringLiteral("the name %1 is taken (is another bridge running?)")
                        .arg(track_bridge::Conversation::kService));
    }

    if (default_observer) {
        std::fprintf(stderr, "track-bridge: warning: %s, %.4f N %.4f E %.0f m\n",
                     track_bridge::kDefaultObserverWarning, options.observer.latitude,
                     options.observer.longitude, options.observer.altitude);
    }
    // Tests and scripts wait for this line: both ends are up once it is printed.
    std::printf("track-bridge: listening on %s:%u, publishing %s on the session bus\n",
                qPrintable(options.listen.address.toString()), unsigned(server.port()),
                track_bridge::Conversation::kService);
    std::fflush(stdout);
    return app.exec();
}

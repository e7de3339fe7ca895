#include "bridge_options.h"

#include <cmath>

namespace track_bridge {

std::optional<ListenAddress> parse_listen(const QString& text) {
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0) {
        return std::nullopt;
    }
    QString host = text.left(colon);
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535) {
        return std::nullopt;
    }
    if (host.startsWith(u'[') && host.endsWith(u']')) {
        host = host.mid(1, host.size() - 2);
    }
    QHostAddress address;
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) {
        address = QHostAddress(QHostAddress::LocalHost);
    } else if (!address.setAddress(host)) {
        return std::nullopt;
    }
    return ListenAddress{address, static_cast<quint16>(port)};
}

std::optional<double> parse_bounded(const QString& text, double low, double high) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::variant<Options, QString> parse_options(const QStringList& arguments) {
    Options options;
    struct Numeric {
        const char* flag;
        double* target;
        double low, high;
    };
    const Numeric numerics[] = {
        {"--lat", &options.observer.latitude, -90, 90},
        {"--lon", &options.observer.longitude, -180, 360},
        {"--alt", &options.observer.altitude, -500, 10000},
    };
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString flag = arguments[i];
        QString value;
        if (const qsizetype eq = flag.indexOf(u'='); flag.startsWith(u"--") && eq > 0) {
            value = flag.mid(eq + 1);
            flag = flag.left(eq);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return QStringLiteral("%1 needs a value").arg(flag);
        }
        if (flag == u"--listen") {
            const auto listen = parse_listen(value);
            if (!listen) {
                return QStringLiteral("--listen wants ADDR:PORT, not \"%1\"").arg(value);
            }
            options.listen = *listen;
            continue;
        }
        bool known = false;
        for (const Numeric& n : numerics) {
            if (flag == QLatin1String(n.flag)) {
                const auto number = parse_bounded(value, n.low, n.high);
                if (!number) {
                    return QStringLiteral("%1 wants a number from %2 to %3, not \"%4\"")
                        .arg(flag)
                        .arg(n.low)
                        .arg(n.high)
                        .arg(value);
                }
                *n.target = *number;
                given << flag;
                known = true;
            }
        }
        if (!known) {
            return QStringLiteral("unknown option %1").arg(flag);
        }
    }
    options.position_given =
        given.contains(QStringLiteral("--lat")) && given.contains(QStringLiteral("--lon"));
    options.observer.longitude = options.observer.longitude > 180 ? options.observer.longitude - 360
                                                                  : options.observer.longitude;
    return options;
}

QString usage_text() {
    return QStringLiteral(
        "Usage: track-bridge [--listen ADDR:PORT] [--lat DEG] [--lon DEG] [--alt M]\n"
        "\n"
        "Serves satellite trackers as a network rotator server (the rotctld protocol) and\n"
        "publishes what they command as the tracking link \"dde.ORBX\" on the session bus.\n"
        "\n"
        "  --listen ADDR:PORT  where trackers connect (default 127.0.0.1:4533; port 0 = any)\n"
        "  --lat DEG           station latitude, north positive (default 35.6895)\n"
        "  --lon DEG           station longitude, east positive (default 139.6917)\n"
        "  --alt M             station height above sea level, metres (default 40)\n"
        "  --help              this text\n"
        "\n"
        "Without --lat and --lon the Moon is computed for the default position: a warning\n"
        "says so at start and in \\dump_state.\n"
        "\n"
        "Behind the server is azelrot's station (org.azelrot.Station on the session bus):\n"
        "  p     the antenna position azelrot measured\n"
        "  P     the target is published (TEXT2/TEXT3), which azelrot follows while it tracks\n"
        "        automatically; otherwise azelrot is asked to move there\n"
        "  S, K  azelrot's stop and park\n"
        "Each answers RPRT 0 only when it was done; otherwise Hamlib's code for why:\n"
        "  -1   RIG_EINVAL    malformed or unknown command, angles outside the limits\n"
        "  -5   RIG_ETIMEOUT  azelrot did not answer within 1.5 s\n"
        "  -6   RIG_EIO       azelrot is not running, or cannot reach its controller\n"
        "  -9   RIG_ERJCTED   azelrot refused it (its settings dialog is open, ...)\n"
        "  -11  RIG_ENAVAIL   p only: azelrot has no measured position yet\n"
        "Limits: azimuth -180 to 450, elevation 0 to 90 degrees.\n"
        "\n"
        "Items: TEXT1 source, TEXT2/TEXT3 target azimuth/elevation (\"---\" while none is\n"
        "published: a target lasts 30 s after the last P and ends when the client that set it\n"
        "disconnects), TEXT4 time of the last target (UTC), TEXT5 its age in seconds, TEXT6 "
        "clients\n"
        "connected, TEXT7 targets received, text8 station, text9 time now (UTC), text10/text11\n"
        "the Moon's topocentric azimuth/elevation for the station, without refraction.\n");
}

}  // namespace track_bridge

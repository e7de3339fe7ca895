#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

#include "moon.h"

namespace track_bridge {

struct ListenAddress {
    QHostAddress address;
    quint16 port = 0;
};

struct Options {
    ListenAddress listen{QHostAddress(QHostAddress::LocalHost), 4533};
    Observer observer{35.6895, 139.6917, 40.0};
    // Both --lat and --lon were given; otherwise the Moon is computed for the default place.
    bool position_given = false;
};

// "ADDR:PORT" with a numeric address, "localhost" or "[v6]"; port 0 picks a free one.
std::optional<ListenAddress> parse_listen(const QString& text);
// A finite decimal number within [low, high].
std::optional<double> parse_bounded(const QString& text, double low, double high);

// The command line without the program name; an error text when a value does not fit.
std::variant<Options, QString> parse_options(const QStringList& arguments);

QString usage_text();

}  // namespace track_bridge

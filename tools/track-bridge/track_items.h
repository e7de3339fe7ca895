#pragma once

// The eleven values the tracking link publishes, kept apart from the bus and the sockets.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

#include "moon.h"
#include "rotctl_protocol.h"

namespace track_bridge {

class TrackItems {
  public:
    explicit TrackItems(const Observer& observer) : observer_(observer) {}

    // Item names as the main program asks for them, case included.
    static const QStringList& names();

    void client_connected(const QString& address);
    // The target that client set is withdrawn with it.
    void client_disconnected(const QString& address);
    void target_set(const Position& target, const QString& address, const QDateTime& utc);

    // A target is published this long after it was set; then, as before any, no number.
    static constexpr qint64 kTargetLifetimeMs = 30'000;

    // The item's text at `now`, or nothing for a name that is not an item.
    std::optional<QString> value(const QString& item, const QDateTime& now) const;

    int clients() const { return clients_; }

  private:
    Observer observer_;
    QString source_;
    int clients_ = 0;
    int targets_received_ = 0;
    std::optional<Position> target_;
    QString target_owner_;
    QDateTime target_time_;
};

// One decimal, never "-0.0".
QString one_decimal(double value);
// Azimuth in [0, 360) with one decimal, so every tracker convention reads the same.
QString azimuth_text(double azimuth);

}  // namespace track_bridge

#include "track_items.h"

#include <cmath>

namespace track_bridge {
namespace {

const QString kNone = QStringLiteral("---");

QString utc_text(const QDateTime& utc) {
    return utc.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace

const QStringList& TrackItems::names() {
    static const QStringList kNames{
        QStringLiteral("TEXT1"),  QStringLiteral("TEXT2"), QStringLiteral("TEXT3"),
        QStringLiteral("TEXT4"),  QStringLiteral("TEXT5"), QStringLiteral("TEXT6"),
        QStringLiteral("TEXT7"),  QStringLiteral("text8"), QStringLiteral("text9"),
        QStringLiteral("text10"), QStringLiteral("text11")};
    return kNames;
}

QString one_decimal(double value) {
    QString text = QString::number(value, 'f', 1);
    return text == QStringLiteral("-0.0") ? QStringLiteral("0.0") : text;
}

QString azimuth_text(double azimuth) {
    const QString text = one_decimal(wrap_degrees(azimuth));
    return text == QStringLiteral("360.0") ? QStringLiteral("0.0") : text;
}

void TrackItems::client_connected(const QString& address) {
    ++clients_;
    source_ = QStringLiteral("gpredict ") + address;
}

void TrackItems::client_disconnected(const QString& address) {
    if (clients_ > 0) {
        --clients_;
    }
    if (target_ && address == target_owner_) {
        target_.reset();
    }
}

void TrackItems::target_set(const Position& target, const QString& address, const QDateTime& utc) {
    target_ = target;
    target_owner_ = address;
    target_time_ = utc;
    ++targets_received_;
    source_ = QStringLiteral("gpredict ") + address;
}

std::optional<QString> TrackItems::value(const QString& item, const QDateTime& now) const {
    const int index = names().indexOf(item);
    if (index < 0) {
        return std::nullopt;
    }
    // Without a live target the angles hold no number, so the main program moves nothing on
    // them. A clock set back counts as expired too.
    const qint64 age_ms = target_time_.isValid() ? target_time_.msecsTo(now) : -1;
    const bool live = target_ && age_ms >= 0 && age_ms <= kTargetLifetimeMs;
    switch (index) {
        case 0:
            return source_.isEmpty() ? kNone : source_;
        case 1:
            return live ? azimuth_text(target_->azimuth) : kNone;
        case 2:
            return live ? one_decimal(target_->elevation) : kNone;
        case 3:
            return target_time_.isValid() ? utc_text(target_time_) : kNone;
        case 4:
            return target_time_.isValid() ? QString::number(target_time_.secsTo(now)) : kNone;
        case 5:
            return QString::number(clients_);
        case 6:
            return QString::number(targets_received_);
        case 7:
            return QStringLiteral("%1 %2 %3")
                .arg(observer_.latitude, 0, 'f', 4)
                .arg(observer_.longitude, 0, 'f', 4)
                .arg(observer_.altitude, 0, 'f', 0);
        case 8:
            return utc_text(now);
        default: {
            const double jd = julian_day_from_unix(now.toMSecsSinceEpoch() / 1000.0);
            const Horizontal moon = moon_horizontal(jd, observer_);
            return index == 9 ? azimuth_text(moon.azimuth) : one_decimal(moon.elevation);
        }
    }
}

}  // namespace track_bridge

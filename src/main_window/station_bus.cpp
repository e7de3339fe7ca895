#include "main_window/station_bus.h"

#include <QDBusMessage>
#include <QVariantMap>

StationBus::StationBus(Controls controls, QObject* parent)
    : QObject(parent), controls_(std::move(controls)) {
    watch_.setInterval(200);
    connect(&watch_, &QTimer::timeout, this, &StationBus::look_for_changes);
}

StationBus::~StationBus() {
    if (!bus_) return;
    bus_->unregisterService(QLatin1String(service));
    bus_->unregisterObject(QLatin1String(path));
}

bool StationBus::publish(const QDBusConnection& bus) {
    if (!bus.isConnected()) return false;
    QDBusConnection b = bus;
    if (!b.registerObject(QLatin1String(path), this,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)) {
        return false;
    }
    if (!b.registerService(QLatin1String(service))) {
        b.unregisterObject(QLatin1String(path));
        return false;
    }
    bus_ = b;
    last_ = controls_.view();
    watch_.start();
    return true;
}

void StationBus::look_for_changes() {
    if (!bus_) return;
    const StationView now = controls_.view();
    if (now == last_) return;
    QVariantMap changed;
    if (now.azimuth != last_.azimuth) changed.insert(QStringLiteral("Azimuth"), now.azimuth);
    if (now.elevation != last_.elevation)
        changed.insert(QStringLiteral("Elevation"), now.elevation);
    if (now.position_known != last_.position_known)
        changed.insert(QStringLiteral("PositionKnown"), now.position_known);
    if (now.target_azimuth != last_.target_azimuth)
        changed.insert(QStringLiteral("TargetAzimuth"), now.target_azimuth);
    if (now.target_elevation != last_.target_elevation)
        changed.insert(QStringLiteral("TargetElevation"), now.target_elevation);
    if (now.state != last_.state) changed.insert(QStringLiteral("State"), now.state);
    if (now.link != last_.link) changed.insert(QStringLiteral("Link"), now.link);
    last_ = now;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(path), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(interface_name) << changed << QStringList();
    bus_->send(signal);
}

void StationBus::answer(const std::optional<Refusal>& refusal) {
    if (!refusal || !calledFromDBus()) return;
    sendErrorReply(QLatin1String(refusal->not_delivered ? not_delivered : refused),
                   refusal->message);
}

void StationBus::Stop() {
    answer(controls_.stop());
}

void StationBus::Park() {
    answer(controls_.park());
}

void StationBus::MoveTo(double azimuth, double elevation) {
    answer(controls_.move_to(azimuth, elevation));
}

void StationBus::PointTo(const QString& place, bool long_path) {
    answer(controls_.point_to(place, long_path));
}

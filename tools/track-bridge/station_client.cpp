#include "station_client.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace track_bridge {
namespace {

const QString properties_interface = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace

StationClient::StationClient(const QDBusConnection& bus, QObject* parent)
    : QObject(parent),
      bus_(bus),
      watcher_(QString::fromLatin1(kService), bus, QDBusServiceWatcher::WatchForOwnerChange) {
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                owner.isEmpty() ? vanished() : appeared();
            });
    bus_.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath), properties_interface,
                 QStringLiteral("PropertiesChanged"), this,
                 SLOT(properties_changed(QString, QVariantMap, QStringList)));
}

void StationClient::look_now(int timeout_ms) {
    QDBusConnectionInterface* daemon = bus_.interface();
    if (daemon == nullptr) return;
    const QDBusReply<bool> owned = daemon->isServiceRegistered(QString::fromLatin1(kService));
    if (!owned.isValid() || !owned.value()) {
        vanished();
        return;
    }
    QDBusMessage get =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       properties_interface, QStringLiteral("GetAll"));
    get << QString::fromLatin1(kInterface);
    const QDBusMessage reply = bus_.call(get, QDBus::Block, timeout_ms);
    link_.present = true;
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        take(qdbus_cast<QVariantMap>(reply.arguments().first()));
    }
}

void StationClient::appeared() {
    link_.present = true;
    QDBusMessage get =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       properties_interface, QStringLiteral("GetAll"));
    get << QString::fromLatin1(kInterface);
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(get, 1000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (reply.isValid()) take(reply.value());
        w->deleteLater();
    });
}

void StationClient::vanished() {
    link_ = {};
    known_ = false;
}

void StationClient::properties_changed(const QString& interface, const QVariantMap& changed,
                                       const QStringList&) {
    if (interface != QLatin1String(kInterface)) return;
    link_.present = true;
    take(changed);
}

void StationClient::take(const QVariantMap& properties) {
    if (properties.contains(QStringLiteral("PositionKnown")))
        known_ = properties.value(QStringLiteral("PositionKnown")).toBool();
    if (properties.contains(QStringLiteral("Azimuth")))
        antenna_.azimuth = properties.value(QStringLiteral("Azimuth")).toDouble();
    if (properties.contains(QStringLiteral("Elevation")))
        antenna_.elevation = properties.value(QStringLiteral("Elevation")).toDouble();
    link_.antenna = known_ ? std::optional<Position>(antenna_) : std::nullopt;
}

void StationClient::send(const QString& method) {
    if (!link_.present) return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), method);
    bus_.asyncCall(call, 2000);
}

}  // namespace track_bridge

#include "station_client.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace track_bridge {
namespace {

const QString properties_interface = QStringLiteral("org.freedesktop.DBus.Properties");

// Trackers give up on an answer after a few seconds; a later one would be read as the next.
constexpr int kCallTimeoutMs = 1500;

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
    if (properties.contains(QStringLiteral("State")))
        link_.state = properties.value(QStringLiteral("State")).toString().toStdString();
    // A station that says nothing of its link is taken as reaching its controller.
    if (properties.contains(QStringLiteral("Link")))
        link_.link_up = properties.value(QStringLiteral("Link")).toString() == u"up";
}

void StationClient::call(const StationCall& what, std::function<void(int)> done) {
    const QString method = what.kind == StationCall::Kind::move_to ? QStringLiteral("MoveTo")
                           : what.kind == StationCall::Kind::stop  ? QStringLiteral("Stop")
                                                                   : QStringLiteral("Park");
    QDBusMessage message =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), method);
    if (what.kind == StationCall::Kind::move_to) message << what.to.azimuth << what.to.elevation;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(message, kCallTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [done = std::move(done)](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                done(w->isError() ? failure_code(w->error().name().toStdString()) : rprt::ok);
            });
}

}  // namespace track_bridge

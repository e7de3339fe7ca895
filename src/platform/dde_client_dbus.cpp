#include "platform/dde_client_dbus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

#include "platform/control_error.h"

namespace platform {

namespace {

bool is_name_char(QChar c, bool allow_dash) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || (allow_dash && c == u'-');
}

// One element of a bus name ("ORBX") or of an object path ("EXTRN").
bool is_element(const QString& s, bool bus_name) {
    if (s.isEmpty()) return false;
    if (bus_name && s.front().isDigit()) return false;
    for (QChar c : s) {
        if (!is_name_char(c, bus_name)) return false;
    }
    return true;
}

bool is_timeout(const QDBusError& error) {
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ||
           error.type() == QDBusError::TimedOut;
}

[[noreturn]] void fail(const QString& why) {
    throw ControlError(why.toStdString());
}

}  // namespace

std::optional<DbusEndpoint> dbus_endpoint(const QString& topic) {
    const qsizetype bar = topic.indexOf(u'|');
    if (bar < 0) return std::nullopt;
    const QString service = topic.left(bar);
    const QString name = topic.mid(bar + 1);
    if (!is_element(service, true) || !is_element(name, false)) return std::nullopt;
    // Bus names are limited to 255 characters.
    if (service.size() > 255 - 4) return std::nullopt;
    return DbusEndpoint{QStringLiteral("dde.") + service, QStringLiteral("/") + name};
}

DdeClientDbus::DdeClientDbus(std::optional<QString> bus_address, DbusTiming timing)
    : bus_address_(std::move(bus_address)),
      timing_(timing),
      connection_name_(
          QStringLiteral("azelrot-dde-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)) {}

DdeClientDbus::~DdeClientDbus() {
    if (connection_) {
        connection_.reset();
        QDBusConnection::disconnectFromBus(connection_name_);
    }
}

// A private connection, made when first needed and made again after the bus went away.
QDBusConnection& DdeClientDbus::connection() {
    if (connection_ && connection_->isConnected()) return *connection_;
    if (connection_) {
        connection_.reset();
        QDBusConnection::disconnectFromBus(connection_name_);
    }
    connection_ =
        bus_address_ ? QDBusConnection::connectToBus(*bus_address_, connection_name_)
                     : QDBusConnection::connectToBus(QDBusConnection::SessionBus, connection_name_);
    return *connection_;
}

void DdeClientDbus::check_not_held_off(const QString& service) const {
    const auto it = timed_out_.constFind(service);
    if (it != timed_out_.constEnd() && !it->hasExpired(timing_.hold_off_ms))
        fail(QStringLiteral("%1 did not answer a moment ago").arg(service));
}

void DdeClientDbus::note_timeout(const QString& service) {
    timed_out_[service].start();
}

void DdeClientDbus::link_setup(const QString& box, const QString& topic, const QString& item) {
    links_.remove(box);
    const auto endpoint = dbus_endpoint(topic);
    if (!endpoint) fail(QStringLiteral("no bus name for topic %1").arg(topic));
    check_not_held_off(endpoint->service);

    QDBusConnection& bus = connection();
    if (!bus.isConnected())
        fail(QStringLiteral("no session bus: %1").arg(bus.lastError().message()));
    QDBusConnectionInterface* daemon = bus.interface();
    if (daemon == nullptr) fail(QStringLiteral("session bus has no daemon interface"));
    daemon->setTimeout(timing_.timeout_ms);
    const QDBusReply<bool> registered = daemon->isServiceRegistered(endpoint->service);
    if (!registered.isValid()) fail(registered.error().message());
    if (!registered.value()) fail(QStringLiteral("%1 is not running").arg(endpoint->service));

    links_.insert(box, Link{*endpoint, item});
}

QString DdeClientDbus::request(const QString& box) {
    const auto it = links_.constFind(box);
    if (it == links_.constEnd()) fail(QStringLiteral("%1 has no link").arg(box));
    const Link link = *it;
    check_not_held_off(link.endpoint.service);
    if (!connection_ || !connection_->isConnected()) fail(QStringLiteral("bus connection lost"));

    QDBusMessage call = QDBusMessage::createMethodCall(link.endpoint.service, link.endpoint.path,
                                                       QString::fromLatin1(dde_interface),
                                                       QStringLiteral("Request"));
    call << link.item;
    const QString& service = link.endpoint.service;
    int wait_ms = timing_.timeout_ms;
    bool cut_short = false;  // given less than the full timeout: slow, not proven hung
    if (batch_depth_ > 0 && batch_requests_++ > 0) {
        const qint64 left = batch_budget_ms_ - batch_started_.elapsed();
        // Cut off, it would keep a program that answers one request at a time busy into the
        // next batch, and that batch's first answer would come late by as much.
        if (left <= 0 || left < answer_ms_.value(service, 0)) {
            throw OutOfTime(QStringLiteral("%1 %2: no time left in this batch")
                                .arg(box, link.item)
                                .toStdString());
        }
        if (left < wait_ms) {
            wait_ms = static_cast<int>(left);
            cut_short = true;
        }
    }
    QElapsedTimer took;
    took.start();
    const QDBusMessage reply = connection_->call(call, QDBus::Block, wait_ms);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        cut_short_.remove(service);
        answer_ms_.insert(service, took.elapsed());
    } else {
        const QDBusError error(reply);
        const QString why = QStringLiteral("%1 %2: %3").arg(box, link.item, error.message());
        if (is_timeout(error)) {
            if (cut_short) {
                cut_short_.insert(service);
                throw OutOfTime(why.toStdString());
            }
            if (!cut_short_.remove(service)) note_timeout(service);
        }
        fail(why);
    }
    const QList<QVariant> args = reply.arguments();
    if (args.size() != 1 || args.front().typeId() != QMetaType::QString)
        fail(QStringLiteral("%1 %2: answer is not one text").arg(box, link.item));
    return args.front().toString();
}

void DdeClientDbus::end_link(const QString& box) {
    links_.remove(box);
}

void DdeClientDbus::begin_batch(int budget_ms) {
    if (batch_depth_++ > 0) return;
    batch_budget_ms_ = budget_ms;
    batch_requests_ = 0;
    batch_started_.start();
}

void DdeClientDbus::end_batch() {
    if (batch_depth_ > 0) --batch_depth_;
}

}  // namespace platform

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QVariantMap>
#include <functional>

#include "rotctl_protocol.h"

namespace track_bridge {

// Watches the main program's station on the session bus: whether it is there, what it does,
// and the antenna position it measured. Calls to it are answered with a report code.
class StationClient : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kService = "org.azelrot.Station";
    static constexpr const char* kPath = "/org/azelrot/Station";
    static constexpr const char* kInterface = "org.azelrot.Station";

    explicit StationClient(const QDBusConnection& bus, QObject* parent = nullptr);

    // Asks the bus whether the station is there and reads it, waiting at most `timeout_ms`.
    void look_now(int timeout_ms = 1000);
    StationLink link() const { return link_; }
    // `done` gets 0 once the station took the call, else the code for why not; never before
    // this returns.
    void call(const StationCall& what, std::function<void(int)> done);

  private slots:
    void properties_changed(const QString& interface, const QVariantMap& changed,
                            const QStringList& invalidated);

  private:
    void appeared();
    void vanished();
    void take(const QVariantMap& properties);

    QDBusConnection bus_;
    QDBusServiceWatcher watcher_;
    StationLink link_;
    bool known_ = false;
    Position antenna_;
};

}  // namespace track_bridge

#pragma once

// The two programs that serve tracking values on the session bus as "dde.ORBX": the
// tracking-program simulator and the bridge from a network rotator client.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "support/child.h"

namespace support {

// True while some program owns "dde.ORBX" on the session bus.
bool tracking_name_owned();
// Waits until the name is free again for whoever comes next; false after `ms`.
bool wait_tracking_name_released(int ms = 3000);
// An item as any bus client reads it; an error text when the request fails.
QString bus_item(const QString& item);

// The tracking-program simulator, ready once it owns its name; killed when this goes away.
class TrackingProgram {
  public:
    explicit TrackingProgram(const QStringList& args = {});
    ~TrackingProgram() { kill(); }
    TrackingProgram(const TrackingProgram&) = delete;
    TrackingProgram& operator=(const TrackingProgram&) = delete;

    bool ready() const { return ready_; }
    Child& child() { return child_; }
    // Kills it and waits until its bus name is free again.
    void kill();

  private:
    Child child_;
    bool ready_ = false;
};

// The bridge listening on a free port of 127.0.0.1.
class Bridge {
  public:
    // `args` after the listening address (observer, ...); true once it printed its port.
    bool start(const QStringList& args);
    // As Ctrl-C or a service manager stops it; true once it ended by itself and its bus name
    // is free again.
    bool stop();
    ~Bridge() { stop(); }

    quint16 port() const { return port_; }
    bool running() { return child_.running(); }
    Child& child() { return child_; }

  private:
    Child child_;
    quint16 port_ = 0;
};

// Hamlib's network rotator client (rotctl -m 2) sending `commands` to the port.
struct RotctlRun {
    int exit_code = -1;
    QString output;
};
RotctlRun run_rotctl(quint16 port, const QByteArray& commands);

}  // namespace support

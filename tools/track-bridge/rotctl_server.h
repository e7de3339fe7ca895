#pragma once

#include <QObject>
#include <QTcpServer>

#include "bridge_options.h"
#include "rotctl_protocol.h"
#include "track_items.h"

class QTcpSocket;

namespace track_bridge {

// Serves tracker connections: each complete command line is answered in a single write,
// since trackers read one buffer per command without reassembly.
class RotctlServer : public QObject {
    Q_OBJECT
  public:
    explicit RotctlServer(TrackItems& items, QObject* parent = nullptr);

    bool listen(const ListenAddress& where);
    QString error_text() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }

  private:
    void accept_clients();
    void serve(QTcpSocket* socket, Session& session);

    TrackItems& items_;
    QTcpServer server_;
    Position target_;
};

}  // namespace track_bridge

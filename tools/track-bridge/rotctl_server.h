#pragma once

#include <QObject>
#include <QTcpServer>
#include <chrono>
#include <functional>
#include <vector>

#include "bridge_options.h"
#include "rotctl_protocol.h"
#include "track_items.h"

class QTcpSocket;

namespace track_bridge {

// What one client may cost the bridge, whatever it sends or fails to read.
struct ServerLimits {
    // More trackers than this at once is a runaway client, not a station.
    int max_clients = 16;
    // Replies queued for a client that does not read; past this its requests wait unread.
    qint64 max_queued_reply = 64 * 1024;
    // Requests taken from one client per turn, so every client gets its turn.
    qint64 read_chunk = 1024;
    // With every slot taken, a client without a command for this long gives way to a new one.
    std::chrono::milliseconds idle_before_eviction{10'000};
};

// The main program's station, when the bridge watches one: what it is seen as, and the calls
// it answers with a report code (0, or a negative one of rprt), once, later.
struct StationHooks {
    std::function<StationLink()> link;
    std::function<void(const StationCall&, std::function<void(int)>)> call;
};

// Serves tracker connections: each complete command line is answered in a single write,
// since trackers read one buffer per command without reassembly.
class RotctlServer : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<std::chrono::milliseconds()>;

    explicit RotctlServer(TrackItems& items, const ServerLimits& limits = {}, Clock clock = {},
                          QObject* parent = nullptr);

    bool listen(const ListenAddress& where);
    void set_station(StationHooks hooks) { station_ = std::move(hooks); }
    QString error_text() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }

    int clients() const { return int(clients_.size()); }
    // Bytes held for all clients, read but not served and served but not sent.
    qint64 buffered_bytes() const;

  private:
    class Client;

    void accept_clients();
    bool make_room();
    void serve(Client* client);
    void carry_out(Client* client, std::vector<Outcome> outcomes);
    void answered(Client* client, const std::string& prefix, int code);
    void queue_turn(Client* client);
    void drop(Client* client);
    StationLink link() const;

    TrackItems& items_;
    ServerLimits limits_;
    Clock clock_;
    QTcpServer server_;
    StationHooks station_;
    std::vector<Client*> clients_;
};

}  // namespace track_bridge

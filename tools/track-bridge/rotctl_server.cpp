#include "rotctl_server.h"

#include <QTcpSocket>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace track_bridge {
namespace {

QString peer_text(const QTcpSocket& socket) {
    return QStringLiteral("%1:%2").arg(socket.peerAddress().toString()).arg(socket.peerPort());
}

std::chrono::milliseconds steady_now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// A laptop that sleeps leaves its connection half open; the system default would wait two
// hours before probing it.
void keep_alive(QTcpSocket& socket) {
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    const int fd = int(socket.socketDescriptor());
    const int idle_s = 60, interval_s = 10, probes = 3;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle_s, sizeof idle_s);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval_s, sizeof interval_s);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#endif
}

}  // namespace

// Lives as long as its socket (its child), so queued turns never outlive it.
class RotctlServer::Client : public QObject {
  public:
    Client(QTcpSocket* s, QObject* parent) : QObject(parent), socket(s) { socket->setParent(this); }

    QTcpSocket* socket;
    Session session;
    QString peer;
    std::chrono::milliseconds last_heard{};
    bool turn_queued = false;
    bool gone = false;
};

RotctlServer::RotctlServer(TrackItems& items, const ServerLimits& limits, Clock clock,
                           QObject* parent)
    : QObject(parent),
      items_(items),
      limits_(limits),
      clock_(clock ? std::move(clock) : Clock(steady_now)),
      server_(this) {
    connect(&server_, &QTcpServer::newConnection, this, &RotctlServer::accept_clients);
}

bool RotctlServer::listen(const ListenAddress& where) {
    return server_.listen(where.address, where.port);
}

qint64 RotctlServer::buffered_bytes() const {
    qint64 total = 0;
    for (const Client* client : clients_) {
        total += client->socket->bytesAvailable() + client->socket->bytesToWrite();
    }
    return total;
}

void RotctlServer::accept_clients() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (!make_room()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* client = new Client(socket, this);
        client->peer = peer_text(*socket);
        client->last_heard = clock_();
        clients_.push_back(client);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        keep_alive(*socket);
        // Unread requests stay in the system's buffer, which pushes back on the client.
        socket->setReadBufferSize(4 * limits_.read_chunk);
        items_.client_connected(client->peer);

        connect(socket, &QTcpSocket::disconnected, client, [this, client] { drop(client); });
        connect(socket, &QTcpSocket::errorOccurred, client, [this, client] {
            if (client->socket->state() != QAbstractSocket::ConnectedState) {
                drop(client);
            }
        });
        connect(socket, &QTcpSocket::readyRead, client, [this, client] { serve(client); });
        connect(socket, &QTcpSocket::bytesWritten, client, [this, client] {
            if (client->socket->bytesAvailable() > 0) {
                queue_turn(client);
            }
        });
    }
}

// A full house admits the newcomer only in place of a client long without a command.
bool RotctlServer::make_room() {
    if (int(clients_.size()) < limits_.max_clients) {
        return true;
    }
    const auto idlest = std::min_element(
        clients_.begin(), clients_.end(),
        [](const Client* a, const Client* b) { return a->last_heard < b->last_heard; });
    if (idlest == clients_.end() ||
        clock_() - (*idlest)->last_heard < limits_.idle_before_eviction) {
        return false;
    }
    drop(*idlest);
    return true;
}

void RotctlServer::serve(Client* client) {
    client->turn_queued = false;
    QTcpSocket& socket = *client->socket;
    // A client that does not read its replies gets no more until it does; one waiting for the
    // station gets its next answer after that one.
    if (client->gone || client->session.waiting() ||
        socket.bytesToWrite() >= limits_.max_queued_reply) {
        return;
    }
    const QByteArray bytes = socket.read(limits_.read_chunk);
    if (bytes.isEmpty()) {
        return;
    }
    std::vector<Outcome> outcomes =
        client->session.feed({bytes.constData(), size_t(bytes.size())}, link());
    // Blank lines keep no slot.
    if (!outcomes.empty()) client->last_heard = clock_();
    carry_out(client, std::move(outcomes));
    if (!client->gone && socket.bytesAvailable() > 0) {
        queue_turn(client);
    }
}

void RotctlServer::carry_out(Client* client, std::vector<Outcome> outcomes) {
    QTcpSocket& socket = *client->socket;
    for (const Outcome& outcome : outcomes) {
        if (outcome.target) {
            items_.target_set(*outcome.target, client->peer, QDateTime::currentDateTimeUtc());
        }
        if (outcome.call) {
            // Answered on a later turn of the event loop, and not at all once the client is gone.
            auto done = [this, client, prefix = outcome.reply](int code) {
                QMetaObject::invokeMethod(
                    client, [this, client, prefix, code] { answered(client, prefix, code); },
                    Qt::QueuedConnection);
            };
            if (station_.call) {
                station_.call(*outcome.call, std::move(done));
            } else {
                done(rprt::io_error);
            }
            return;  // the session holds what follows
        }
        if (!outcome.reply.empty()) {
            socket.write(outcome.reply.data(), qint64(outcome.reply.size()));
            socket.flush();
        }
        if (outcome.close) {
            socket.disconnectFromHost();
        }
    }
}

void RotctlServer::answered(Client* client, const std::string& prefix, int code) {
    if (client->gone) return;
    const std::string reply = prefix + report(code);
    client->socket->write(reply.data(), qint64(reply.size()));
    client->socket->flush();
    carry_out(client, client->session.resume(link()));
    if (!client->gone && client->socket->bytesAvailable() > 0) {
        queue_turn(client);
    }
}

StationLink RotctlServer::link() const {
    return station_.link ? station_.link() : StationLink{};
}

// The rest of a client's requests waits behind every other client's events.
void RotctlServer::queue_turn(Client* client) {
    if (client->turn_queued || client->gone || client->session.closed() ||
        client->session.waiting()) {
        return;
    }
    client->turn_queued = true;
    QMetaObject::invokeMethod(
        client, [this, client] { serve(client); }, Qt::QueuedConnection);
}

void RotctlServer::drop(Client* client) {
    if (client->gone) {
        return;
    }
    client->gone = true;
    clients_.erase(std::find(clients_.begin(), clients_.end(), client));
    items_.client_disconnected(client->peer);
    client->socket->disconnect(client);
    client->socket->abort();
    client->deleteLater();
}

}  // namespace track_bridge

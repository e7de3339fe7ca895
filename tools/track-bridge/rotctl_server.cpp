#include "rotctl_server.h"

#include <QTcpSocket>
#include <memory>

namespace track_bridge {
namespace {

// More trackers than this at once is a runaway client, not a station.
constexpr int kMaxClients = 16;

QString peer_text(const QTcpSocket& socket) {
    return QStringLiteral("%1:%2").arg(socket.peerAddress().toString()).arg(socket.peerPort());
}

}  // namespace

RotctlServer::RotctlServer(TrackItems& items, QObject* parent)
    : QObject(parent), items_(items), server_(this) {
    connect(&server_, &QTcpServer::newConnection, this, &RotctlServer::accept_clients);
}

bool RotctlServer::listen(const ListenAddress& where) {
    return server_.listen(where.address, where.port);
}

void RotctlServer::accept_clients() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        if (items_.clients() >= kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        items_.client_connected(peer_text(*socket));
        // The count drops once per socket, whichever way the client went.
        connect(socket, &QObject::destroyed, this, [this] { items_.client_disconnected(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, [socket] {
            if (socket->state() != QAbstractSocket::ConnectedState) {
                socket->deleteLater();
            }
        });
        auto session = std::make_shared<Session>();
        connect(socket, &QTcpSocket::readyRead, socket,
                [this, socket, session] { serve(socket, *session); });
    }
}

void RotctlServer::serve(QTcpSocket* socket, Session& session) {
    const QByteArray bytes = socket->readAll();
    const QString peer = peer_text(*socket);
    for (const Outcome& outcome :
         session.feed({bytes.constData(), size_t(bytes.size())}, target_)) {
        if (outcome.target) {
            items_.target_set(*outcome.target, peer, QDateTime::currentDateTimeUtc());
        }
        if (!outcome.reply.empty()) {
            socket->write(outcome.reply.data(), qint64(outcome.reply.size()));
            socket->flush();
        }
        if (outcome.close) {
            socket->disconnectFromHost();
        }
    }
}

}  // namespace track_bridge

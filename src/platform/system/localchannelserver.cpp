#include "platform/system/localchannelserver.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

TLocalChannelServer::TLocalChannelServer(const QString &socketPath, QObject *parent)
    : QObject(parent), socketPath_(socketPath), server_(new QLocalServer(this))
{
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        if (handler_) acceptPending();
    });
}

TLocalChannelServer::~TLocalChannelServer()
{
    close();
}

bool TLocalChannelServer::listen()
{
    error_.clear();
    if (server_->isListening()) return true;
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) {
        error_ = server_->errorString();
        return false;
    }
    return true;
}

void TLocalChannelServer::close()
{
    server_->close();
    auto connections = std::move(connections_);
    connections_.clear();
    for (auto &entry : connections) {
        entry.first->disconnect(this);
        entry.first->abort();
        entry.first->deleteLater();
    }
}

bool TLocalChannelServer::isListening() const
{
    return server_->isListening();
}

void TLocalChannelServer::setHandler(THandler handler)
{
    handler_ = std::move(handler);
    if (handler_) acceptPending();
}

void TLocalChannelServer::acceptPending()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        auto connection = std::make_unique<TConnection>();
        connection->socket = socket;
        connection->serial = nextSerial_++;
        connections_.emplace(socket, std::move(connection));
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
        // Requests may have arrived while the connection waited in the queue.
        serve(socket);
    }
}

void TLocalChannelServer::serve(QLocalSocket *socket)
{
    auto found = connections_.find(socket);
    if (found == connections_.end()) return;
    TConnection *connection = found->second.get();
    // A handler running a nested event loop may see this socket signal again; the requests
    // stay in the buffer and are taken in order once the handler returns.
    connection->reader.append(socket->readAll());
    if (connection->busy) return;

    QPointer<TLocalChannelServer> self(this);
    const std::uint64_t serial = connection->serial;
    TLocalChannelRequest request;
    for (;;) {
        const auto result = connection->reader.next(request);
        if (result == TLocalChannelReader::NeedMore) break;
        if (result == TLocalChannelReader::Broken) {
            socket->abort();
            drop(socket);
            return;
        }
        connection->busy = true;
        const std::int32_t reply = handler_ ? handler_(request.code, request.text) : 0;
        // The handler may have closed the server or dropped this connection.
        if (!self) return;
        found = connections_.find(socket);
        if (found == connections_.end() || found->second->serial != serial) return;
        connection->busy = false;
        socket->write(EncodeLocalChannelReply(reply));
        socket->flush();
        connection->reader.append(socket->readAll());
    }
}

void TLocalChannelServer::drop(QLocalSocket *socket)
{
    auto found = connections_.find(socket);
    if (found == connections_.end()) return;
    connections_.erase(found);
    socket->disconnect(this);
    socket->deleteLater();
}

#include "news/localhttp.h"

#include <QTcpSocket>

namespace {

// Reads from the socket until the empty line that ends a request; then calls done once.
template <class F> void OnRequest(QTcpSocket *socket, F done)
{
    auto *buffer = new QByteArray;
    QObject::connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
    QObject::connect(socket, &QIODevice::readyRead, socket, [socket, buffer, done] {
        if (buffer->contains("\r\n\r\n")) return;
        buffer->append(socket->readAll());
        if (buffer->contains("\r\n\r\n")) done(*buffer);
    });
}

} // namespace

TLocalHttpServer::TLocalHttpServer()
{
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, &TLocalHttpServer::Serve);
}

QUrl TLocalHttpServer::Url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/brimware/tonaria_su.txt").arg(Port()));
}

void TLocalHttpServer::SetReply(const QByteArray &reply, TMode mode)
{
    reply_ = reply;
    mode_ = mode;
}

void TLocalHttpServer::Serve()
{
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        if (mode_ == TMode::CloseAtOnce) {
            socket->close();
            continue;
        }
        OnRequest(socket, [this, socket](const QByteArray &request) {
            Requests << request;
            if (mode_ == TMode::Stall) return;
            socket->write(reply_);
            socket->disconnectFromHost();
        });
    }
}

TLocalHttpProxy::TLocalHttpProxy()
{
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, &TLocalHttpProxy::Serve);
}

void TLocalHttpProxy::Serve()
{
    while (QTcpSocket *client = server_.nextPendingConnection()) {
        connect(client, &QAbstractSocket::disconnected, client, &QObject::deleteLater);
        OnRequest(client, [this, client](const QByteArray &request) {
            Requests << request;
            // "GET http://host:port/path HTTP/1.0": the origin gets "GET /path HTTP/1.0".
            const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
            const QUrl target(QString::fromLatin1(words.value(1)));
            auto *upstream = new QTcpSocket(client);
            connect(upstream, &QAbstractSocket::connected, upstream, [upstream, target] {
                upstream->write("GET " + target.path().toLatin1() +
                                " HTTP/1.0\r\nHost: " + target.authority().toLatin1() + "\r\n\r\n");
            });
            connect(upstream, &QIODevice::readyRead, client,
                    [upstream, client] { client->write(upstream->readAll()); });
            connect(upstream, &QAbstractSocket::disconnected, client,
                    [client] { client->disconnectFromHost(); });
            upstream->connectToHost(target.host(), quint16(target.port(80)));
        });
    }
}

QByteArray HttpReply(const QByteArray &status, const QByteArray &body)
{
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\n\r\n" + body;
}

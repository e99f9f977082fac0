#include "platform/system/localchannelclient.h"

#include "platform/system/localchannelframe.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

TLocalChannelClient::TLocalChannelClient() : socket_(std::make_unique<QLocalSocket>()) {}

TLocalChannelClient::~TLocalChannelClient()
{
    disconnectFromServer();
}

TLocalChannelClient::TConnectResult TLocalChannelClient::connectTo(const QString &socketPath,
                                                                   int timeoutMs)
{
    error_.clear();
    socket_->abort();
    socket_->connectToServer(socketPath);
    if (socket_->state() == QLocalSocket::ConnectedState || socket_->waitForConnected(timeoutMs))
        return Connected;
    error_ = socket_->errorString();
    const auto error = socket_->error();
    socket_->abort();
    if (error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError)
        return NoServer;
    return Failed;
}

std::optional<std::int32_t> TLocalChannelClient::send(std::uint32_t code, const QString &text,
                                                      int timeoutMs)
{
    error_.clear();
    const QByteArray request = EncodeLocalChannelRequest(code, text);
    if (request.isEmpty()) {
        error_ = QStringLiteral("The text is too long to be sent");
        return std::nullopt;
    }
    if (socket_->state() != QLocalSocket::ConnectedState) {
        error_ = QStringLiteral("Not connected");
        return std::nullopt;
    }
    const QDeadlineTimer deadline(timeoutMs);
    socket_->write(request);
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            error_ = socket_->errorString();
            return std::nullopt;
        }
    }
    while (socket_->bytesAvailable() < LocalChannelReplyBytes) {
        if (deadline.hasExpired() ||
            !socket_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            error_ = socket_->state() == QLocalSocket::ConnectedState
                         ? QStringLiteral("No answer in time")
                         : QStringLiteral("The connection was closed");
            return std::nullopt;
        }
    }
    return DecodeLocalChannelReply(socket_->read(LocalChannelReplyBytes));
}

void TLocalChannelClient::disconnectFromServer()
{
    if (!socket_) return;
    if (socket_->state() == QLocalSocket::ConnectedState) {
        socket_->disconnectFromServer();
        if (socket_->state() != QLocalSocket::UnconnectedState) socket_->waitForDisconnected(100);
    }
    socket_->abort();
}

bool TLocalChannelClient::isConnected() const
{
    return socket_->state() == QLocalSocket::ConnectedState;
}

#include "news/httpclient.h"

#include <QNetworkProxy>
#include <QTcpSocket>

QString HttpStateName(THttpState state)
{
    switch (state) {
    case THttpState::Ready:
        return QStringLiteral("Ready");
    case THttpState::NotConnected:
        return QStringLiteral("Not connected");
    case THttpState::Connected:
        return QStringLiteral("Connected");
    case THttpState::DnsLookupInitiating:
        return QStringLiteral("DNS Lookup - Initiating");
    case THttpState::DnsLookupDone:
        return QStringLiteral("DNS Lookup - Done");
    case THttpState::WaitingForHeader:
        return QStringLiteral("Waiting for Header");
    case THttpState::WaitingForBody:
        return QStringLiteral("Waiting for Body");
    case THttpState::Aborting:
        return QStringLiteral("Aborting");
    }
    return {};
}

namespace {

QString FailureText(THttpResponseParser::TFailure failure, const THttpResponseParser &parser)
{
    using F = THttpResponseParser::TFailure;
    switch (failure) {
    case F::None:
        break;
    case F::NoResponse:
        return QStringLiteral("The server closed the connection without an answer");
    case F::BadStatusLine:
        return QStringLiteral("The server's answer does not begin with an HTTP status line");
    case F::BadHeader:
        return QStringLiteral("The server's answer has a malformed or incomplete header");
    case F::TooLarge:
        return QStringLiteral("The document is larger than %1 bytes").arg(parser.Limits().MaxBody);
    case F::Truncated:
        return QStringLiteral("The connection ended before the whole document arrived");
    }
    return {};
}

THttpError FailureError(THttpResponseParser::TFailure failure)
{
    using F = THttpResponseParser::TFailure;
    switch (failure) {
    case F::None:
        return THttpError::None;
    case F::NoResponse:
        return THttpError::NoResponse;
    case F::BadStatusLine:
    case F::BadHeader:
        return THttpError::BadResponse;
    case F::TooLarge:
        return THttpError::TooLarge;
    case F::Truncated:
        return THttpError::Truncated;
    }
    return THttpError::BadResponse;
}

} // namespace

THttpClient::THttpClient(QObject *parent) : QObject(parent)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &THttpClient::TimedOut);
}

THttpClient::~THttpClient()
{
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
    }
}

void THttpClient::SetProxy(const QString &host, quint16 port, const QString &user,
                           const QString &password)
{
    proxyHost_ = host.trimmed();
    proxyPort_ = port;
    proxyUser_ = user;
    proxyPassword_ = password;
}

QString THttpClient::BusyText()
{
    return QStringLiteral("HTTP component is busy");
}

QByteArray THttpClient::RequestBytes(const QUrl &url) const
{
    QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty()) path = "/";
    if (url.hasQuery()) path += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    // The host as the URL names it: with its port when the URL gives one.
    const QByteArray host =
        url.adjusted(QUrl::RemoveUserInfo).authority(QUrl::FullyEncoded).toLatin1();
    QByteArray request;
    if (proxyHost_.isEmpty()) {
        request = "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\n";
    } else {
        request = "GET http://" + host + path + " HTTP/1.0\r\nHost: " + host + "\r\n";
        if (!proxyUser_.isEmpty())
            request += "Proxy-Authorization: Basic " +
                       (proxyUser_ + QLatin1Char(':') + proxyPassword_).toUtf8().toBase64() +
                       "\r\n";
    }
    return request + "\r\n";
}

bool THttpClient::Get(const QUrl &url)
{
    if (busy_) return false;
    busy_ = true;
    url_ = url;
    parser_ = THttpResponseParser(limits_);
    body_.clear();
    error_ = THttpError::None;
    errorText_.clear();
    receivingHeader_ = false;
    if (!url.isValid() || url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0 ||
        url.host().isEmpty()) {
        const QString text = QStringLiteral("Not an http URL: %1").arg(url.toString());
        QMetaObject::invokeMethod(
            this, [this, text] { End(THttpError::BadUrl, text); }, Qt::QueuedConnection);
        return true;
    }
    socket_ = std::make_unique<QTcpSocket>();
    socket_->setProxy(QNetworkProxy::NoProxy);
    connect(socket_.get(), &QAbstractSocket::stateChanged, this, &THttpClient::SocketStateChanged);
    connect(socket_.get(), &QAbstractSocket::connected, this, &THttpClient::SocketConnected);
    connect(socket_.get(), &QIODevice::readyRead, this, &THttpClient::SocketReadyRead);
    connect(socket_.get(), &QAbstractSocket::disconnected, this, &THttpClient::SocketDisconnected);
    connect(socket_.get(), &QAbstractSocket::errorOccurred, this, &THttpClient::SocketError);
    SetState(THttpState::DnsLookupInitiating);
    Rearm();
    if (proxyHost_.isEmpty())
        socket_->connectToHost(url.host(), quint16(url.port(80)));
    else
        socket_->connectToHost(proxyHost_, proxyPort_);
    return true;
}

void THttpClient::SetState(THttpState state)
{
    if (state == state_) return;
    state_ = state;
    emit notice(QStringLiteral("State: %1.").arg(HttpStateName(state)));
}

void THttpClient::Rearm()
{
    timer_.start(timeoutMs_);
}

void THttpClient::SocketStateChanged()
{
    if (socket_ && socket_->state() == QAbstractSocket::ConnectingState)
        SetState(THttpState::DnsLookupDone);
}

void THttpClient::SocketConnected()
{
    Rearm();
    emit notice(QStringLiteral("Connected."));
    SetState(THttpState::Connected);
    const QByteArray request = RequestBytes(url_);
    socket_->write(request);
    emit notice(QStringLiteral("Command: %1.")
                    .arg(QString::fromLatin1(request.left(request.indexOf('\r')))));
    SetState(THttpState::WaitingForHeader);
}

void THttpClient::SocketReadyRead()
{
    if (!socket_ || ending_) return;
    const QByteArray data = socket_->readAll();
    if (data.isEmpty()) return;
    Rearm();
    if (!receivingHeader_) {
        receivingHeader_ = true;
        emit notice(QStringLiteral("Receiving header..."));
    }
    const auto result = parser_.Feed(data);
    if (result.HeaderEnded) {
        emit notice(QStringLiteral("Header received."));
        SetState(THttpState::WaitingForBody);
        emit notice(QStringLiteral("Receiving document..."));
    }
    if (result.BodyBytes > 0)
        emit notice(QStringLiteral("Received %1 bytes data.").arg(result.BodyBytes));
    if (parser_.Failed()) {
        Abort(FailureError(parser_.Failure()), FailureText(parser_.Failure(), parser_));
    } else if (parser_.Complete()) {
        emit notice(QStringLiteral("Document received."));
        End(THttpError::None, {});
    }
}

void THttpClient::SocketDisconnected()
{
    if (!socket_ || ending_) return;
    // What is still buffered belongs to the response.
    if (socket_->bytesAvailable() > 0) {
        SocketReadyRead();
        if (!busy_) return;
    }
    parser_.Finish();
    if (parser_.Failed()) {
        End(FailureError(parser_.Failure()), FailureText(parser_.Failure(), parser_));
        return;
    }
    emit notice(QStringLiteral("Document received."));
    End(THttpError::None, {});
}

void THttpClient::SocketError()
{
    if (!socket_ || ending_) return;
    // The server ending the connection is the normal end of an HTTP/1.0 response.
    if (socket_->error() == QAbstractSocket::RemoteHostClosedError) {
        if (socket_->state() == QAbstractSocket::UnconnectedState) SocketDisconnected();
        return;
    }
    End(THttpError::Network, socket_->errorString());
}

void THttpClient::TimedOut()
{
    if (!busy_) return;
    Abort(THttpError::TimedOut,
          QStringLiteral("Nothing arrived for %1 seconds").arg(double(timeoutMs_) / 1000.0));
}

void THttpClient::Abort(THttpError error, const QString &text)
{
    SetState(THttpState::Aborting);
    End(error, text);
}

void THttpClient::End(THttpError error, const QString &text)
{
    if (!busy_ || ending_) return;
    ending_ = true;
    timer_.stop();
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        // The socket may be in the middle of telling us something: it goes once that is over.
        socket_.release()->deleteLater();
    }
    error_ = error;
    errorText_ = text;
    body_ = error == THttpError::None ? parser_.Body() : QByteArray();
    SetState(THttpState::NotConnected);
    SetState(THttpState::Ready);
    busy_ = false;
    ending_ = false;
    emit requestDone(int(error));
}

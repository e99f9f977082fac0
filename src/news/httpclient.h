#pragma once
// The program's own HTTP/1.0 client: one GET at a time over a TCP connection, directly to the
// server or through a proxy, with the body kept in memory. It tells every step as a notice
// text ("Connected.", "State: Waiting for Header.", "Received 512 bytes data.", ...) so that
// the news check can log the request as it goes, and ends every request, whatever happened,
// with requestDone and its error code.
//
//     THttpClient client;
//     client.SetProxy(host, port, user, password);   // an empty host: no proxy
//     client.Get(QUrl("http://host/brimware/tonaria_su.txt"));
//     ... requestDone(error) ... client.Body(), client.StatusCode()
//
// The request is exactly "GET <path> HTTP/1.0", "Host: <host>", through a proxy the absolute
// URL as the path and, with a proxy user name, "Proxy-Authorization: Basic <user:password in
// Base64>", then an empty line; nothing else. The response is read until the server closes the
// connection or its Content-Length is reached. A response larger than the parser's bound, a
// malformed one, or a connection that stays silent for longer than the timeout ends the
// request with an error; the body is then empty.
//
// Threads: the thread that owns the object (the user-interface thread); the socket's
// notifications arrive through that thread's event loop and nothing waits.

#include "news/httpresponseparser.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>

class QTcpSocket;

enum class THttpState {
    Ready,
    NotConnected,
    Connected,
    DnsLookupInitiating,
    DnsLookupDone,
    WaitingForHeader,
    WaitingForBody,
    Aborting
};

// The name a state is logged with ("Waiting for Header").
QString HttpStateName(THttpState state);

// The client's error codes, as logged in "Request done. Error code: N.".
enum class THttpError {
    None = 0,
    Busy = 1,        // a request is already running
    BadUrl = 2,      // not an http URL with a host
    Network = 3,     // the connection failed or broke; ErrorText() has the system's reason
    NoResponse = 4,  // the server closed without answering
    BadResponse = 5, // a malformed status line or header
    TooLarge = 6,    // more than the bound on the document
    Truncated = 7,   // the connection ended before Content-Length was reached
    TimedOut = 8,    // nothing arrived for longer than the timeout
};

class THttpClient : public QObject {
    Q_OBJECT

public:
    // The silence after which a request is given up.
    static constexpr int kDefaultTimeoutMs = 10000;

    explicit THttpClient(QObject *parent = nullptr);
    ~THttpClient() override;

    // An empty host sends requests directly to the server. The password counts only with a
    // user name.
    void SetProxy(const QString &host, quint16 port, const QString &user, const QString &password);
    QString ProxyHost() const { return proxyHost_; }
    quint16 ProxyPort() const { return proxyPort_; }

    void SetTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    void SetLimits(THttpResponseParser::TLimits limits) { limits_ = limits; }

    // Starts a request. False, with nothing changed, while another one runs (the error text is
    // then BusyText()); a URL that is not http ends at once with requestDone(BadUrl).
    bool Get(const QUrl &url);
    bool Busy() const { return busy_; }
    static QString BusyText();

    // The bytes the request is made of.
    QByteArray RequestBytes(const QUrl &url) const;

    THttpState State() const { return state_; }
    // Of the last request (and of the one running).
    int StatusCode() const { return parser_.StatusCode(); }
    QString ReasonPhrase() const { return parser_.ReasonPhrase(); }
    QString LastResponse() const { return parser_.LastLine(); }
    const QByteArray &Body() const { return body_; }
    THttpError Error() const { return error_; }
    QString ErrorText() const { return errorText_; }

signals:
    // One step of the request, as the log shows it; an empty text for the steps that have none
    // of their own.
    void notice(const QString &text);
    // The request has ended; the client is Ready again and takes the next one.
    void requestDone(int error);

private:
    void SetState(THttpState state);
    void SocketStateChanged();
    void SocketConnected();
    void SocketReadyRead();
    void SocketDisconnected();
    void SocketError();
    void TimedOut();
    void Abort(THttpError error, const QString &text);
    void End(THttpError error, const QString &text);
    void Rearm();

    QString proxyHost_;
    quint16 proxyPort_ = 0;
    QString proxyUser_;
    QString proxyPassword_;
    int timeoutMs_ = kDefaultTimeoutMs;
    THttpResponseParser::TLimits limits_;

    std::unique_ptr<QTcpSocket> socket_;
    QTimer timer_;
    QUrl url_;
    THttpState state_ = THttpState::Ready;
    THttpResponseParser parser_;
    QByteArray body_;
    THttpError error_ = THttpError::None;
    QString errorText_;
    bool busy_ = false;
    bool ending_ = false;
    bool receivingHeader_ = false;
};

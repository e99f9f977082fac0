#pragma once
// Real HTTP peers on this machine for the news tests: a server that answers every request
// with a scripted reply (or closes at once, or never answers), and a forwarding proxy that
// records what it was asked and passes the request on to the server named in its URL.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class TLocalHttpServer : public QObject {
public:
    enum class TMode { Reply, CloseAtOnce, Stall };

    TLocalHttpServer();
    quint16 Port() const { return server_.serverPort(); }
    // http://127.0.0.1:<port>/brimware/tonaria_su.txt
    QUrl Url() const;
    void SetReply(const QByteArray &reply, TMode mode = TMode::Reply);
    // The requests received, each up to and with its empty line.
    QList<QByteArray> Requests;

private:
    void Serve();
    QTcpServer server_;
    QByteArray reply_;
    TMode mode_ = TMode::Reply;
};

class TLocalHttpProxy : public QObject {
public:
    TLocalHttpProxy();
    quint16 Port() const { return server_.serverPort(); }
    QList<QByteArray> Requests;

private:
    void Serve();
    QTcpServer server_;
};

// "HTTP/1.0 <status>\r\nContent-Type: text/plain\r\n\r\n<body>"
QByteArray HttpReply(const QByteArray &status, const QByteArray &body);

#pragma once
// The receiving end of the local channel: a user-only local socket served on the Qt event
// loop. Each request is passed to the handler and its answer sent back at once. Connections
// are independent: requests of one connection are handled strictly in order, those of several
// connections may interleave, one whole request at a time.
//
// Until a handler is set, connections wait unread in the queue (the senders wait for their
// replies), so the socket can be opened early in start-up, before the receiver exists.
//
// Threads: the thread that created the object, which must run an event loop (the main thread).

#include "platform/system/localchannelframe.h"

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QLocalServer;
class QLocalSocket;

class TLocalChannelServer : public QObject {
    Q_OBJECT
public:
    // Takes a request's code and text, returns the reply. May run a nested event loop.
    using THandler = std::function<std::int32_t(std::uint32_t code, const QString &text)>;

    explicit TLocalChannelServer(const QString &socketPath, QObject *parent = nullptr);
    ~TLocalChannelServer() override;

    // Opens the socket. A socket file left by an instance that ended without closing it is
    // removed first, so only the holder of the instance lock may call this.
    bool listen();
    // Stops taking connections and drops the open ones; the socket file is removed.
    void close();
    bool isListening() const;

    void setHandler(THandler handler);

    QString socketPath() const { return socketPath_; }
    QString errorString() const { return error_; }

private:
    struct TConnection {
        QLocalSocket *socket = nullptr;
        TLocalChannelReader reader;
        bool busy = false;
        std::uint64_t serial = 0;
    };

    void acceptPending();
    void serve(QLocalSocket *socket);
    void drop(QLocalSocket *socket);

    QString socketPath_;
    QString error_;
    QLocalServer *server_;
    THandler handler_;
    std::uint64_t nextSerial_ = 1;
    std::map<QLocalSocket *, std::unique_ptr<TConnection>> connections_;
};

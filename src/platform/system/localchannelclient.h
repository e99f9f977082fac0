#pragma once
// The sending end of the local channel: connects to the first instance's socket and sends
// requests one by one, each waiting (within a bound) for its reply. Blocking; needs no event
// loop.
//
// Threads: the thread that created the object.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QLocalSocket;

class TLocalChannelClient {
public:
    enum TConnectResult {
        Connected,
        NoServer, // no socket file, or one that nobody listens on
        Failed,   // anything else (see errorString())
    };

    TLocalChannelClient();
    ~TLocalChannelClient();
    TLocalChannelClient(const TLocalChannelClient &) = delete;
    TLocalChannelClient &operator=(const TLocalChannelClient &) = delete;

    TConnectResult connectTo(const QString &socketPath, int timeoutMs);
    // Sends one request and waits up to timeoutMs for its reply. No value when the text is too
    // long, the connection broke or the time ran out (see errorString()).
    std::optional<std::int32_t> send(std::uint32_t code, const QString &text, int timeoutMs);
    void disconnectFromServer();
    // Still connected: after a failed send, the reply was late rather than the line cut.
    bool isConnected() const;

    QString errorString() const { return error_; }

private:
    std::unique_ptr<QLocalSocket> socket_;
    QString error_;
};

#include "core/singleinstance.h"

#include "core/handoffreceiver.h"
#include "core/handoffsender.h"
#include "platform/system/instancelock.h"
#include "platform/system/localchannelclient.h"
#include "platform/system/localchannelserver.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>

TSingleInstance::TSingleInstance(const QString &folder, TMessageService &messages,
                                 TSingleInstanceOptions options)
    : folder_(folder), messages_(messages), options_(options)
{
    if (!folder_.isEmpty()) {
        socketPath_ = folder_ + QStringLiteral("/instance.socket");
        lock_ = std::make_unique<TInstanceLock>(folder_);
    }
}

TSingleInstance::~TSingleInstance()
{
    release();
}

TSingleInstance::TRole TSingleInstance::start(const TCommandLine &line)
{
    error_.clear();
    if (!lock_) {
        error_ = QStringLiteral("No private runtime folder: other starts cannot hand files over.");
        return First;
    }

    const QDeadlineTimer deadline(options_.startWaitMs);
    TLocalChannelClient client;
    for (;;) {
        if (lock_->tryLock()) {
            server_ = std::make_unique<TLocalChannelServer>(socketPath_);
            if (!server_->listen()) {
                error_ = QStringLiteral("Cannot open the hand-off channel %1: %2")
                             .arg(socketPath_, server_->errorString());
                server_.reset();
            }
            return First;
        }
        if (!lock_->error().isEmpty()) {
            // The lock file itself is unusable: run alone rather than not at all.
            error_ = lock_->error();
            return First;
        }
        if (!line.hasArguments) return NothingToDo;

        const int connectWait = static_cast<int>(std::min<qint64>(deadline.remainingTime(), 1000));
        const auto connected = client.connectTo(socketPath_, std::max(connectWait, 100));
        if (connected == TLocalChannelClient::Connected) {
            THandoffSender sender(client, messages_, options_.identifyTimeoutMs,
                                  options_.replyTimeoutMs);
            const auto result = sender.send(line);
            client.disconnectFromServer();
            if (result == THandoffSender::Delivered) return HandedOff;
            error_ = sender.errorString();
            // An instance that cut the line is closing down and takes nothing with it: send
            // the whole batch again, to it if it is still there or to whoever comes next.
            if (result != THandoffSender::Lost || deadline.hasExpired()) return Failed;
        } else if (deadline.hasExpired()) {
            error_ = QStringLiteral("Tonaria is running but its hand-off channel did not open in "
                                    "time (%1); the files were not handed over.")
                         .arg(client.errorString());
            return Failed;
        }
        QThread::msleep(static_cast<unsigned long>(options_.retryIntervalMs));
    }
}

bool TSingleInstance::channelOpen() const
{
    return server_ && server_->isListening();
}

void TSingleInstance::attach(THandoffReceiver &receiver)
{
    if (!server_) return;
    server_->setHandler([&receiver](std::uint32_t code, const QString &text) {
        return receiver.handle(code, text);
    });
}

void TSingleInstance::closeChannel()
{
    if (!server_) return;
    server_->close();
    server_.reset();
}

void TSingleInstance::release()
{
    closeChannel();
    if (lock_) lock_->unlock();
}

#pragma once
// Decides whether this start is the first instance or a second one, and keeps the first
// instance's lock and hand-off channel for as long as it runs.
//
// The instance lock decides: whoever takes it is the first instance and opens the channel
// (clearing a socket left by a crashed instance); everyone else is a second start. A second
// start with arguments connects and hands them over. A first instance that holds the lock but
// has not opened its channel yet, or one that is closing down, is waited for within a bound:
// the start keeps trying the channel and the lock, so that exactly one first instance comes
// out of any number of simultaneous starts and no file handed over is lost.
//
// In main(), with the command line read from argv before QApplication takes out the options
// it knows (a file may be called "-style"):
//     const TCommandLine commandLine = ParseCommandLine(arguments without argv[0]);
//     TSingleInstance instance(PrepareInstanceFolder(), messageService());
//     switch (instance.start(commandLine)) {
//     case TSingleInstance::First: break;             // go on: splash, station, message loop
//     case TSingleInstance::HandedOff:
//     case TSingleInstance::NothingToDo: return 0;
//     case TSingleInstance::Failed: print instance.errorString(); return 1;
//     }
//     ... once the station exists: instance.attach(receiver) ...
//     ... when the station's close goes ahead: instance.closeChannel() ...
//     ... after the message loop and the station's destruction: instance.release() ...
//
// Threads: main thread only.

#include "core/commandline.h"

#include <QString>
#include <memory>

class TInstanceLock;
class TLocalChannelServer;
class THandoffReceiver;
class TMessageService;

struct TSingleInstanceOptions {
    // How long a second start keeps trying when the first instance's channel is not open.
    int startWaitMs = 10000;
    // How long a second start waits for the first reply (the first instance may be busy
    // starting up) and for each later one.
    int identifyTimeoutMs = 30000;
    int replyTimeoutMs = 10000;
    // The pause between two tries of the channel and the lock.
    int retryIntervalMs = 20;
};

class TSingleInstance {
public:
    enum TRole {
        First,       // this start is the first instance
        HandedOff,   // a second start whose command line the first instance has taken
        NothingToDo, // a second start without arguments
        Failed,      // a second start that could not hand over (see errorString())
    };

    // folder: the private runtime folder (PrepareInstanceFolder()); empty when it cannot be
    // used, in which case every start runs as a first instance without a hand-off channel.
    TSingleInstance(const QString &folder, TMessageService &messages,
                    TSingleInstanceOptions options = {});
    ~TSingleInstance(); // releases
    TSingleInstance(const TSingleInstance &) = delete;
    TSingleInstance &operator=(const TSingleInstance &) = delete;

    TRole start(const TCommandLine &line);

    // First instance: whether the hand-off channel is open. When not, errorString() says why;
    // the program runs on without taking hand-offs.
    bool channelOpen() const;
    // First instance: from now on requests are handled by the receiver (not owned; it must
    // outlive the channel or be detached with release()). Until then they wait.
    void attach(THandoffReceiver &receiver);
    // First instance, when its close goes ahead: takes no more hand-offs. Starts from now on
    // wait for the lock instead and become the next first instance, so that their files are
    // not handed to an instance that is going away. Connections cut mid-batch are sent again.
    void closeChannel();
    // First instance, at the very end (after the albums and preferences are saved): closes
    // the channel if still open, then gives up the lock.
    void release();

    QString errorString() const { return error_; }
    QString socketPath() const { return socketPath_; }

private:
    QString folder_;
    QString socketPath_;
    TMessageService &messages_;
    TSingleInstanceOptions options_;
    std::unique_ptr<TInstanceLock> lock_;
    std::unique_ptr<TLocalChannelServer> server_;
    QString error_;
};

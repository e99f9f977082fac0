#pragma once
// The second start's side of the hand-off: over a connected channel, asks the first instance
// who it is and whether it takes a hand-off, then sends the command line item by item (play,
// close, one request per file) and ends the batch with a commit. Each request waits for its
// reply before the next goes out.
//
// Threads: the thread that owns the channel (a second start's main thread); blocking.

#include "core/commandline.h"

#include <QString>

class TLocalChannelClient;
class TMessageService;

class THandoffSender {
public:
    enum TResult {
        Delivered,  // the whole batch, commit included, was answered
        Lost,       // the other end closed the connection before the commit was answered: it
                    // is going away, and what it took goes with it
        TimedOut,   // a reply did not come in time
        NotStation, // the other end did not identify itself as the station
        Declined,   // the station answered the query with a refusal
    };

    // identifyTimeoutMs bounds the wait for the first reply (the first instance may still be
    // starting up); replyTimeoutMs bounds each later one.
    THandoffSender(TLocalChannelClient &channel, TMessageService &messages, int identifyTimeoutMs,
                   int replyTimeoutMs);

    TResult send(const TCommandLine &line);
    // What went wrong, for the console; empty after Delivered.
    QString errorString() const { return error_; }

private:
    // False when no reply came; failure_ then says why.
    bool request(std::uint32_t code, const QString &text, int timeoutMs, std::int32_t &reply);

    TLocalChannelClient &channel_;
    TMessageService &messages_;
    int identifyTimeoutMs_;
    int replyTimeoutMs_;
    QString error_;
    TResult failure_ = Delivered;
};

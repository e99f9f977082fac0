#pragma once
// SIGTERM, SIGINT and SIGHUP as an ordinary event of the main thread: the signal handler only
// writes one byte into a pipe, and a socket notifier on the pipe's other end calls OnSignal on
// the main thread, where the program closes as the user's "Exit" would (saving everything).
// A second signal while the first is being handled calls OnSignal again.
//
// One instance at a time; it restores the previous handlers when it goes.
//
// Threads: main thread (the handler itself runs on whatever thread the signal hits).

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

class TTerminationSignals : public QObject {
public:
    TTerminationSignals();
    ~TTerminationSignals() override;
    TTerminationSignals(const TTerminationSignals &) = delete;
    TTerminationSignals &operator=(const TTerminationSignals &) = delete;

    // False when the pipe or the handlers could not be set up (the signals then end the
    // program the default way).
    bool Active() const { return notifier_ != nullptr; }

    // The signal number that arrived.
    std::function<void(int)> OnSignal;

private:
    void Drain();
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

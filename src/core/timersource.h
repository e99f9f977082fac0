#pragma once
// Where the engine's timers come from. The running program uses the system's precise timers;
// a test gives a source whose time it moves on itself, so that anything timed (the pause
// between titles, the seek runs, the typed number's delay, the periodic refresh) runs in no
// wall-clock time and never flakes.
//
// A timer fires on the thread that created it, from that thread's event loop (or, with a
// driven source, from the call that moves the time on).
//
// Threads: a timer belongs to the thread that made it.

#include <QObject>

#include <cstdint>
#include <memory>

class TTimer : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    // Starts (or restarts) the timer: it fires after `ms` milliseconds, and again every `ms`
    // when it repeats.
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    // The interval of the last start.
    virtual int Interval() const = 0;
    void SetRepeating(bool repeating) { repeating_ = repeating; }
    bool Repeating() const { return repeating_; }

signals:
    void timeout();

private:
    bool repeating_ = false;
};

class TTimerSource {
public:
    virtual ~TTimerSource() = default;
    // A new, stopped, single-shot timer.
    virtual std::unique_ptr<TTimer> CreateTimer() = 0;
    // Milliseconds on a clock that never goes back.
    virtual std::int64_t NowMs() const = 0;
};

// The system's precise timers and its monotonic clock.
TTimerSource &SystemTimerSource();

#pragma once
// The ticker: one thread for the program's lifetime that paces the periodic work. Every tick
// (TickInterval ms) it posts the station's deferred commands when they are due and not already
// waiting (peak meter every meter interval, display refresh and end-of-title check every
// DisplayInterval, animation every AnimationInterval when the animation is on), counts down the
// typed-number delay and the seek run's repeat, and asks the main thread to run the commit or
// the seek step, waiting for it.
//
// Created idle; Resume() starts it (at the end of the station's first showing) and Terminate()
// ends it (in the close query). Terminate() never waits for the main thread: a synchronous call
// the ticker is waiting on is abandoned, so that the close cannot deadlock.
//
// Threads: the constructor, Resume, Terminate, SetMeter and SetAnimation on the main thread;
// the loop on its own thread. The loop touches only atomic fields of the global state (the
// intervals, countdowns and posted flags) and its own atomics.

#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "core/stationevents.h"

class TTonariaGlobals;

class TTimerThread {
public:
    // receiver: the station, which handles the posted events (not owned; it must outlive the
    // thread's run).
    TTimerThread(TTonariaGlobals &globals, QObject *receiver);
    ~TTimerThread(); // Terminate()
    TTimerThread(const TTimerThread &) = delete;
    TTimerThread &operator=(const TTimerThread &) = delete;

    void Resume();
    void Terminate();
    bool Running() const { return thread_.joinable(); }

    // The peak meter's schedule and the animation switch, from the preferences.
    void SetMeter(bool active, int intervalMs);
    void SetAnimation(bool on);

    // Main thread: runs a ticker call when the ticker still wants it and lets the ticker go on.
    template <class TRun> static void Serve(TTickerCallEvent &event, TRun run)
    {
        if (event.Wanted()) {
            try {
                run(event.Request);
            } catch (...) {
                event.Finish();
                throw;
            }
        }
        event.Finish();
    }

private:
    void Run();
    void Post(int code);
    // Runs the request on the main thread and waits; returns at once when ended meanwhile.
    void Call(TTickerRequest request);

    TTonariaGlobals &g_;
    QObject *receiver_;
    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> meterActive_{true};
    std::atomic<int> meterInterval_{10};
    std::atomic<bool> animation_{false};

    std::mutex callMutex_;
    std::shared_ptr<TTickerCallState> pendingCall_;
};

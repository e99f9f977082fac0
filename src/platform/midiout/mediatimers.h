#pragma once
// The periodic timers behind timeSetEvent and timeKillEvent (the plug-in calls): a thread per timer, paced by the
// steady clock, calling a C callback. One set per process, as a plug-in calling timeSetEvent
// names no context.
//
// Threads: start() and kill() from any thread, kill() also from inside a timer's own callback.
// Callbacks of one timer run one after another on that timer's thread.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "tonaria/midiseq.h"

class TMediaTimers {
public:
    static TMediaTimers &instance();

    TMediaTimers() = default;
    ~TMediaTimers(); // stops every timer still running
    TMediaTimers(const TMediaTimers &) = delete;
    TMediaTimers &operator=(const TMediaTimers &) = delete;

    // Starts a timer; returns its id (never 0), or 0 when `delay` is out of range or no thread
    // could be made. The first call comes `delay` milliseconds after the start.
    std::uint32_t start(std::uint32_t delay, bool periodic, LPTIMECALLBACK callback,
                        std::uintptr_t user);
    // Stops a timer. From another thread: returns once its callback has finished for good.
    // From its own callback: returns at once; the callback is not called again.
    MMRESULT kill(std::uint32_t id);

    // Timers running now.
    std::size_t count();

private:
    struct TTimer {
        std::uint32_t id = 0;
        std::uint32_t delay = 0;
        bool periodic = true;
        LPTIMECALLBACK callback = nullptr;
        std::uintptr_t user = 0;
        std::thread thread;
        std::mutex mutex;
        std::condition_variable wake;
        bool stop = false;
    };

    void run(const std::shared_ptr<TTimer> &timer);
    // Ends the timer's thread: joins it, or lets it go when called on that thread.
    static void finish(const std::shared_ptr<TTimer> &timer);

    std::mutex mutex_;
    std::map<std::uint32_t, std::shared_ptr<TTimer>> timers_;
    std::uint32_t nextId_ = 1;
};

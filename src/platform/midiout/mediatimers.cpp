#include "platform/midiout/mediatimers.h"

#include <chrono>
#include <system_error>
#include <vector>

namespace {
constexpr std::uint32_t kMaxDelay = 1000000;
// A timer further behind than this gives up the missed calls instead of hurrying through them.
constexpr auto kMaxLag = std::chrono::milliseconds(100);
} // namespace

TMediaTimers &TMediaTimers::instance()
{
    static TMediaTimers timers;
    return timers;
}

TMediaTimers::~TMediaTimers()
{
    std::map<std::uint32_t, std::shared_ptr<TTimer>> left;
    {
        std::lock_guard lock(mutex_);
        left.swap(timers_);
    }
    for (auto &[id, timer] : left) {
        (void)id;
        finish(timer);
    }
}

std::uint32_t TMediaTimers::start(std::uint32_t delay, bool periodic, LPTIMECALLBACK callback,
                                  std::uintptr_t user)
{
    if (delay == 0 || delay > kMaxDelay || !callback) return 0;
    auto timer = std::make_shared<TTimer>();
    timer->delay = delay;
    timer->periodic = periodic;
    timer->callback = callback;
    timer->user = user;
    std::lock_guard lock(mutex_);
    do {
        timer->id = nextId_++;
    } while (timer->id == 0 || timers_.count(timer->id));
    try {
        // The thread waits for this lock before it looks at its own thread object.
        std::lock_guard timerLock(timer->mutex);
        timer->thread = std::thread([this, timer] { run(timer); });
    } catch (const std::system_error &) {
        return 0;
    }
    timers_.emplace(timer->id, timer);
    return timer->id;
}

MMRESULT TMediaTimers::kill(std::uint32_t id)
{
    std::shared_ptr<TTimer> timer;
    {
        std::lock_guard lock(mutex_);
        const auto it = timers_.find(id);
        if (it == timers_.end()) return MMSYSERR_INVALPARAM;
        timer = it->second;
        timers_.erase(it);
    }
    finish(timer);
    return TIMERR_NOERROR;
}

std::size_t TMediaTimers::count()
{
    std::lock_guard lock(mutex_);
    return timers_.size();
}

void TMediaTimers::finish(const std::shared_ptr<TTimer> &timer)
{
    {
        std::lock_guard lock(timer->mutex);
        timer->stop = true;
    }
    timer->wake.notify_all();
    if (timer->thread.get_id() == std::this_thread::get_id())
        timer->thread.detach(); // killed from its own callback: the loop sees `stop` and ends
    else if (timer->thread.joinable())
        timer->thread.join();
}

void TMediaTimers::run(const std::shared_ptr<TTimer> &timer)
{
    using clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(timer->delay);
    auto next = clock::now() + period;
    for (;;) {
        {
            std::unique_lock lock(timer->mutex);
            if (timer->wake.wait_until(lock, next, [&] { return timer->stop; })) return;
        }
        timer->callback(timer->id, 0, timer->user, 0, 0);
        if (!timer->periodic) {
            // A one-shot timer is gone once it has fired, unless a kill got to it first.
            std::shared_ptr<TTimer> self;
            {
                std::lock_guard lock(mutex_);
                const auto it = timers_.find(timer->id);
                if (it != timers_.end() && it->second == timer) {
                    self = it->second;
                    timers_.erase(it);
                }
            }
            if (self) finish(self);
            return;
        }
        next += period;
        const auto now = clock::now();
        if (now - next > kMaxLag) next = now;
    }
}

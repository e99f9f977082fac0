#include "platform/audio/audiowake.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

struct TWakes {
    std::atomic<std::uint32_t> count{0};
    std::mutex mutex;
    std::condition_variable changed;
};

TWakes &wakes()
{
    static TWakes w;
    return w;
}

// A sleeping output looks at its sources at least this often, whatever happens: a source that
// becomes audible without a wake is late by at most this much, never silent for good.
constexpr auto kLongestSleep = std::chrono::seconds(1);

} // namespace

void wakeAudioOutputs() noexcept
{
    TWakes &w = wakes();
    {
        std::lock_guard lock(w.mutex);
        w.count.fetch_add(1);
    }
    w.changed.notify_all();
}

std::uint32_t audioWakeCount() noexcept
{
    return wakes().count.load();
}

void waitForAudioWake(std::uint32_t seen) noexcept
{
    TWakes &w = wakes();
    std::unique_lock lock(w.mutex);
    w.changed.wait_for(lock, kLongestSleep, [&] { return w.count.load() != seen; });
}

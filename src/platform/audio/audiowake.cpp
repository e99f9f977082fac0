#include "platform/audio/audiowake.h"

#include <atomic>

namespace {

std::atomic<std::uint32_t> &wakes()
{
    static std::atomic<std::uint32_t> count{0};
    return count;
}

} // namespace

void wakeAudioOutputs() noexcept
{
    wakes().fetch_add(1);
    wakes().notify_all();
}

std::uint32_t audioWakeCount() noexcept
{
    return wakes().load();
}

void waitForAudioWake(std::uint32_t seen) noexcept
{
    wakes().wait(seen);
}

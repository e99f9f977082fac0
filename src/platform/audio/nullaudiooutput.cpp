#include "platform/audio/nullaudiooutput.h"

#include "platform/audio/audiowake.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// The steady-clock time at which output frame `frame` is due, counted from `origin`.
Clock::time_point dueTime(Clock::time_point origin, std::int64_t frame, int sampleRate)
{
    return origin + std::chrono::duration_cast<Clock::duration>(
                        std::chrono::duration<double>(double(frame) / sampleRate));
}

} // namespace

TNullAudioOutput::TNullAudioOutput(int sampleRate)
    : TNullAudioOutput(sampleRate, DeferStart{}, Idle::Sleep)
{
    startPacing();
}

TNullAudioOutput::TNullAudioOutput(int sampleRate, DeferStart, Idle idle)
    : TAudioOutput(sampleRate), scratch_(std::size_t(sampleRate / 100) * Channels),
      sleepsWhenIdle_(idle == Idle::Sleep)
{
}

void TNullAudioOutput::startPacing()
{
    if (!thread_.joinable() && !quit_.load()) thread_ = std::thread([this] { run(); });
}

TNullAudioOutput::~TNullAudioOutput()
{
    stopPacing();
}

void TNullAudioOutput::stop()
{
    stopPacing();
}

void TNullAudioOutput::blockRendered(const float *, int, std::int64_t) noexcept {}

void TNullAudioOutput::stopPacing()
{
    quit_.store(true);
    wakeAudioOutputs();
    if (thread_.joinable()) thread_.join();
    running_.store(false);
}

void TNullAudioOutput::run() noexcept
{
    const int rate = sampleRate();
    // Blocks of 10 ms, what a sound card's period typically is.
    const int blockFrames = rate / 100;
    const std::int64_t maxLag = rate / 2;
    Clock::time_point origin = Clock::now();
    std::int64_t originFrame = 0; // the output frame due at `origin`

    while (!quit_.load(std::memory_order_relaxed)) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - origin).count();
        std::int64_t due = originFrame + std::int64_t(elapsed * rate);
        std::int64_t rendered = mixer().framesRendered();
        if (due - rendered > maxLag) {
            // Fell far behind: forget the lag instead of rushing through it.
            origin = Clock::now();
            originFrame = rendered;
            due = rendered + blockFrames;
        }
        bool idle = false;
        while (rendered + blockFrames <= due && !quit_.load(std::memory_order_relaxed)) {
            // Read before the block, so that a wake after the block has looked at the sources
            // still ends the sleep below.
            const std::uint32_t wakes = audioWakeCount();
            mixer().render(scratch_.data(), blockFrames, rate);
            blockRendered(scratch_.data(), blockFrames, rendered);
            rendered += blockFrames;
            if (sleepsWhenIdle_ && mixer().wasIdle()) {
                // Nothing to play: the clock stands still until something may sound again (and
                // looks again after a bounded sleep, in case a source got going unannounced).
                if (!quit_.load() && audioWakeCount() == wakes) waitForAudioWake(wakes);
                idle = true;
                break;
            }
        }
        if (idle) {
            origin = Clock::now();
            originFrame = rendered;
            continue;
        }
        std::this_thread::sleep_until(dueTime(origin, rendered + blockFrames - originFrame, rate));
    }
}

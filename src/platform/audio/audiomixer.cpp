#include "platform/audio/audiomixer.h"

#include "platform/audio/audiosource.h"
#include "platform/audio/audiowake.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

// Raises `peak` to at least `level`, without a lock.
void raisePeak(std::atomic<int> &peak, int level) noexcept
{
    int seen = peak.load(std::memory_order_relaxed);
    while (level > seen && !peak.compare_exchange_weak(seen, level, std::memory_order_relaxed)) {
    }
}

int peakLevel(float magnitude) noexcept
{
    return static_cast<int>(std::lround(magnitude * float(TAudioMixer::FullScale)));
}

} // namespace

TAudioMixer::TAudioMixer() = default;

void TAudioMixer::limit(float *out, int frames, int sampleRate) noexcept
{
    // The gain falls at once to what keeps a frame under the ceiling, and recovers with a time
    // constant of ReleaseSeconds: a loud passage is turned down as a whole instead of having its
    // peaks cut off. Both channels share the gain, so the stereo image stays where it is.
    const float release = 1.0f - std::exp(-1.0f / (ReleaseSeconds * float(sampleRate)));
    float gain = limiterGain_;
    for (int i = 0; i < frames; ++i) {
        float &l = out[2 * i];
        float &r = out[2 * i + 1];
        // Not-a-number and infinity are no sound at all.
        if (!std::isfinite(l)) l = 0.0f;
        if (!std::isfinite(r)) r = 0.0f;
        const float peak = std::max(std::fabs(l), std::fabs(r));
        const float wanted = peak > Ceiling ? Ceiling / peak : 1.0f;
        gain = wanted < gain ? wanted : gain + (wanted - gain) * release;
        l *= gain;
        r *= gain;
    }
    limiterGain_ = gain;
}

bool TAudioMixer::attach(TAudioSource *source)
{
    if (!source) return false;
    for (const Slot &slot : slots_)
        if (slot.source.load() == source) return false;
    for (Slot &slot : slots_) {
        if (slot.source.load() != nullptr) continue;
        // The start is reset before the source is published, so the audio thread never sees a
        // stale start for it.
        slot.start.store(-1);
        TAudioSource *expected = nullptr;
        if (slot.source.compare_exchange_strong(expected, source)) {
            attached_.fetch_add(1);
            wakeAudioOutputs();
            return true;
        }
    }
    return false;
}

bool TAudioMixer::detach(TAudioSource *source)
{
    if (!source) return false;
    bool found = false;
    for (Slot &slot : slots_) {
        TAudioSource *expected = source;
        if (slot.source.compare_exchange_strong(expected, nullptr)) {
            found = true;
            attached_.fetch_sub(1);
            break;
        }
    }
    if (!found) return false;
    // The slot is empty now. A block that starts from here on cannot see the source; one that
    // is in progress may still hold it, so wait for that block to end. Everything here is
    // sequentially consistent: if the sequence reads even, the next block's start (and its slot
    // reads) come after the slot was emptied.
    const std::uint64_t seq = blockSeq_.load();
    if (seq % 2 == 0) return true;
    for (int spins = 0; blockSeq_.load() == seq; ++spins) {
        if (spins < 64)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

std::int64_t TAudioMixer::startFrame(const TAudioSource *source) const
{
    if (!source) return -1;
    for (const Slot &slot : slots_)
        if (slot.source.load() == source) return slot.start.load();
    return -1;
}

TAudioPeaks TAudioMixer::takePeaks()
{
    TAudioPeaks peaks;
    peaks.left = peakLeft_.exchange(0, std::memory_order_relaxed);
    peaks.right = peakRight_.exchange(0, std::memory_order_relaxed);
    return peaks;
}

bool TAudioMixer::render(float *out, int frames, int sampleRate, EmptyBlock empty) noexcept
{
    if (frames <= 0) return false;
    const int samples = frames * 2;
    for (int i = 0; i < samples; ++i)
        out[i] = 0.0f;

    const std::int64_t blockStart = frames_.load(std::memory_order_relaxed);
    bool mixedAny = false;
    bool idle = true;
    blockSeq_.fetch_add(1); // odd: inside a block
    for (Slot &slot : slots_) {
        TAudioSource *source = slot.source.load();
        if (!source) continue;
        if (!source->isReady()) {
            idle = false;
            continue;
        }
        if (slot.start.load(std::memory_order_relaxed) < 0) slot.start.store(blockStart);
        source->mixInto(out, frames, sampleRate);
        mixedAny = true;
        // Asked here, inside the block, where a detach cannot take the source away.
        idle = idle && source->isIdle();
    }
    idle_.store(idle, std::memory_order_release);
    if (!mixedAny && empty == EmptyBlock::Skip) {
        blockSeq_.fetch_add(1);
        return false;
    }

    float left = 0.0f, right = 0.0f;
    limit(out, frames, sampleRate);
    for (int i = 0; i < samples; i += 2) {
        left = std::max(left, std::fabs(out[i]));
        right = std::max(right, std::fabs(out[i + 1]));
    }
    raisePeak(peakLeft_, peakLevel(left));
    raisePeak(peakRight_, peakLevel(right));
    frames_.store(blockStart + frames, std::memory_order_release);
    // Even: no source is touched until the next block. Last, so that once a detach has returned
    // the clock counts every block the source took part in.
    blockSeq_.fetch_add(1);
    return true;
}

#pragma once
// The mix of the attached sources: a fixed table of source slots, the output clock and the
// per-channel peaks. Every back-end of the audio output drives one.
//
// Threads: render() on the audio thread only (one at a time). attach(), detach(), startFrame(),
// framesRendered(), takePeaks() and attachedCount() on any other thread. render() never blocks,
// allocates or waits on a lock: the control side hands sources over through atomic slots, and
// detach() is the only call that waits (for the block in progress, if any, to end).
#include <array>
#include <atomic>
#include <cstdint>

class TAudioSource;

// The highest level of each channel over a stretch of the mix, on the scale 0 to 32768.
struct TAudioPeaks {
    int left = 0;
    int right = 0;
};

class TAudioMixer {
public:
    static constexpr int MaxSources = 16;
    // The level a full-scale sample shows on the peak scale.
    static constexpr int FullScale = 32768;
    // The highest level the mix ever reaches (-1 dBFS): louder sums are turned down, never cut.
    static constexpr float Ceiling = 0.891f;
    // How fast the mix's gain recovers once a loud passage is over.
    static constexpr float ReleaseSeconds = 0.15f;

    TAudioMixer();
    TAudioMixer(const TAudioMixer &) = delete;
    TAudioMixer &operator=(const TAudioMixer &) = delete;

    // See TAudioOutput for the meaning of these.
    bool attach(TAudioSource *source);
    bool detach(TAudioSource *source);
    std::int64_t startFrame(const TAudioSource *source) const;
    std::int64_t framesRendered() const { return frames_.load(std::memory_order_acquire); }
    TAudioPeaks takePeaks();
    int attachedCount() const { return attached_.load(std::memory_order_acquire); }
    // True when, at the end of the last block, no attached source had anything to add (none
    // attached, or all of them idle). Any thread.
    bool wasIdle() const noexcept { return idle_.load(std::memory_order_acquire); }

    // What render() does when no source is attached: renders silence and moves the clock (a
    // device that keeps time), or skips the block and leaves the clock where it is.
    enum class EmptyBlock { Render, Skip };

    // Audio thread: writes the next `frames` stereo frames of the mix to `out` (interleaved,
    // overwritten, limited to +-Ceiling), updates the peaks and advances the clock by `frames`.
    // Returns false, with `out` silent and the clock unmoved, for a skipped empty block.
    bool render(float *out, int frames, int sampleRate,
                EmptyBlock empty = EmptyBlock::Render) noexcept;

private:
    // Audio thread: turns the block down where it would pass the ceiling (a sample that is not
    // a number becomes 0).
    void limit(float *out, int frames, int sampleRate) noexcept;

    struct Slot {
        std::atomic<TAudioSource *> source{nullptr};
        // Output frame of the source's first frame; -1 until the audio thread first mixes it.
        std::atomic<std::int64_t> start{-1};
    };

    std::array<Slot, MaxSources> slots_;
    std::atomic<int> attached_{0};
    std::atomic<std::int64_t> frames_{0};
    // Odd while render() is inside a block; detach() waits for it to move on.
    std::atomic<std::uint64_t> blockSeq_{0};
    std::atomic<int> peakLeft_{0};
    std::atomic<int> peakRight_{0};
    std::atomic<bool> idle_{true};
    float limiterGain_ = 1.0f; // audio thread only
};

#pragma once
// Blocks of the mix on their way from the audio thread to a writer thread: a lock-free ring for
// one producer and one consumer. Each block carries the output frame of its first frame, so the
// consumer can fill with silence what was lost while the ring was full and every frame it keeps
// stays at its place in time.
//
// Threads: the constructor and destructor on the owner's thread; push() on the producer thread
// only (never blocks, allocates or locks); front() and pop() on the consumer thread only.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class TAudioBlockRing {
public:
    static constexpr int MaxBlockFrames = 512;

    struct Block {
        std::int64_t startFrame = 0;
        int frames = 0;
        float samples[MaxBlockFrames * 2];
    };

    // Room for `capacity` blocks (at least 2).
    explicit TAudioBlockRing(int capacity);

    // Producer: queues `frames` interleaved stereo frames whose first lands at `startFrame`,
    // split into blocks of at most MaxBlockFrames. When the ring lacks room for all of them,
    // queues none and returns false.
    bool push(const float *samples, int frames, std::int64_t startFrame) noexcept;

    // Consumer: the oldest queued block, or null when none is queued. It stays valid and
    // unchanged until pop().
    const Block *front() const noexcept;
    void pop() noexcept;

private:
    std::vector<Block> blocks_;
    // Counters that only grow; a block's place is its counter modulo the capacity.
    alignas(64) std::atomic<std::size_t> written_{0};
    alignas(64) std::atomic<std::size_t> read_{0};
};

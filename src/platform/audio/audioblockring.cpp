#include "platform/audio/audioblockring.h"

#include <algorithm>

TAudioBlockRing::TAudioBlockRing(int capacity) : blocks_(std::size_t(std::max(capacity, 2))) {}

bool TAudioBlockRing::push(const float *samples, int frames, std::int64_t startFrame) noexcept
{
    if (frames <= 0) return true;
    const std::size_t needed = std::size_t((frames + MaxBlockFrames - 1) / MaxBlockFrames);
    const std::size_t written = written_.load(std::memory_order_relaxed);
    const std::size_t read = read_.load(std::memory_order_acquire);
    if (blocks_.size() - (written - read) < needed) return false;
    std::size_t at = written;
    for (int done = 0; done < frames; ++at) {
        Block &block = blocks_[at % blocks_.size()];
        const int count = std::min(frames - done, MaxBlockFrames);
        block.startFrame = startFrame + done;
        block.frames = count;
        std::copy_n(samples + std::ptrdiff_t(done) * 2, count * 2, block.samples);
        done += count;
    }
    written_.store(at, std::memory_order_release);
    return true;
}

const TAudioBlockRing::Block *TAudioBlockRing::front() const noexcept
{
    const std::size_t read = read_.load(std::memory_order_relaxed);
    if (written_.load(std::memory_order_acquire) == read) return nullptr;
    return &blocks_[read % blocks_.size()];
}

void TAudioBlockRing::pop() noexcept
{
    const std::size_t read = read_.load(std::memory_order_relaxed);
    if (written_.load(std::memory_order_acquire) != read)
        read_.store(read + 1, std::memory_order_release);
}

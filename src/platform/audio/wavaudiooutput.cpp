#include "platform/audio/wavaudiooutput.h"

#include <chrono>

namespace {

// About five seconds of 10 ms blocks: the writer may stall that long before anything is lost.
constexpr int RingBlocks = 512;

} // namespace

std::unique_ptr<TWavAudioOutput> TWavAudioOutput::open(const QString &path, QString *error,
                                                       int sampleRate)
{
    auto writer = std::make_unique<TWavFileWriter>();
    if (!writer->open(path, sampleRate)) {
        if (error) *error = writer->errorString();
        return nullptr;
    }
    return std::unique_ptr<TWavAudioOutput>(new TWavAudioOutput(std::move(writer), sampleRate));
}

TWavAudioOutput::TWavAudioOutput(std::unique_ptr<TWavFileWriter> writer, int sampleRate)
    : TNullAudioOutput(sampleRate, DeferStart{}, Idle::KeepTime), writer_(std::move(writer)), ring_(RingBlocks)
{
    writerThread_ = std::thread([this] { writeLoop(); });
    startPacing();
}

TWavAudioOutput::~TWavAudioOutput()
{
    stop();
}

void TWavAudioOutput::stop()
{
    if (stopped_) return;
    stopped_ = true;
    // The pacing thread goes first, so the writer sees the last block before it finishes.
    stopPacing();
    pacingDone_.store(true);
    if (writerThread_.joinable()) writerThread_.join();
    // Blocks lost at the very end still count on the clock: the file keeps its length.
    const std::int64_t lost = framesRendered() - writer_->framesWritten();
    if (lost > 0 && !writer_->writeSilence(lost) && error_.isEmpty())
        error_ = writer_->errorString();
    if (!writer_->close() && error_.isEmpty()) error_ = writer_->errorString();
}

void TWavAudioOutput::blockRendered(const float *samples, int frames,
                                    std::int64_t startFrame) noexcept
{
    if (!ring_.push(samples, frames, startFrame))
        dropped_.fetch_add(frames, std::memory_order_relaxed);
}

void TWavAudioOutput::writeLoop()
{
    const std::int64_t headerEvery = sampleRate();
    for (;;) {
        // Read the flag before draining: whatever the pacing thread queued before it ended is
        // in the ring by the time the flag reads true.
        const bool last = pacingDone_.load();
        drain();
        if (last) break;
        if (sinceHeaderUpdate_ >= headerEvery) {
            writer_->updateHeader();
            sinceHeaderUpdate_ = 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void TWavAudioOutput::drain()
{
    while (const TAudioBlockRing::Block *block = ring_.front()) {
        if (!writer_->writeAt(block->startFrame, block->samples, block->frames) && error_.isEmpty())
            error_ = writer_->errorString();
        sinceHeaderUpdate_ += block->frames;
        ring_.pop();
    }
}

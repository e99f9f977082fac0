#include "platform/audio/renderaudiooutput.h"

#include <chrono>

std::unique_ptr<TRenderAudioOutput> TRenderAudioOutput::open(const QString &path, QString *error,
                                                             int sampleRate)
{
    auto writer = std::make_unique<TWavFileWriter>();
    if (!writer->open(path, sampleRate)) {
        if (error) *error = writer->errorString();
        return nullptr;
    }
    return std::unique_ptr<TRenderAudioOutput>(
        new TRenderAudioOutput(std::move(writer), sampleRate));
}

TRenderAudioOutput::TRenderAudioOutput(std::unique_ptr<TWavFileWriter> writer, int sampleRate)
    : TAudioOutput(sampleRate), writer_(std::move(writer)), block_(BlockFrames * Channels)
{
    thread_ = std::thread([this] { run(); });
}

TRenderAudioOutput::~TRenderAudioOutput()
{
    stop();
}

void TRenderAudioOutput::stop()
{
    if (stopped_) return;
    stopped_ = true;
    quit_.store(true);
    if (thread_.joinable()) thread_.join();
    running_.store(false);
    if (!writer_->close() && error_.isEmpty()) error_ = writer_->errorString();
}

void TRenderAudioOutput::run()
{
    const int rate = sampleRate();
    while (!quit_.load(std::memory_order_relaxed)) {
        if (!mixer().render(block_.data(), BlockFrames, rate, TAudioMixer::EmptyBlock::Skip)) {
            // Nothing attached: wait for a source without moving the clock.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (!writer_->write(block_.data(), BlockFrames)) {
            error_ = writer_->errorString();
            running_.store(false);
            return;
        }
    }
}

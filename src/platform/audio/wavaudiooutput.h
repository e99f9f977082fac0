#pragma once
// The null output that also records: the pacing thread hands each block of the mix to a writer
// thread through a lock-free ring, and the writer thread appends it to a WAV file. Frames the
// ring had no room for (a disk that stalled for seconds) become silence in the file, so every
// frame written stays at its place in time. The header is brought up to date about once a second.
//
// Threads: as TAudioOutput; the file is touched by the writer thread only, until stop() has
// joined it.
#include "platform/audio/audioblockring.h"
#include "platform/audio/nullaudiooutput.h"
#include "platform/audio/wavfilewriter.h"

#include <atomic>
#include <memory>
#include <thread>

class TWavAudioOutput : public TNullAudioOutput {
public:
    // Creates the file and starts writing; null with a reason in *error when the file cannot
    // be created.
    static std::unique_ptr<TWavAudioOutput> open(const QString &path, QString *error,
                                                 int sampleRate = DefaultSampleRate);
    ~TWavAudioOutput() override;

    QString backendName() const override { return QStringLiteral("wav"); }
    void stop() override;

    // Frames of the mix lost because the writer fell behind (written as silence). Any thread.
    std::int64_t droppedFrames() const { return dropped_.load(); }

    // Why the file could not be written or finished, or empty. Call after stop().
    QString errorString() const override { return error_; }

private:
    TWavAudioOutput(std::unique_ptr<TWavFileWriter> writer, int sampleRate);

    void blockRendered(const float *samples, int frames, std::int64_t startFrame) noexcept override;
    void writeLoop();
    void drain();

    std::unique_ptr<TWavFileWriter> writer_;
    TAudioBlockRing ring_;
    std::atomic<std::int64_t> dropped_{0};
    std::atomic<bool> pacingDone_{false};
    std::thread writerThread_;
    std::int64_t sinceHeaderUpdate_ = 0;
    QString error_;
    bool stopped_ = false;
};

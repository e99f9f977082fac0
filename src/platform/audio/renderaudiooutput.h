#pragma once
// The unpaced output: a render thread mixes as fast as the machine allows and writes each block
// straight to a WAV file. It renders only while at least one source is attached; with none, time
// stands still, so the file holds what the sources made from the moment the first was attached,
// without idle silence before, between or after them. The owner attaches its sources, waits for
// them to finish by its own means, and calls stop() to finish the file.
//
// Threads: as TAudioOutput. The render thread is this output's audio thread; it also writes the
// file, between blocks, never while a source is being mixed. A source attached here is driven far
// faster than real time: attach it only when it is ready to play.
#include "platform/audio/audiooutput.h"
#include "platform/audio/wavfilewriter.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class TRenderAudioOutput : public TAudioOutput {
public:
    static constexpr int DefaultSampleRate = 44100;
    static constexpr int BlockFrames = 512;

    // Creates the file and starts the render thread (idle until a source is attached); null
    // with a reason in *error when the file cannot be created.
    static std::unique_ptr<TRenderAudioOutput> open(const QString &path, QString *error,
                                                    int sampleRate = DefaultSampleRate);
    ~TRenderAudioOutput() override;

    QString backendName() const override { return QStringLiteral("render"); }
    void stop() override;
    // False after stop() and after the file could not be written (rendering then ends).
    bool isRunning() const override { return running_.load(); }

    // Why the file could not be written or finished, or empty. Call after stop().
    QString errorString() const override { return error_; }

private:
    TRenderAudioOutput(std::unique_ptr<TWavFileWriter> writer, int sampleRate);
    void run();

    std::unique_ptr<TWavFileWriter> writer_;
    std::vector<float> block_;
    std::atomic<bool> running_{true};
    std::atomic<bool> quit_{false};
    std::thread thread_;
    QString error_;
    bool stopped_ = false;
};

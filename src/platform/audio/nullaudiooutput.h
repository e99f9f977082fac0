#pragma once
// The output without a device: a pacing thread renders the mix block by block at the pace of the
// steady clock, so sources and the output clock advance in real time and nothing is heard.
// A machine that falls asleep or a thread that is starved does not make the output race to catch
// up: a lag of more than half a second is dropped, as a sound card would drop it. While every
// source is idle (or none is attached) the thread sleeps and the clock stands still; a wake
// (wakeAudioOutputs()) starts it again.
//
// Threads: as TAudioOutput. The pacing thread is this output's audio thread; blockRendered() runs
// on it.
#include "platform/audio/audiooutput.h"

#include <atomic>
#include <thread>
#include <vector>

class TNullAudioOutput : public TAudioOutput {
public:
    static constexpr int DefaultSampleRate = 44100;

    // Starts the pacing thread at once.
    explicit TNullAudioOutput(int sampleRate = DefaultSampleRate);
    ~TNullAudioOutput() override;

    QString backendName() const override { return QStringLiteral("null"); }
    void stop() override;
    bool isRunning() const override { return running_.load(); }

protected:
    // For derived outputs: does not start the pacing thread; the derived constructor calls
    // startPacing() once everything blockRendered() uses is in place.
    struct DeferStart {};
    // Whether the clock stands still while every source is idle, or keeps real time throughout.
    enum class Idle { Sleep, KeepTime };
    TNullAudioOutput(int sampleRate, DeferStart, Idle idle);
    void startPacing();

    // Audio thread: each rendered block of the mix, `frames` interleaved stereo frames whose
    // first is output frame `startFrame`. Must not block, allocate or lock. Does nothing here.
    virtual void blockRendered(const float *samples, int frames, std::int64_t startFrame) noexcept;

    // Stops and joins the pacing thread; after it returns blockRendered() is not called again.
    // Derived classes call it first in their own stop() and destructor.
    void stopPacing();

private:
    void run() noexcept;

    std::vector<float> scratch_;
    const bool sleepsWhenIdle_;
    std::atomic<bool> running_{true};
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

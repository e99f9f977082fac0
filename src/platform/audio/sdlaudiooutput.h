#pragma once
// The sound card, through SDL2's audio (PulseAudio, PipeWire or ALSA underneath, as SDL finds
// them; SDL_AUDIODRIVER chooses one). Stereo float at the device's rate when that is 44100 or
// 48000, else at 48000 with SDL converting.
//
// While every source is idle the device is paused, so no audio clock runs; a wake
// (wakeAudioOutputs()) starts it again at once.
//
// Threads: as TAudioOutput. SDL's audio thread is this output's audio thread: its callback calls
// the mixer and nothing else. A watcher thread of this output pauses and resumes the device.
#include "platform/audio/audiooutput.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class TSdlAudioOutput : public TAudioOutput {
public:
    // Opens the default output device and starts it; null with a one-line reason in *error when
    // SDL has no usable device. Control thread (the main thread is best); returns as soon as
    // SDL has opened or given up on the device.
    static std::unique_ptr<TSdlAudioOutput> open(QString *error);
    ~TSdlAudioOutput() override;

    QString backendName() const override { return QStringLiteral("sdl"); }
    int latencyFrames() const override { return bufferFrames_; }
    void stop() override;
    // False after stop() and after the device went away.
    bool isRunning() const override;

private:
    struct CallbackTarget {
        TSdlAudioOutput *output = nullptr;
    };

    TSdlAudioOutput(std::uint32_t device, int sampleRate, int bufferFrames,
                    std::unique_ptr<CallbackTarget> target);
    static void callback(void *target, std::uint8_t *stream, int bytes);
    void watchIdle();

    std::unique_ptr<CallbackTarget> target_;
    std::uint32_t device_ = 0; // SDL_AudioDeviceID
    const int bufferFrames_;
    std::thread watcher_;
    std::mutex watchMutex_;
    std::condition_variable watchWake_;
    bool quit_ = false; // under watchMutex_
};

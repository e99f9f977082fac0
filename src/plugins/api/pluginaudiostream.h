#pragma once
// A plug-in's sound source in the program's mix: the render call-back the plug-in gave, called
// on the audio thread while the source is attached and running.
//
// Threads: mixInto() on the audio thread; setRunning() on the owner's thread (the main thread),
// which attaches the source before it runs it and detaches it after it stops it.
#include "platform/audio/audiosource.h"
#include "tonaria/audio.h"

#include <atomic>

class TPluginAudioStream : public TAudioSource {
public:
    TPluginAudioStream(TAudioRenderProc render, void *context)
        : render_(render), context_(context)
    {
    }

    void mixInto(float *out, int frames, int sampleRate) noexcept override
    {
        if (!running_.load(std::memory_order_acquire)) return;
        // The call-back says when it has nothing more to add: the source falls silent.
        if (!render_(context_, out, frames, std::uint32_t(sampleRate)))
            running_.store(false, std::memory_order_release);
    }
    bool isIdle() const noexcept override { return !running_.load(std::memory_order_acquire); }

    void setRunning(bool running) noexcept { running_.store(running, std::memory_order_release); }

private:
    const TAudioRenderProc render_;
    void *const context_;
    std::atomic<bool> running_{false};
};

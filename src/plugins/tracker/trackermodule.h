#pragma once
// One tracker module as the device plays it: libopenmpt reads and renders it, and the audio
// thread's render call reports how far it got through atomics.
//
// Threads: Load(), the accessors and everything that changes the module (Rewind() to a
// position, Arm()) are for the main thread, and the changes only while the audio stream that
// calls Render() is halted. Render() is for the audio thread; it never blocks or allocates.
// PositionMs() and Ended() may be read on any thread.
#include "tonaria/mci.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

struct openmpt_module;

class TTrackerModule {
public:
    // The largest file a module may be: nothing a composer makes comes near it.
    static constexpr std::uint64_t MaxFileBytes = 64u * 1024u * 1024u;

    // Reads the module at `path` for rendering at `sampleRate`. On failure answers null and
    // *error says why (no such file, not a module libopenmpt reads, too large).
    static std::unique_ptr<TTrackerModule> Load(const std::string &path, std::uint32_t sampleRate,
                                                MCIERROR *error);

    ~TTrackerModule();
    TTrackerModule(const TTrackerModule &) = delete;
    TTrackerModule &operator=(const TTrackerModule &) = delete;

    std::uint32_t LengthMs() const { return lengthMs_; }
    // The module's own title; empty when it has none.
    const std::string &Title() const { return title_; }

    // Where rendering stands: at the length once the song has ended.
    std::uint32_t PositionMs() const;
    // True once rendering has reached the end of the song or the stop position.
    bool Ended() const { return ended_.load(std::memory_order_acquire); }

    // Main thread, stream halted: moves to `ms` (the length or beyond: the end of the song).
    void MoveTo(std::uint32_t ms);
    // Main thread, stream halted: rendering goes on from the position and ends at `stopMs`
    // (no stop position when negative, or the end of the song).
    void Arm(std::int64_t stopMs);

    // Audio thread: adds the next `frames` stereo frames to `out`. Answers 0 once the module
    // has nothing more to add.
    int Render(float *out, std::int32_t frames) noexcept;

private:
    TTrackerModule(openmpt_module *module, std::uint32_t sampleRate);

    static constexpr int ScratchFrames = 512;

    openmpt_module *const module_;
    const std::uint32_t sampleRate_;
    std::uint32_t lengthMs_ = 0;
    std::string title_;
    // Position = baseMs_ + frames_ at the sample rate. baseMs_ changes only while halted.
    std::uint32_t baseMs_ = 0;
    std::atomic<std::int64_t> frames_{0};
    // The frame count (after baseMs_) at which rendering stops; -1: at the end of the song.
    std::atomic<std::int64_t> stopFrames_{-1};
    std::atomic<bool> ended_{false};
    std::atomic<bool> songOver_{false};
    float scratch_[ScratchFrames * 2] = {};
};

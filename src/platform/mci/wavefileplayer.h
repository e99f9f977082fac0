#pragma once
// Plays a sound file (WAV, AIFF, FLAC, Ogg Vorbis, Opus, MP3: whatever libsndfile reads) into the
// audio output.
//
// The file is decoded into memory (16-bit stereo at the file's rate, about 10 MB a minute): its
// first seconds at open, the rest by a feeder thread of the player's own; play can begin at
// once, the audio thread reading only what is already decoded. A mono file sounds on both channels;
// of a file with more than two channels the first two are heard. A file whose rate differs from the
// output's is resampled by linear interpolation.
//
// Threads: open() and the transport commands and queries on the main thread; mixInto() on the
// audio thread, which never blocks, allocates or locks: commands reach it through a sequence
// counter and atomics.

#include "platform/mci/mcitransport.h"

#include "tonaria/mci.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class TWaveFilePlayer : public TMciTransport, public TAudioSource {
public:
    // Files longer than this are refused (their decoded sound would not fit in memory well).
    static constexpr std::int64_t MaxSeconds = 3 * 3600;
    // Files up to this long are decoded whole before play; of longer files this much is.
    static constexpr std::int64_t ReadySeconds = 20;
    // Frames decoded at a time.
    static constexpr int ChunkFrames = 4096;

    TWaveFilePlayer();
    ~TWaveFilePlayer() override;
    TWaveFilePlayer(const TWaveFilePlayer &) = delete;
    TWaveFilePlayer &operator=(const TWaveFilePlayer &) = delete;

    // Opens the file and decodes it: a short file (or any file with `decodeAll`, for an output
    // that renders faster than real time) at once, else its first seconds at once and the rest
    // on the feeder thread. Returns 0, MCIERR_INVALID_FILE when libsndfile cannot read it as
    // sound, or MCIERR_OUT_OF_MEMORY.
    MCIERROR open(const QString &path, bool decodeAll = false);

    int fileRate() const { return rate_; }
    int fileChannels() const { return channels_; }

    // TMciTransport (main thread).
    void play(std::int64_t fromMs, std::int64_t toMs) override;
    void pause() override;
    void resume() override;
    void stop() override;
    void seek(std::int64_t ms) override;
    void close() override;
    std::uint32_t positionMs() const override;
    std::uint32_t lengthMs() const override;
    Mode mode() const override;
    bool reachedEnd() const override;
    bool statusItem(std::uint32_t item, std::uintptr_t &value) const override;
    TAudioSource &source() override { return *this; }

    // Stop, pause, a seek and a close while playing fade the sound out over 1/FadesPerSecond
    // of a second instead of cutting it.
    static constexpr int FadesPerSecond = 200;
    bool ringsOut() const override { return true; }

    // TAudioSource (audio thread).
    void mixInto(float *out, int frames, int sampleRate) noexcept override;
    // Not playing, and no request waiting. Any thread.
    bool isIdle() const noexcept override;

private:
    // What the main thread asks of the audio thread: a mode, where to start (-1: stay) and
    // where to stop, in frames of the file.
    struct Request {
        int mode = 0;
        std::int64_t startFrame = -1;
        std::int64_t toFrame = 0;
    };
    void publish(Mode mode, std::int64_t startFrame);
    bool decode(struct sf_private_tag *file, std::int64_t upTo) noexcept;
    std::int64_t frameOf(std::int64_t ms) const;
    std::uint32_t msOf(std::int64_t frame) const;
    std::int64_t currentFrame() const;

    std::vector<std::int16_t> samples_; // stereo, interleaved, sized once at open
    std::int64_t totalFrames_ = 0;
    int rate_ = 0;
    int channels_ = 0;
    std::thread feeder_;
    std::atomic<bool> quit_{false};
    std::vector<float> chunk_;               // the decoder's scratch
    std::atomic<std::int64_t> decoded_{0};   // frames ready in samples_
    std::atomic<std::int64_t> available_{0}; // frames the file really holds, once known

    // Main-thread side.
    Mode mode_ = Mode::Stopped;
    std::int64_t toFrame_ = 0;
    std::uint32_t toMs_ = 0;
    std::int64_t position_ = 0; // frame the main thread last asked for or saw
    std::uint32_t serial_ = 0;

    // The request, published under a sequence counter (odd while it is written).
    std::atomic<std::uint32_t> seq_{0};
    std::atomic<std::uint32_t> reqSerial_{0};
    std::atomic<Mode> reqMode_{Mode::Stopped};
    std::atomic<std::int64_t> reqStart_{-1};
    std::atomic<std::int64_t> reqTo_{0};

    // Published by the audio thread.
    std::atomic<std::uint32_t> ackSerial_{0};
    std::atomic<std::int64_t> playedFrame_{0};
    std::atomic<std::uint32_t> endSerial_{0xFFFFFFFFu};

    // Audio thread state.
    std::uint32_t appliedSerial_ = 0;
    Mode audioMode_ = Mode::Stopped;
    double pos_ = 0; // in frames of the file
    std::int64_t audioTo_ = 0;
    float fadeGain_ = 1.0f;
    float fadeStep_ = 0.0f; // while a fade before a request runs
    std::atomic<bool> idle_{true};
};

#pragma once
// Plays the audio tracks of a CD (a drive or a disc image) into the audio output.
//
// Positions are milliseconds of the disc from its first sector after the lead-in (where the
// first track of a pressed disc starts), so a disc's positions run from 0 to its length. A
// track's start is the first millisecond that its first sector reaches, so a play from a
// track's start begins exactly with that track's first sample.
//
// A reading thread of the player's own reads sectors ahead of the play position into a
// lock-free ring (about a second and a half); the audio thread takes only what is ready there.
// When the reading falls behind, the audio thread plays silence and the position waits.
// A play stops at the end of the run of audio tracks it started in: a data track is not played.
//
// Threads: construction, the transport commands and the queries on the main thread; mixInto()
// on the audio thread, which never blocks, allocates or locks: commands reach it through a
// sequence counter and atomics, sectors through the ring.

#include "platform/mci/cddiscreader.h"
#include "platform/mci/mcitransport.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class TCdAudioPlayer : public TMciTransport, public TAudioSource {
public:
    static constexpr int RingSectors = 128;
    // Sectors read at a time.
    static constexpr int ReadSectors = 8;
    static constexpr int DiscRate = 44100;

    // Opens the disc of `source` (empty: the first drive) for an output of `outputRate`. A
    // missing drive or disc is no failure: mediaPresent() says so, and asking again looks anew.
    TCdAudioPlayer(const QString &source, int outputRate);
    ~TCdAudioPlayer() override;
    TCdAudioPlayer(const TCdAudioPlayer &) = delete;
    TCdAudioPlayer &operator=(const TCdAudioPlayer &) = delete;

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
    std::uint32_t startMs() const override;
    std::uint32_t trackCount() const override;
    std::uint32_t trackStartMs(std::uint32_t track) const override;
    std::uint32_t trackLengthMs(std::uint32_t track) const override;
    bool isAudioTrack(std::uint32_t track) const override;
    bool mediaPresent() const override;
    bool hasTrackTimes() const override { return true; }
    QString identity() const override { return disc_.identity(); }
    MCIERROR setDoorOpen(bool open) override;
    bool canEject() const override;
    TAudioSource &source() override { return *this; }

    // TAudioSource (audio thread).
    void mixInto(float *out, int frames, int sampleRate) noexcept override;
    bool isIdle() const noexcept override;

private:
    struct Block {
        std::uint32_t generation = 0;
        std::int32_t lsn = 0;
        std::int16_t samples[TCdDiscReader::FramesPerSector * 2];
    };

    // Disc frames (1/44100 s) are counted from the first sector, like the milliseconds.
    static std::int64_t frameOfLsn(std::int32_t lsn);
    static std::uint32_t msOfFrame(std::int64_t frame);
    static std::int64_t frameOfMs(std::int64_t ms);
    const TCdDiscReader::TTrack *trackAtFrame(std::int64_t frame) const;
    // The end of the run of audio tracks that holds `frame`.
    std::int64_t audioRunEnd(std::int64_t frame) const;
    std::int64_t currentFrame() const;
    // Looks for a disc again when none was found (at most every few seconds).
    void probe() const;

    void publish(Mode mode, std::int64_t startFrame);
    void setReading(bool active, std::int64_t fromFrame, std::int64_t toFrame, bool restart);
    void readLoop();
    // Audio thread: takes the main thread's request when a new one is there.
    void applyRequest() noexcept;
    // Audio thread: the next disc frame, or false on an underrun or at the end of the play.
    bool nextFrame(float &left, float &right) noexcept;

    mutable TCdDiscReader disc_;
    QString source_;
    int outputRate_;
    mutable std::chrono::steady_clock::time_point lastProbe_;

    // Main-thread side.
    Mode mode_ = Mode::Stopped;
    std::int64_t position_ = 0; // frame the main thread last asked for or saw
    std::int64_t toFrame_ = 0;
    std::uint32_t serial_ = 0;
    std::uint32_t generation_ = 0;

    // The request, published under a sequence counter (odd while it is written).
    std::atomic<std::uint32_t> seq_{0};
    std::atomic<std::uint32_t> reqSerial_{0};
    std::atomic<Mode> reqMode_{Mode::Stopped};
    std::atomic<std::uint32_t> reqGeneration_{0};
    std::atomic<std::int64_t> reqStart_{-1};
    std::atomic<std::int64_t> reqTo_{0};

    // Published by the audio thread.
    std::atomic<std::uint32_t> ackSerial_{0};
    std::atomic<std::int64_t> playedFrame_{0};
    std::atomic<std::uint32_t> endSerial_{0xFFFFFFFFu};
    std::atomic<bool> idle_{true};

    // Audio-thread state.
    std::uint32_t appliedSerial_ = 0;
    Mode audioMode_ = Mode::Stopped;
    std::uint32_t audioGeneration_ = 0;
    std::int64_t pos_ = 0; // next disc frame to take
    std::int64_t audioTo_ = 0;
    double phase_ = 0;
    int window_ = 0; // disc frames held for interpolation (0 to 2)
    float prev_[2] = {0, 0};
    float next_[2] = {0, 0};

    // The ring: the reading thread pushes, the audio thread pops.
    std::vector<Block> ring_;
    alignas(64) std::atomic<std::size_t> written_{0};
    alignas(64) std::atomic<std::size_t> read_{0};

    // What the reading thread reads: generation, first sector and end sector.
    std::atomic<std::uint32_t> readGeneration_{0};
    std::atomic<std::int32_t> readFrom_{0};
    std::atomic<std::int32_t> readTo_{0};
    std::atomic<bool> readActive_{false};
    std::mutex wakeLock_;
    std::condition_variable wake_;
    bool wakeFlag_ = false;
    bool quit_ = false;
    std::thread reader_;
};

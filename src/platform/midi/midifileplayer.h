#pragma once
// Plays a parsed MIDI file on a MIDI sink (the built-in synthesizer, or a hardware port), pulled
// by the audio mixer.
//
// Each event is dispatched at its exact frame: the sink's render is split at event positions, so
// timing does not depend on the mixer's block size. Stop, pause, seek and a new play silence every
// channel first (no hanging notes); what sounds at that moment fades out over a few milliseconds
// first instead of stopping dead. When play reaches its end the release and reverb ring out. A
// block never hands the sink more than a bounded amount of work (see MaxWorkPerBlock). A seek, and a play from a position, restores ("chases") each
// channel's program, bank, controllers, pitch bend and registered parameters as they stand at the
// target, after re-sending the SysEx messages that come before it, so that play resumes with the
// right instruments. When play reaches its end (the `to` position, or the length of the file) the
// player stops with its position exactly at that point and counts the end.
//
// Modes follow a sequencer: stopped, playing, paused. Stop keeps the position (as pause does);
// only seek and play with a `from` move it.
//
// Threads: mixInto() on the audio thread only (it never blocks, allocates or locks). The control
// API (play, pause, resume, stop, seek, close and the queries) on one control thread; commands
// reach the audio thread through atomics, and the queries combine the last command with what the
// audio thread has published. A player not attached to a running mixer takes its commands when
// mixInto() is next called. The sink belongs to the player while it is attached: nothing else
// drives it meanwhile. The file and the sink must outlive the player.

#include "platform/audio/audiosource.h"
#include "platform/midi/midifile.h"
#include "platform/midi/midisink.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class TMidiFilePlayer : public TAudioSource {
public:
    enum class Mode : int { Stopped = 0, Playing = 1, Paused = 2 };

    // What one mix block may hand the sink at most. A block that finds more due sends note-ons
    // up to MaxNoteOnsPerBlock and drops the rest (up to MaxDroppedPerBlock of them); the other
    // events cost a unit each (a note-on eight, a SysEx sixteen) out of MaxWorkPerBlock. What is
    // left waits for the next block, with the file's clock held until it has gone out.
    static constexpr int MaxNoteOnsPerBlock = 256;
    static constexpr int MaxWorkPerBlock = 16384;
    static constexpr int MaxDroppedPerBlock = 1 << 16;

    // Stop, pause and a seek while the sink sounds fade what sounds over 1/FadesPerSecond of a
    // second (5 ms) instead of cutting it. A play that has reached its end rings out (release
    // and reverb) for at most MaxTailMs, then fades away over TailFadeMs.
    static constexpr int FadesPerSecond = 200;
    static constexpr int MaxTailMs = 2000;
    static constexpr int TailFadeMs = 250;

    // `file` must be a valid parsed file (not null).
    TMidiFilePlayer(std::shared_ptr<const TMidiFile> file, TMidiSink &sink);
    ~TMidiFilePlayer() override;
    TMidiFilePlayer(const TMidiFilePlayer &) = delete;
    TMidiFilePlayer &operator=(const TMidiFilePlayer &) = delete;

    // Control thread.
    // Plays from `fromMs` (negative: from the current position) to `toMs` (negative, or past the
    // length: to the end of the file). A `to` before the start ends play at once.
    void play(std::int64_t fromMs = -1, std::int64_t toMs = -1);
    // Pause and stop silence every channel and keep the position.
    void pause();
    // Continues a paused (or stopped) play towards the `to` of the last play.
    void resume();
    void stop();
    // Moves the position (clamped to 0..length), silencing and chasing; the mode is kept.
    void seek(std::int64_t ms);
    // Stops and silences (with a short fade) on the next mixes; a play that has ended rings out.
    // The owner detaches the player from the mixer once it is idle. A sink that goes on to another player is silenced by that player's first
    // command; once the player is detached, the owner may also call the sink's allNotesOff()
    // itself.
    void close();

    std::uint32_t positionMs() const;
    std::uint32_t lengthMs() const { return lengthMs_; }
    Mode mode() const;
    bool isPlaying() const { return mode() == Mode::Playing; }
    // True when the last play command has played to its end (and the player has stopped).
    bool reachedEnd() const;
    // Counts every play that reached its end; a poller compares it with the value it last saw.
    std::uint32_t endCount() const { return endCount_.load(std::memory_order_acquire); }

    const TMidiFile &file() const { return *file_; }

    // Audio thread.
    void mixInto(float *out, int frames, int sampleRate) noexcept override;
    // Stopped or paused, with the tail died away or faded out, and no command waiting. Any
    // thread.
    bool isIdle() const noexcept override;
    // The sink is ready (a synthesizer whose SoundFont has loaded).
    bool isReady() const noexcept override { return sink_.isReady(); }

private:
    // The state the control thread asks for; published with a sequence lock (seq_ odd while
    // it is being written), read by the audio thread without waiting.
    struct Request {
        int mode = 0;
        std::int64_t toUs = 0;
        std::int64_t seekUs = 0;
        std::uint32_t seekSerial = 0;
    };
    void publish();
    bool readRequest(Request &request, std::uint32_t &serial) const noexcept;

    // Audio thread helpers.
    static constexpr int ScratchFrames = 1024;
    void renderChunk(float *out, int frames) noexcept;
    void addWithGain(float *out, int frames) noexcept;
    void fadeTo(float target, int frames) noexcept;
    void applyRequest(const Request &request, std::uint32_t serial) noexcept;
    void chaseTo(std::int64_t targetUs) noexcept;
    void dispatch(const TMidiEvent &event) noexcept;
    void finish() noexcept;
    std::int64_t frameOf(std::int64_t us) const noexcept;

    // The channel state a chase restores: values as they stand at the target, -1 when the
    // file has not set them by then.
    struct ChaseState {
        std::array<std::int16_t, 16 * 128> cc;
        std::array<std::int16_t, 16> program, bend, pressure;
        std::array<std::int32_t, 16 * 3> rpn;        // pitch-bend range, fine and coarse tuning
        std::array<std::int16_t, 16> rpnMsb, rpnLsb; // the RPN each channel has selected
    };
    // What the file touches anywhere (fixed at construction): a seek backwards puts these
    // back to their defaults when the target comes before the file sets them.
    struct Touched {
        std::array<bool, 16 * 128> cc{};
        std::array<bool, 16> program{}, bend{}, pressure{};
        std::array<bool, 16 * 3> rpn{};
    };

    std::shared_ptr<const TMidiFile> file_;
    TMidiSink &sink_;
    std::uint32_t lengthMs_ = 0;
    Touched touched_;

    // Control side.
    Request request_;
    std::uint32_t serial_ = 0;

    std::atomic<std::uint32_t> seq_{0};
    std::atomic<int> reqMode_{0};
    std::atomic<std::int64_t> reqToUs_{0};
    std::atomic<std::int64_t> reqSeekUs_{0};
    std::atomic<std::uint32_t> reqSeekSerial_{0};
    std::atomic<std::uint32_t> reqSerial_{0};

    // Published by the audio thread.
    std::atomic<std::uint32_t> ackSerial_{0};
    std::atomic<std::uint32_t> ackSeekSerial_{0};
    std::atomic<int> actualMode_{0};
    std::atomic<std::int64_t> positionUs_{0};
    std::atomic<std::uint32_t> endSerial_{0xFFFFFFFFu};
    std::atomic<std::uint32_t> endCount_{0};

    // Audio thread state.
    std::uint32_t appliedSerial_ = 0;
    std::uint32_t appliedSeekSerial_ = 0;
    int audioMode_ = 0;
    std::int64_t audioToUs_ = 0;
    std::int64_t frame_ = 0; // frames since the start of the file, at rate_
    std::size_t next_ = 0;   // next event to dispatch
    int rate_ = 0;           // sample rate frame_ counts in
    bool dirty_ = false;     // events have been sent since the last chase
    ChaseState chase_;       // scratch for chaseTo(): no allocation on the audio thread
    std::vector<float> scratch_ = std::vector<float>(2 * ScratchFrames);
    float gain_ = 1.0f; // what the sink's sound is heard at, moving towards gainTarget_
    float gainTarget_ = 1.0f;
    float gainStep_ = 1.0f;
    std::int64_t tailFrames_ = 0; // frames rendered since play ended
    std::atomic<bool> idle_{true};
};

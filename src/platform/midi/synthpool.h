#pragma once
// Where the built-in synthesizers come from: they are made, and their SoundFont loaded, on a
// thread of the pool's own, so that no caller ever waits for a load. A medium asks for a sink at
// open; the sink plays at once when a synthesizer is spare and otherwise becomes ready (see
// TMidiSink::isReady()) when the load ends. A sink that goes gives its synthesizer back; the
// pool's thread puts it back to power-on state, without a trace of reverb, for the next medium.
// When a medium takes the last spare, another is loaded at once, so that the next title finds
// one while this one's synthesizer still rings out; up to MaxSpares are kept for each rate and
// SoundFont (about 13 MB each beside the samples, which the synthesizers share).
//
// The program asks for the first synthesizer at start-up (prepare()), so that the first title
// need not wait for the SoundFont.
//
// Threads: every method from any thread but the audio thread. A sink's TMidiSink side is for the
// thread that renders it, as for any sink.
#include "platform/midi/midisink.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TSynth;
class TSynthPool;

// A built-in synthesizer as a sink, possibly still loading.
class TSynthSink : public TMidiSink {
public:
    ~TSynthSink() override;
    TSynthSink(const TSynthSink &) = delete;
    TSynthSink &operator=(const TSynthSink &) = delete;

    void send(std::uint32_t message) noexcept override;
    void sendSysEx(std::span<const std::uint8_t> bytes) noexcept override;
    void allNotesOff() noexcept override;
    void render(float *out, int frames) noexcept override;
    bool isSilent() const noexcept override;
    // True once the synthesizer is in place, or once its load has failed (the sink then stays
    // silent).
    bool isReady() const noexcept override;

    // The synthesizer, or null while it loads (or when the load failed). For the renderer's
    // thread, and for tests.
    TSynth *synth() const noexcept { return synth_.load(std::memory_order_acquire); }

private:
    friend class TSynthPool;
    TSynthSink(TSynthPool &pool, int sampleRate, QString soundFont);

    TSynthPool &pool_;
    const int sampleRate_;
    const QString soundFont_;
    std::atomic<TSynth *> synth_{nullptr};
    std::atomic<bool> failed_{false};
};

class TSynthPool {
public:
    // The program's pool.
    static TSynthPool &shared();

    TSynthPool();
    // Waits for a load in progress; the spares go.
    ~TSynthPool();
    TSynthPool(const TSynthPool &) = delete;
    TSynthPool &operator=(const TSynthPool &) = delete;

    // Starts loading a synthesizer for output at `sampleRate` with `soundFont` (empty: the one
    // TSoundFontLocator finds) unless one is spare or loading already. Returns at once.
    void prepare(int sampleRate, const QString &soundFont = QString());

    // A sink for one medium. Null, with the reason in *error, when no SoundFont can be found or
    // read (known at once); a SoundFont that turns out not to load leaves the sink silent.
    // Returns at once.
    std::unique_ptr<TSynthSink> acquire(int sampleRate, QString *error = nullptr,
                                        const QString &soundFont = QString());

    static constexpr int MaxSpares = 2;
    // How much of a used synthesizer's reverb is rendered away before it is spare again.
    static constexpr int CleanSeconds = 2;

    // Blocks until no load (or cleaning) is waiting or running (tests, and a render that must not start
    // before its synthesizer).
    void waitForLoads();

    // Synthesizers made so far (tests).
    int loadsDone() const;

private:
    friend class TSynthSink;
    struct TKey {
        int sampleRate;
        QString soundFont;
        bool operator==(const TKey &other) const = default;
    };
    struct TSpare {
        TKey key;
        std::unique_ptr<TSynth> synth;
    };

    // Resolves the SoundFont; empty with *error when there is none to be had.
    static QString resolve(const QString &soundFont, QString *error);
    void queueLocked(const TKey &key);
    void run();
    void giveBack(TSynthSink &sink);
    void install(TSynthSink &sink, std::unique_ptr<TSynth> synth);
    // Hands a ready synthesizer to a sink waiting for one, or keeps it spare; returns it when
    // neither wants it, to be destroyed without the lock.
    std::unique_ptr<TSynth> placeLocked(const TKey &key, std::unique_ptr<TSynth> synth);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TSpare> spares_;
    std::vector<TSpare> dirty_; // given back, to be cleaned
    std::vector<TSynthSink *> waiting_;
    std::deque<TKey> jobs_; // the first one is loading while busy_ (and dirty_ is empty)
    bool busy_ = false;
    bool quit_ = false;
    int loads_ = 0;
    std::thread thread_;
};

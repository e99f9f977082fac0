#pragma once
// Sources on their way out of the mix: a source that still sounds when its owner lets it go (the
// release and reverb tail of a title that has ended, a fade that has begun) stays in the mix until
// it is idle, then leaves it and its owner is destroyed, on a thread of the retirer's own. The
// thread that retires a source never waits for the tail.
//
// Threads: retire(), flush() and waitUntilEmpty() from any control thread (never the audio
// thread). The owner is destroyed on the retirer's thread, or in flush().
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TAudioMixer;
class TAudioSource;

class TAudioRetirer {
public:
    // A tail that never goes idle (an output that stalled) leaves the mix after this long.
    static constexpr std::chrono::seconds MaxTail{5};

    explicit TAudioRetirer(TAudioMixer &mixer);
    // flush()es.
    ~TAudioRetirer();
    TAudioRetirer(const TAudioRetirer &) = delete;
    TAudioRetirer &operator=(const TAudioRetirer &) = delete;

    // Takes over an attached source and whatever keeps it alive (`owner`, destroyed once the
    // source has left the mix). Returns at once.
    void retire(TAudioSource *source, std::shared_ptr<void> owner);

    // Waits until every retired source has left the mix, or `limit` has passed. True when none
    // is left.
    bool waitUntilEmpty(std::chrono::milliseconds limit);

    // Takes every retired source out of the mix now and destroys its owner.
    void flush();

    // Retired sources still in the mix.
    int pending() const;

private:
    struct Entry {
        TAudioSource *source;
        std::shared_ptr<void> owner;
        std::chrono::steady_clock::time_point deadline;
    };
    void run();
    // Takes out the entries that are done (all of them when `all`); returns them for their
    // owners to be destroyed without the lock.
    std::vector<Entry> takeDone(bool all);

    TAudioMixer &mixer_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    int leaving_ = 0; // taken out, still being detached and destroyed
    std::int64_t lastFrames_ = 0;
    std::chrono::steady_clock::time_point lastMove_;
    bool quit_ = false;
    std::thread thread_;
};

#include "platform/audio/audioretirer.h"

#include "platform/audio/audiomixer.h"
#include "platform/audio/audiosource.h"

namespace {

// How often the tails are looked at while some are left.
constexpr std::chrono::milliseconds CheckEvery{10};
// A mix whose clock stands still this long (a stopped or stalled output) lets every tail go.
constexpr std::chrono::milliseconds StillClock{200};

} // namespace

TAudioRetirer::TAudioRetirer(TAudioMixer &mixer) : mixer_(mixer) {}

TAudioRetirer::~TAudioRetirer()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    flush();
}

void TAudioRetirer::retire(TAudioSource *source, std::shared_ptr<void> owner)
{
    if (!source) return;
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (entries_.empty()) {
        lastFrames_ = mixer_.framesRendered();
        lastMove_ = now;
    }
    entries_.push_back(Entry{source, std::move(owner), now + MaxTail});
    // The thread runs only while there is something to retire; it is started on first need.
    if (!thread_.joinable() && !quit_) thread_ = std::thread([this] { run(); });
    changed_.notify_all();
}

bool TAudioRetirer::waitUntilEmpty(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return entries_.empty() && leaving_ == 0; });
}

void TAudioRetirer::flush()
{
    std::vector<Entry> done;
    {
        std::lock_guard lock(mutex_);
        done.swap(entries_);
    }
    for (Entry &entry : done)
        mixer_.detach(entry.source);
    done.clear(); // the owners go after their sources have left the mix
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

int TAudioRetirer::pending() const
{
    std::lock_guard lock(mutex_);
    return int(entries_.size());
}

std::vector<TAudioRetirer::Entry> TAudioRetirer::takeDone(bool all)
{
    std::vector<Entry> done;
    const auto now = std::chrono::steady_clock::now();
    const std::int64_t frames = mixer_.framesRendered();
    if (frames != lastFrames_) {
        lastFrames_ = frames;
        lastMove_ = now;
    }
    all = all || now - lastMove_ > StillClock;
    for (auto it = entries_.begin(); it != entries_.end();) {
        // A source is asked while it is still attached, so it cannot be gone.
        if (all || it->source->isIdle() || now >= it->deadline) {
            done.push_back(std::move(*it));
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
    return done;
}

void TAudioRetirer::run()
{
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (entries_.empty()) {
            changed_.wait(lock, [this] { return quit_ || !entries_.empty(); });
            continue;
        }
        std::vector<Entry> done = takeDone(false);
        if (!done.empty()) {
            leaving_ += int(done.size());
            lock.unlock();
            for (Entry &entry : done)
                mixer_.detach(entry.source);
            const int count = int(done.size());
            done.clear();
            lock.lock();
            leaving_ -= count;
            changed_.notify_all();
            continue;
        }
        changed_.wait_for(lock, CheckEvery, [this] { return quit_; });
    }
}

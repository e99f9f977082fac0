#include "platform/midi/synthpool.h"

#include "platform/midi/soundfontlocator.h"
#include "platform/midi/synth.h"

#include <QFileInfo>

#include <algorithm>

// ---- The sink ----

TSynthSink::TSynthSink(TSynthPool &pool, int sampleRate, QString soundFont)
    : pool_(pool), sampleRate_(sampleRate), soundFont_(std::move(soundFont))
{
}

TSynthSink::~TSynthSink()
{
    pool_.giveBack(*this);
}

void TSynthSink::send(std::uint32_t message) noexcept
{
    if (TSynth *s = synth()) s->send(message);
}

void TSynthSink::sendSysEx(std::span<const std::uint8_t> bytes) noexcept
{
    if (TSynth *s = synth()) s->sendSysEx(bytes);
}

void TSynthSink::allNotesOff() noexcept
{
    if (TSynth *s = synth()) s->allNotesOff();
}

void TSynthSink::render(float *out, int frames) noexcept
{
    if (TSynth *s = synth()) s->render(out, frames);
}

bool TSynthSink::isSilent() const noexcept
{
    const TSynth *s = synth();
    return !s || s->isSilent();
}

bool TSynthSink::isReady() const noexcept
{
    return synth() != nullptr || failed_.load(std::memory_order_acquire);
}

// ---- The pool ----

TSynthPool &TSynthPool::shared()
{
    static TSynthPool pool;
    return pool;
}

TSynthPool::TSynthPool() = default;

TSynthPool::~TSynthPool()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        jobs_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

QString TSynthPool::resolve(const QString &soundFont, QString *error)
{
    const QString path = soundFont.isEmpty() ? TSoundFontLocator::locate() : soundFont;
    QString why;
    if (path.isEmpty())
        why = QStringLiteral("No SoundFont was found for the built-in synthesizer (set "
                             "TONARIA_SOUNDFONT to a \".sf2\" file).");
    else if (!QFileInfo(path).isReadable())
        why = QStringLiteral("The SoundFont \"%1\" cannot be read.").arg(path);
    if (error) *error = why;
    return why.isEmpty() ? path : QString();
}

void TSynthPool::prepare(int sampleRate, const QString &soundFont)
{
    const QString path = resolve(soundFont, nullptr);
    if (path.isEmpty()) return;
    std::lock_guard lock(mutex_);
    const TKey key{sampleRate, path};
    const bool spare = std::any_of(spares_.begin(), spares_.end(),
                                   [&](const TSpare &s) { return s.key == key; });
    if (!spare && std::find(jobs_.begin(), jobs_.end(), key) == jobs_.end()) queueLocked(key);
}

std::unique_ptr<TSynthSink> TSynthPool::acquire(int sampleRate, QString *error,
                                                const QString &soundFont)
{
    const QString path = resolve(soundFont, error);
    if (path.isEmpty()) return nullptr;
    std::unique_ptr<TSynthSink> sink(new TSynthSink(*this, sampleRate, path));
    const TKey key{sampleRate, path};
    std::lock_guard lock(mutex_);
    const auto spare =
        std::find_if(spares_.begin(), spares_.end(), [&](const TSpare &s) { return s.key == key; });
    if (spare != spares_.end()) {
        install(*sink, std::move(spare->synth));
        spares_.erase(spare);
        // The next title should not wait either: the last spare is replaced at once.
        const bool spareLeft = std::any_of(spares_.begin(), spares_.end(),
                                           [&](const TSpare &s) { return s.key == key; });
        if (!spareLeft && std::find(jobs_.begin(), jobs_.end(), key) == jobs_.end())
            queueLocked(key);
        return sink;
    }
    // One load per waiting sink: a load already queued or running may be meant for another.
    const auto waitingForKey =
        std::count_if(waiting_.begin(), waiting_.end(), [&](const TSynthSink *s) {
            return s->sampleRate_ == sampleRate && s->soundFont_ == path;
        });
    const auto loadsForKey = std::count(jobs_.begin(), jobs_.end(), key);
    waiting_.push_back(sink.get());
    if (loadsForKey <= waitingForKey) queueLocked(key);
    return sink;
}

void TSynthPool::waitForLoads()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return jobs_.empty() && dirty_.empty() && !busy_; });
}

int TSynthPool::loadsDone() const
{
    std::lock_guard lock(mutex_);
    return loads_;
}

void TSynthPool::queueLocked(const TKey &key)
{
    jobs_.push_back(key);
    if (!thread_.joinable() && !quit_) thread_ = std::thread([this] { run(); });
    changed_.notify_all();
}

void TSynthPool::install(TSynthSink &sink, std::unique_ptr<TSynth> synth)
{
    // The sink is not rendered before it is ready, so no thread reads it meanwhile.
    sink.synth_.store(synth.release(), std::memory_order_release);
}

void TSynthPool::giveBack(TSynthSink &sink)
{
    std::unique_ptr<TSynth> synth(sink.synth_.exchange(nullptr));
    std::lock_guard lock(mutex_);
    waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), &sink), waiting_.end());
    if (!synth || quit_) return;
    // Cleaned on the pool's thread: the caller does not wait for it.
    dirty_.push_back(TSpare{TKey{sink.sampleRate_, sink.soundFont_}, std::move(synth)});
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    changed_.notify_all();
}

std::unique_ptr<TSynth> TSynthPool::placeLocked(const TKey &key, std::unique_ptr<TSynth> synth)
{
    const auto waiter = std::find_if(waiting_.begin(), waiting_.end(), [&](const TSynthSink *s) {
        return s->sampleRate_ == key.sampleRate && s->soundFont_ == key.soundFont;
    });
    if (waiter != waiting_.end()) {
        TSynthSink *sink = *waiter;
        waiting_.erase(waiter);
        install(*sink, std::move(synth));
        // A load queued for that sink, and not yet begun, is not needed any more.
        const auto first = jobs_.begin() + (busy_ ? 1 : 0);
        const auto job = std::find(first, jobs_.end(), key);
        if (job != jobs_.end()) jobs_.erase(job);
        return nullptr;
    }
    if (std::count_if(spares_.begin(), spares_.end(),
                      [&](const TSpare &s) { return s.key == key; }) < MaxSpares) {
        spares_.push_back(TSpare{key, std::move(synth)});
        return nullptr;
    }
    return synth; // enough are spare
}

void TSynthPool::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || !jobs_.empty() || !dirty_.empty(); });
        if (quit_) return;
        std::unique_ptr<TSynth> extra;
        if (!dirty_.empty()) {
            TSpare used = std::move(dirty_.front());
            dirty_.erase(dirty_.begin());
            busy_ = true;
            lock.unlock();
            // Power-on state, and the reverb's tail rendered away: a reset leaves some of it.
            used.synth->systemReset();
            // Whole blocks of the synthesizer's own, so that its blocks stay in step with the
            // frames a player counts from (an event is never more than a block late).
            used.synth->discard(used.key.sampleRate * CleanSeconds / TSynth::BlockFrames *
                                TSynth::BlockFrames);
            lock.lock();
            busy_ = false;
            extra = placeLocked(used.key, std::move(used.synth));
        } else {
            const TKey key = jobs_.front();
            busy_ = true;
            lock.unlock();
            auto synth = std::make_unique<TSynth>(key.sampleRate, key.soundFont);
            lock.lock();
            busy_ = false;
            ++loads_;
            if (!jobs_.empty()) jobs_.pop_front();
            if (synth->isValid()) {
                extra = placeLocked(key, std::move(synth));
            } else {
                // Every sink waiting for this SoundFont plays silence instead of waiting for good.
                for (auto it = waiting_.begin(); it != waiting_.end();) {
                    if ((*it)->sampleRate_ == key.sampleRate && (*it)->soundFont_ == key.soundFont) {
                        (*it)->failed_.store(true, std::memory_order_release);
                        it = waiting_.erase(it);
                    } else {
                        ++it;
                    }
                }
                jobs_.erase(std::remove(jobs_.begin(), jobs_.end(), key), jobs_.end());
                extra = std::move(synth);
            }
        }
        changed_.notify_all();
        if (extra) {
            lock.unlock();
            extra.reset();
            lock.lock();
        }
    }
}

#include "platform/mci/wavefileplayer.h"

#include "platform/audio/audiowake.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

std::int16_t toSample(float value)
{
    const float clamped = std::clamp(value, -1.0f, 1.0f);
    return static_cast<std::int16_t>(std::lrint(clamped * 32767.0f));
}

} // namespace

TWaveFilePlayer::TWaveFilePlayer() = default;

TWaveFilePlayer::~TWaveFilePlayer()
{
    quit_.store(true, std::memory_order_release);
    if (feeder_.joinable()) feeder_.join();
}

MCIERROR TWaveFilePlayer::open(const QString &path, bool decodeAll)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) return MCIERR_INVALID_FILE;
    if (info.samplerate < 1000 || info.samplerate > 768000 || info.channels < 1 ||
        info.channels > 256 || info.frames < 0) {
        sf_close(file);
        return MCIERR_INVALID_FILE;
    }
    if (info.frames > std::int64_t(info.samplerate) * MaxSeconds) {
        sf_close(file);
        return MCIERR_OUT_OF_MEMORY;
    }
    try {
        samples_.assign(std::size_t(info.frames) * 2, 0);
        chunk_.resize(std::size_t(ChunkFrames) * std::size_t(info.channels));
    } catch (const std::bad_alloc &) {
        sf_close(file);
        return MCIERR_OUT_OF_MEMORY;
    }
    rate_ = info.samplerate;
    channels_ = info.channels;
    totalFrames_ = info.frames;
    available_.store(totalFrames_, std::memory_order_relaxed);
    toFrame_ = totalFrames_;
    toMs_ = msOf(totalFrames_);

    // What play needs first is there before open returns; the rest follows on the feeder.
    const std::int64_t ready = std::int64_t(rate_) * ReadySeconds;
    if (decodeAll || totalFrames_ <= ready) {
        decode(file, totalFrames_);
        sf_close(file);
        return 0;
    }
    if (!decode(file, ready)) {
        sf_close(file);
        return 0;
    }
    feeder_ = std::thread([this, file] {
        decode(file, totalFrames_);
        sf_close(file);
    });
    return 0;
}

// Decodes on from decoded_ up to frame `upTo`, publishing progress through decoded_; false
// when the file ended (or the player is closing) first. Main thread at open, then the feeder.
bool TWaveFilePlayer::decode(SNDFILE *file, std::int64_t upTo) noexcept
{
    std::int64_t done = decoded_.load(std::memory_order_relaxed);
    while (done < upTo && !quit_.load(std::memory_order_acquire)) {
        const sf_count_t want = std::min<sf_count_t>(ChunkFrames, upTo - done);
        const sf_count_t got = sf_readf_float(file, chunk_.data(), want);
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i) {
            const float *frame = chunk_.data() + i * channels_;
            const float left = frame[0];
            const float right = channels_ > 1 ? frame[1] : frame[0];
            samples_[std::size_t(done + i) * 2] = toSample(left);
            samples_[std::size_t(done + i) * 2 + 1] = toSample(right);
        }
        done += got;
        decoded_.store(done, std::memory_order_release);
    }
    if (done >= upTo) return true;
    // A file that holds less than its header promised (a cut download, an estimated MP3
    // length) ends where the sound ends.
    if (!quit_.load(std::memory_order_acquire)) available_.store(done, std::memory_order_release);
    return false;
}

std::int64_t TWaveFilePlayer::frameOf(std::int64_t ms) const
{
    return std::clamp<std::int64_t>(ms * rate_ / 1000, 0, totalFrames_);
}

std::uint32_t TWaveFilePlayer::msOf(std::int64_t frame) const
{
    return rate_ > 0 ? std::uint32_t(frame * 1000 / rate_) : 0;
}

std::int64_t TWaveFilePlayer::currentFrame() const
{
    if (reachedEnd()) return std::min(toFrame_, available_.load(std::memory_order_acquire));
    if (ackSerial_.load(std::memory_order_acquire) == serial_)
        return playedFrame_.load(std::memory_order_acquire);
    return position_;
}

void TWaveFilePlayer::publish(Mode mode, std::int64_t startFrame)
{
    position_ = startFrame >= 0 ? startFrame : currentFrame();
    mode_ = mode;
    ++serial_;
    seq_.fetch_add(1, std::memory_order_relaxed); // odd: being written
    std::atomic_thread_fence(std::memory_order_release);
    reqMode_.store(mode, std::memory_order_relaxed);
    reqStart_.store(startFrame, std::memory_order_relaxed);
    reqTo_.store(toFrame_, std::memory_order_relaxed);
    reqSerial_.store(serial_, std::memory_order_relaxed);
    seq_.fetch_add(1, std::memory_order_release); // even: complete
    wakeAudioOutputs();
}

void TWaveFilePlayer::play(std::int64_t fromMs, std::int64_t toMs)
{
    toMs_ = toMs < 0 ? lengthMs() : std::uint32_t(std::min<std::int64_t>(toMs, lengthMs()));
    toFrame_ = toMs < 0 ? totalFrames_ : frameOf(toMs);
    publish(Mode::Playing, fromMs < 0 ? -1 : frameOf(fromMs));
}

void TWaveFilePlayer::pause()
{
    if (mode() != Mode::Playing) return;
    publish(Mode::Paused, -1);
}

void TWaveFilePlayer::resume()
{
    if (mode() != Mode::Paused) return;
    publish(Mode::Playing, -1);
}

void TWaveFilePlayer::stop()
{
    publish(Mode::Stopped, -1);
}

void TWaveFilePlayer::seek(std::int64_t ms)
{
    publish(mode(), frameOf(ms));
}

void TWaveFilePlayer::close()
{
    publish(Mode::Stopped, -1);
}

bool TWaveFilePlayer::reachedEnd() const
{
    return endSerial_.load(std::memory_order_acquire) == serial_;
}

TMciTransport::Mode TWaveFilePlayer::mode() const
{
    if (mode_ == Mode::Playing && reachedEnd()) return Mode::Stopped;
    return mode_;
}

std::uint32_t TWaveFilePlayer::positionMs() const
{
    // The end is exactly where play was asked to stop.
    if (reachedEnd()) return std::min(toMs_, lengthMs());
    return msOf(currentFrame());
}

std::uint32_t TWaveFilePlayer::lengthMs() const
{
    return msOf(available_.load(std::memory_order_acquire));
}

bool TWaveFilePlayer::statusItem(std::uint32_t item, std::uintptr_t &value) const
{
    switch (item) {
    case MCI_WAVE_STATUS_FORMATTAG:
        value = 1; // PCM
        return true;
    case MCI_WAVE_STATUS_CHANNELS:
        value = std::uintptr_t(channels_);
        return true;
    case MCI_WAVE_STATUS_SAMPLESPERSEC:
        value = std::uintptr_t(rate_);
        return true;
    case MCI_WAVE_STATUS_BITSPERSAMPLE:
        value = 16;
        return true;
    case MCI_WAVE_STATUS_BLOCKALIGN:
        value = std::uintptr_t(channels_) * 2;
        return true;
    case MCI_WAVE_STATUS_AVGBYTESPERSEC:
        value = std::uintptr_t(channels_) * 2 * std::uintptr_t(rate_);
        return true;
    default:
        return false;
    }
}

// Audio thread.
bool TWaveFilePlayer::isIdle() const noexcept
{
    return idle_.load(std::memory_order_acquire) &&
           ackSerial_.load(std::memory_order_acquire) == reqSerial_.load(std::memory_order_acquire);
}

void TWaveFilePlayer::mixInto(float *out, int frames, int sampleRate) noexcept
{
    // Take the newest complete request, if any.
    const std::uint32_t before = seq_.load(std::memory_order_acquire);
    if ((before & 1u) == 0) {
        const std::uint32_t serial = reqSerial_.load(std::memory_order_relaxed);
        if (serial != appliedSerial_) {
            const Mode mode = reqMode_.load(std::memory_order_relaxed);
            const std::int64_t start = reqStart_.load(std::memory_order_relaxed);
            const std::int64_t to = reqTo_.load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            const bool cuts = audioMode_ == Mode::Playing && (mode != Mode::Playing || start >= 0);
            if (seq_.load(std::memory_order_relaxed) != before) {
                // Being rewritten: taken up at the next block.
            } else if (cuts && fadeGain_ > 0.0f && sampleRate > 0) {
                // What sounds fades out over a few milliseconds before the request is taken up.
                fadeStep_ = float(FadesPerSecond) / float(sampleRate);
            } else {
                appliedSerial_ = serial;
                audioMode_ = mode;
                audioTo_ = to;
                fadeGain_ = 1.0f;
                fadeStep_ = 0.0f;
                if (start >= 0) pos_ = double(start);
                playedFrame_.store(std::int64_t(pos_), std::memory_order_release);
                ackSerial_.store(serial, std::memory_order_release);
            }
        }
    }
    idle_.store(audioMode_ != Mode::Playing, std::memory_order_release);
    if (audioMode_ != Mode::Playing || sampleRate <= 0) return;

    const std::int64_t available = available_.load(std::memory_order_acquire);
    const std::int64_t decoded = decoded_.load(std::memory_order_acquire);
    const std::int64_t end = std::min(audioTo_, available);
    const double step = double(rate_) / double(sampleRate);
    constexpr float kScale = 1.0f / 32768.0f;
    for (int i = 0; i < frames; ++i) {
        if (pos_ >= double(end)) {
            pos_ = double(end);
            audioMode_ = Mode::Stopped;
            playedFrame_.store(end, std::memory_order_release);
            endSerial_.store(appliedSerial_, std::memory_order_release);
            return;
        }
        const auto index = std::int64_t(pos_);
        if (index + 1 >= decoded && decoded < available) break; // not decoded yet: wait
        const double frac = pos_ - double(index);
        const std::int64_t nextIndex = std::min(index + 1, available - 1);
        const std::int16_t *a = samples_.data() + index * 2;
        const std::int16_t *b = samples_.data() + nextIndex * 2;
        if (fadeStep_ > 0.0f) {
            fadeGain_ = std::max(0.0f, fadeGain_ - fadeStep_);
            if (fadeGain_ == 0.0f) break; // faded out: the request is taken up next block
        }
        const float scale = kScale * fadeGain_;
        out[2 * i] += float(a[0] + (b[0] - a[0]) * frac) * scale;
        out[2 * i + 1] += float(a[1] + (b[1] - a[1]) * frac) * scale;
        pos_ += step;
    }
    playedFrame_.store(std::int64_t(pos_), std::memory_order_release);
}

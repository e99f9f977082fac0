#include "platform/mci/cdaudioplayer.h"

#include "platform/audio/audiowake.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kFramesPerSector = TCdDiscReader::FramesPerSector;
// How often an empty drive is looked at again, at most.
constexpr std::chrono::seconds kProbeInterval{2};
// How long the reading thread rests when the ring is full or there is nothing to read.
constexpr std::chrono::milliseconds kReadRest{5};

// Milliseconds of a sector's start, rounded up: the first millisecond the sector reaches.
std::int64_t msOfSector(std::int64_t sector)
{
    return (sector * 40 + 2) / 3;
}

} // namespace

TCdAudioPlayer::TCdAudioPlayer(const QString &source, int outputRate)
    : source_(source), outputRate_(outputRate > 0 ? outputRate : DiscRate),
      ring_(std::size_t(RingSectors))
{
    disc_.open(source_);
    lastProbe_ = std::chrono::steady_clock::now();
    if (!disc_.tracks().empty()) position_ = frameOfLsn(disc_.tracks().front().startLsn);
    playedFrame_.store(position_, std::memory_order_relaxed);
    reader_ = std::thread([this] { readLoop(); });
}

TCdAudioPlayer::~TCdAudioPlayer()
{
    close();
}

// ---- Time ---------------------------------------------------------------------------------------

std::int64_t TCdAudioPlayer::frameOfLsn(std::int32_t lsn)
{
    return std::int64_t(lsn) * kFramesPerSector;
}

std::uint32_t TCdAudioPlayer::msOfFrame(std::int64_t frame)
{
    return std::uint32_t((std::max<std::int64_t>(frame, 0) * 10 + 440) / 441);
}

std::int64_t TCdAudioPlayer::frameOfMs(std::int64_t ms)
{
    // The millisecond a sector starts in names that sector's first frame.
    const std::int64_t sector = ms * 3 / 40;
    for (std::int64_t candidate = sector; candidate <= sector + 1; ++candidate) {
        if (msOfSector(candidate) == ms) return candidate * kFramesPerSector;
    }
    return ms * 441 / 10;
}

const TCdDiscReader::TTrack *TCdAudioPlayer::trackAtFrame(std::int64_t frame) const
{
    const auto &tracks = disc_.tracks();
    const TCdDiscReader::TTrack *found = tracks.empty() ? nullptr : &tracks.front();
    for (const auto &track : tracks) {
        if (frameOfLsn(track.startLsn) <= frame) found = &track;
    }
    return found;
}

std::int64_t TCdAudioPlayer::audioRunEnd(std::int64_t frame) const
{
    const auto &tracks = disc_.tracks();
    const TCdDiscReader::TTrack *track = trackAtFrame(frame);
    if (!track) return frame;
    auto index = std::size_t(track - tracks.data());
    while (index + 1 < tracks.size() && tracks[index + 1].audio)
        ++index;
    return index + 1 < tracks.size() ? frameOfLsn(tracks[index + 1].startLsn)
                                     : frameOfLsn(disc_.leadOutLsn());
}

std::uint32_t TCdAudioPlayer::startMs() const
{
    const auto &tracks = disc_.tracks();
    return tracks.empty() ? 0 : std::uint32_t(msOfSector(tracks.front().startLsn));
}

std::uint32_t TCdAudioPlayer::lengthMs() const
{
    if (disc_.tracks().empty()) return 0;
    return std::uint32_t(msOfSector(disc_.leadOutLsn())) - startMs();
}

std::uint32_t TCdAudioPlayer::trackCount() const
{
    return std::uint32_t(disc_.tracks().size());
}

std::uint32_t TCdAudioPlayer::trackStartMs(std::uint32_t track) const
{
    const auto &tracks = disc_.tracks();
    if (track < 1 || track > tracks.size()) return 0;
    return std::uint32_t(msOfSector(tracks[track - 1].startLsn));
}

std::uint32_t TCdAudioPlayer::trackLengthMs(std::uint32_t track) const
{
    const auto &tracks = disc_.tracks();
    if (track < 1 || track > tracks.size()) return 0;
    const TCdDiscReader::TTrack &t = tracks[track - 1];
    return std::uint32_t(msOfSector(t.startLsn + t.sectors) - msOfSector(t.startLsn));
}

bool TCdAudioPlayer::isAudioTrack(std::uint32_t track) const
{
    const auto &tracks = disc_.tracks();
    return track >= 1 && track <= tracks.size() && tracks[track - 1].audio;
}

void TCdAudioPlayer::probe() const
{
    if (disc_.state() == TCdDiscReader::State::Ready) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastProbe_ < kProbeInterval) return;
    lastProbe_ = now;
    disc_.open(source_);
}

bool TCdAudioPlayer::mediaPresent() const
{
    probe();
    return disc_.state() == TCdDiscReader::State::Ready;
}

bool TCdAudioPlayer::canEject() const
{
    return !disc_.isImage() && disc_.state() != TCdDiscReader::State::NoDrive;
}

MCIERROR TCdAudioPlayer::setDoorOpen(bool open)
{
    if (disc_.isImage()) return MCIERR_UNSUPPORTED_FUNCTION;
    if (disc_.state() == TCdDiscReader::State::NoDrive) return MCIERR_DEVICE_NOT_READY;
    if (open) {
        stop();
        if (!disc_.eject()) return MCIERR_UNSUPPORTED_FUNCTION;
        // A closed tray is looked at again at once.
        lastProbe_ = {};
        return 0;
    }
    if (!disc_.closeTray()) return MCIERR_UNSUPPORTED_FUNCTION;
    lastProbe_ = std::chrono::steady_clock::now();
    if (!disc_.tracks().empty()) position_ = frameOfLsn(disc_.tracks().front().startLsn);
    return 0;
}

// ---- Commands (main thread) ---------------------------------------------------------------------

std::int64_t TCdAudioPlayer::currentFrame() const
{
    if (ackSerial_.load(std::memory_order_acquire) == serial_)
        return playedFrame_.load(std::memory_order_acquire);
    return position_;
}

void TCdAudioPlayer::publish(Mode mode, std::int64_t startFrame)
{
    ++serial_;
    mode_ = mode;
    seq_.fetch_add(1, std::memory_order_acq_rel);
    reqSerial_.store(serial_, std::memory_order_relaxed);
    reqMode_.store(mode, std::memory_order_relaxed);
    reqGeneration_.store(generation_, std::memory_order_relaxed);
    reqStart_.store(startFrame, std::memory_order_relaxed);
    reqTo_.store(toFrame_, std::memory_order_relaxed);
    seq_.fetch_add(1, std::memory_order_release);
    wakeAudioOutputs();
}

void TCdAudioPlayer::setReading(bool active, std::int64_t fromFrame, std::int64_t toFrame,
                                bool restart)
{
    if (restart) {
        readFrom_.store(std::int32_t(fromFrame / kFramesPerSector), std::memory_order_relaxed);
        readTo_.store(std::int32_t((toFrame + kFramesPerSector - 1) / kFramesPerSector),
                      std::memory_order_relaxed);
        readGeneration_.store(generation_, std::memory_order_release);
    }
    readActive_.store(active, std::memory_order_release);
    {
        const std::lock_guard<std::mutex> guard(wakeLock_);
        wakeFlag_ = true;
    }
    wake_.notify_one();
}

void TCdAudioPlayer::play(std::int64_t fromMs, std::int64_t toMs)
{
    if (disc_.state() != TCdDiscReader::State::Ready) return;
    std::int64_t start = fromMs >= 0 ? frameOfMs(fromMs) : currentFrame();
    const std::int64_t runEnd = audioRunEnd(start);
    toFrame_ = toMs >= 0 ? std::min(frameOfMs(toMs), runEnd) : runEnd;
    start = std::min(start, toFrame_);
    position_ = start;
    ++generation_;
    setReading(true, start, toFrame_, true);
    publish(Mode::Playing, start);
}

void TCdAudioPlayer::pause()
{
    if (mode() != Mode::Playing) return;
    position_ = currentFrame();
    publish(Mode::Paused, -1);
}

void TCdAudioPlayer::resume()
{
    if (mode_ != Mode::Paused) return;
    publish(Mode::Playing, -1);
}

void TCdAudioPlayer::stop()
{
    position_ = currentFrame();
    setReading(false, 0, 0, false);
    publish(Mode::Stopped, -1);
}

void TCdAudioPlayer::seek(std::int64_t ms)
{
    const Mode kept = mode() == Mode::Playing ? Mode::Stopped : mode_;
    position_ = frameOfMs(ms);
    ++generation_;
    if (kept == Mode::Paused) {
        toFrame_ = std::max(toFrame_, position_);
        setReading(true, position_, toFrame_, true);
    } else {
        setReading(false, position_, position_, true);
    }
    publish(kept, position_);
}

void TCdAudioPlayer::close()
{
    if (!reader_.joinable()) return;
    readActive_.store(false, std::memory_order_release);
    publish(Mode::Stopped, -1);
    {
        const std::lock_guard<std::mutex> guard(wakeLock_);
        quit_ = true;
    }
    wake_.notify_one();
    reader_.join();
}

std::uint32_t TCdAudioPlayer::positionMs() const
{
    if (disc_.state() != TCdDiscReader::State::Ready) return 0;
    return std::max(msOfFrame(currentFrame()), startMs());
}

TMciTransport::Mode TCdAudioPlayer::mode() const
{
    if (mode_ == Mode::Playing && reachedEnd()) return Mode::Stopped;
    return mode_;
}

bool TCdAudioPlayer::reachedEnd() const
{
    return endSerial_.load(std::memory_order_acquire) == serial_;
}

bool TCdAudioPlayer::isIdle() const noexcept
{
    return idle_.load(std::memory_order_acquire) &&
           ackSerial_.load(std::memory_order_acquire) == reqSerial_.load(std::memory_order_acquire);
}

// ---- The reading thread
// ---------------------------------------------------------------------------

void TCdAudioPlayer::readLoop()
{
    std::vector<std::int16_t> buffer(std::size_t(ReadSectors) * kFramesPerSector * 2);
    std::uint32_t generation = readGeneration_.load(std::memory_order_acquire);
    std::int32_t next = 0;
    bool started = false;
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(wakeLock_);
            wake_.wait_for(guard, kReadRest, [this] { return quit_ || wakeFlag_; });
            wakeFlag_ = false;
            if (quit_) return;
        }
        // Fill the ring as far as it goes.
        for (;;) {
            const std::uint32_t wanted = readGeneration_.load(std::memory_order_acquire);
            if (!started || wanted != generation) {
                generation = wanted;
                next = readFrom_.load(std::memory_order_relaxed);
                started = true;
            }
            if (!readActive_.load(std::memory_order_acquire)) break;
            const std::int32_t end = readTo_.load(std::memory_order_relaxed);
            const std::size_t queued =
                written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire);
            const auto room = std::int32_t(ring_.size() - queued);
            const std::int32_t count = std::min({room, std::int32_t(ReadSectors), end - next});
            if (count <= 0) break;
            disc_.readAudio(next, count, buffer.data());
            // A newer request makes what was read useless.
            if (readGeneration_.load(std::memory_order_acquire) != generation) continue;
            std::size_t at = written_.load(std::memory_order_relaxed);
            for (std::int32_t i = 0; i < count; ++i, ++at) {
                Block &block = ring_[at % ring_.size()];
                block.generation = generation;
                block.lsn = next + i;
                std::memcpy(block.samples, buffer.data() + std::size_t(i) * kFramesPerSector * 2,
                            sizeof block.samples);
            }
            written_.store(at, std::memory_order_release);
            next += count;
        }
    }
}

// ---- The audio thread ---------------------------------------------------------------------------

void TCdAudioPlayer::applyRequest() noexcept
{
    const std::uint32_t before = seq_.load(std::memory_order_acquire);
    if (before & 1u) return; // being written: taken at the next block
    const std::uint32_t serial = reqSerial_.load(std::memory_order_relaxed);
    if (serial == appliedSerial_) return;
    const Mode mode = reqMode_.load(std::memory_order_relaxed);
    const std::uint32_t generation = reqGeneration_.load(std::memory_order_relaxed);
    const std::int64_t start = reqStart_.load(std::memory_order_relaxed);
    const std::int64_t to = reqTo_.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (seq_.load(std::memory_order_relaxed) != before) return;

    appliedSerial_ = serial;
    audioMode_ = mode;
    audioTo_ = to;
    if (start >= 0) {
        pos_ = start;
        window_ = 0;
        phase_ = 0;
    }
    if (generation != audioGeneration_) {
        audioGeneration_ = generation;
        // What was read for an earlier request goes at once, so the reading thread has room.
        std::size_t at = read_.load(std::memory_order_relaxed);
        const std::size_t end = written_.load(std::memory_order_acquire);
        while (at != end && ring_[at % ring_.size()].generation != generation)
            ++at;
        read_.store(at, std::memory_order_release);
    }
    playedFrame_.store(pos_, std::memory_order_release);
    ackSerial_.store(serial, std::memory_order_release);
}

bool TCdAudioPlayer::nextFrame(float &left, float &right) noexcept
{
    for (;;) {
        if (pos_ >= audioTo_) return false;
        const std::size_t at = read_.load(std::memory_order_relaxed);
        if (at == written_.load(std::memory_order_acquire)) return false; // not read yet
        const Block &block = ring_[at % ring_.size()];
        const std::int64_t first = frameOfLsn(block.lsn);
        if (block.generation != audioGeneration_ || pos_ < first ||
            pos_ >= first + kFramesPerSector) {
            read_.store(at + 1, std::memory_order_release);
            continue;
        }
        const auto offset = std::size_t(pos_ - first);
        constexpr float scale = 1.0f / 32768.0f;
        left = float(block.samples[offset * 2]) * scale;
        right = float(block.samples[offset * 2 + 1]) * scale;
        ++pos_;
        if (offset + 1 == std::size_t(kFramesPerSector))
            read_.store(at + 1, std::memory_order_release);
        return true;
    }
}

void TCdAudioPlayer::mixInto(float *out, int frames, int sampleRate) noexcept
{
    applyRequest();
    if (audioMode_ != Mode::Playing) {
        idle_.store(true, std::memory_order_release);
        return;
    }
    idle_.store(false, std::memory_order_release);
    const double step = double(DiscRate) / double(sampleRate > 0 ? sampleRate : DiscRate);
    for (int i = 0; i < frames;) {
        if (window_ == 2 && phase_ >= 1.0) {
            prev_[0] = next_[0];
            prev_[1] = next_[1];
            window_ = 1;
            phase_ -= 1.0;
            continue;
        }
        if (window_ < 2) {
            float left = 0;
            float right = 0;
            if (!nextFrame(left, right)) {
                if (pos_ >= audioTo_) {
                    // The play has run to its end.
                    audioMode_ = Mode::Stopped;
                    idle_.store(true, std::memory_order_release);
                    endSerial_.store(appliedSerial_, std::memory_order_release);
                }
                break; // or the reading is behind: silence, and the position waits
            }
            float *into = window_ == 0 ? prev_ : next_;
            into[0] = left;
            into[1] = right;
            ++window_;
            continue;
        }
        const auto t = float(phase_);
        out[2 * i] += prev_[0] + (next_[0] - prev_[0]) * t;
        out[2 * i + 1] += prev_[1] + (next_[1] - prev_[1]) * t;
        phase_ += step;
        ++i;
    }
    playedFrame_.store(pos_, std::memory_order_release);
}

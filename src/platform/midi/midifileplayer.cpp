#include "platform/midi/midifileplayer.h"

#include <algorithm>

#include "platform/audio/audiowake.h"

namespace {

constexpr int Stopped = int(TMidiFilePlayer::Mode::Stopped);
constexpr int Playing = int(TMidiFilePlayer::Mode::Playing);
constexpr int Paused = int(TMidiFilePlayer::Mode::Paused);

// Controllers a chase leaves alone: bank select (sent with the program), data entry and the
// parameter numbers (restored as registered parameters), and the channel mode messages.
bool chasedController(int cc)
{
    return cc != 0 && cc != 32 && cc != 6 && cc != 38 && !(cc >= 96 && cc <= 101) && cc < 120;
}

// A controller's value after a system reset of the synthesizer.
int defaultController(int cc)
{
    switch (cc) {
    case 7:
        return 100;
    case 8:
    case 10:
        return 64;
    case 11:
    case 43:
        return 127;
    default:
        return cc >= 70 && cc <= 79 ? 64 : 0;
    }
}

// Registered parameters 0 (pitch-bend range), 1 (fine tuning) and 2 (coarse tuning) at power-on,
// as data entry MSB << 7 | LSB.
constexpr int DefaultRpn[3] = {2 << 7, 64 << 7, 64 << 7};

// The work one block of the mix may ask of the sink. A synthesizer spends most on a note-on
// (a voice is found, stolen and set up); past what any real song asks for at one instant, note-ons
// are dropped, as a synthesizer out of voices drops them, and the other events are spread over
// the following blocks, so that a file that piles millions of events onto one instant cannot
// stall the output.
class TBlockBudget {
public:
    enum Verdict { Send, Drop, Wait };

    Verdict take(const TMidiEvent &event) noexcept
    {
        const bool noteOn = event.command() == 0x90 && event.data2 != 0;
        if (noteOn && notes_ == 0) return skips_-- > 0 ? Drop : Wait;
        const int cost = noteOn ? 8 : event.isSysEx() ? 16 : event.command() == 0x80 ? 1 : 2;
        if (work_ < cost) return Wait;
        work_ -= cost;
        if (noteOn) --notes_;
        return Send;
    }

private:
    // More note-ons than the synthesizer has voices only steal each other's voices.
    int notes_ = TMidiFilePlayer::MaxNoteOnsPerBlock;
    int work_ = TMidiFilePlayer::MaxWorkPerBlock;
    int skips_ = TMidiFilePlayer::MaxDroppedPerBlock;
};

std::uint32_t shortMsg(int status, int d1, int d2)
{
    return std::uint32_t(status) | std::uint32_t(d1) << 8 | std::uint32_t(d2) << 16;
}

} // namespace

TMidiFilePlayer::TMidiFilePlayer(std::shared_ptr<const TMidiFile> file, TMidiSink &sink)
    : file_(std::move(file)), sink_(sink), lengthMs_(file_->lengthMs())
{
    request_.toUs = std::int64_t(lengthMs_) * 1000;
    // Which parts of the channel state the file sets anywhere.
    std::array<int, 16> rpnMsb, rpnLsb;
    rpnMsb.fill(127);
    rpnLsb.fill(127);
    for (const TMidiEvent &e : file_->events()) {
        if (!e.isChannelMessage()) continue;
        const int ch = e.channel();
        switch (e.command()) {
        case 0xB0:
            touched_.cc[std::size_t(ch * 128 + e.data1)] = true;
            if (e.data1 == 101) rpnMsb[std::size_t(ch)] = e.data2;
            if (e.data1 == 100) rpnLsb[std::size_t(ch)] = e.data2;
            if (e.data1 == 99 || e.data1 == 98) rpnMsb[std::size_t(ch)] = 127;
            if ((e.data1 == 6 || e.data1 == 38) && rpnMsb[std::size_t(ch)] == 0 &&
                rpnLsb[std::size_t(ch)] < 3)
                touched_.rpn[std::size_t(ch * 3 + rpnLsb[std::size_t(ch)])] = true;
            break;
        case 0xC0:
            touched_.program[std::size_t(ch)] = true;
            break;
        case 0xD0:
            touched_.pressure[std::size_t(ch)] = true;
            break;
        case 0xE0:
            touched_.bend[std::size_t(ch)] = true;
            break;
        default:
            break;
        }
    }
    publish();
}

TMidiFilePlayer::~TMidiFilePlayer() = default;

// ---- Control thread ----

void TMidiFilePlayer::publish()
{
    ++serial_;
    const std::uint32_t s = seq_.load(std::memory_order_relaxed);
    seq_.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    reqMode_.store(request_.mode, std::memory_order_relaxed);
    reqToUs_.store(request_.toUs, std::memory_order_relaxed);
    reqSeekUs_.store(request_.seekUs, std::memory_order_relaxed);
    reqSeekSerial_.store(request_.seekSerial, std::memory_order_relaxed);
    reqSerial_.store(serial_, std::memory_order_relaxed);
    seq_.store(s + 2, std::memory_order_release);
    wakeAudioOutputs();
}

void TMidiFilePlayer::play(std::int64_t fromMs, std::int64_t toMs)
{
    request_.mode = Playing;
    if (fromMs >= 0) {
        request_.seekUs = std::min<std::int64_t>(fromMs, lengthMs_) * 1000;
        ++request_.seekSerial;
    }
    request_.toUs =
        std::int64_t(toMs < 0 ? lengthMs_ : std::min<std::int64_t>(toMs, lengthMs_)) * 1000;
    publish();
}

void TMidiFilePlayer::pause()
{
    if (mode() != Mode::Playing) return;
    request_.mode = Paused;
    publish();
}

void TMidiFilePlayer::resume()
{
    request_.mode = Playing;
    publish();
}

void TMidiFilePlayer::stop()
{
    // A play that has ended is stopped already: nothing to tell the audio thread, which may
    // then stay idle.
    const bool stoppedAlready = mode() == Mode::Stopped;
    request_.mode = Stopped;
    if (!stoppedAlready) publish();
}

void TMidiFilePlayer::seek(std::int64_t ms)
{
    request_.mode = int(mode());
    request_.seekUs = std::clamp<std::int64_t>(ms, 0, lengthMs_) * 1000;
    ++request_.seekSerial;
    publish();
}

void TMidiFilePlayer::close()
{
    stop();
}

std::uint32_t TMidiFilePlayer::positionMs() const
{
    if (ackSeekSerial_.load(std::memory_order_acquire) != request_.seekSerial)
        return std::uint32_t(request_.seekUs / 1000);
    return std::uint32_t(positionUs_.load(std::memory_order_acquire) / 1000);
}

TMidiFilePlayer::Mode TMidiFilePlayer::mode() const
{
    if (ackSerial_.load(std::memory_order_acquire) != serial_) return Mode(request_.mode);
    return Mode(actualMode_.load(std::memory_order_acquire));
}

bool TMidiFilePlayer::reachedEnd() const
{
    return endSerial_.load(std::memory_order_acquire) == serial_;
}

// ---- Audio thread ----

bool TMidiFilePlayer::readRequest(Request &request, std::uint32_t &serial) const noexcept
{
    const std::uint32_t s1 = seq_.load(std::memory_order_acquire);
    if (s1 & 1) return false;
    request.mode = reqMode_.load(std::memory_order_relaxed);
    request.toUs = reqToUs_.load(std::memory_order_relaxed);
    request.seekUs = reqSeekUs_.load(std::memory_order_relaxed);
    request.seekSerial = reqSeekSerial_.load(std::memory_order_relaxed);
    serial = reqSerial_.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    return seq_.load(std::memory_order_relaxed) == s1;
}

std::int64_t TMidiFilePlayer::frameOf(std::int64_t us) const noexcept
{
    return (us * rate_ + 500000) / 1000000;
}

void TMidiFilePlayer::applyRequest(const Request &request, std::uint32_t serial) noexcept
{
    const bool seeking = request.seekSerial != appliedSeekSerial_;
    const bool leavingPlay = audioMode_ == Playing && request.mode != Playing;
    // The first command also silences what an earlier user of the sink left sounding.
    if (seeking || leavingPlay || appliedSerial_ == 0) sink_.allNotesOff();
    if (seeking) {
        appliedSeekSerial_ = request.seekSerial;
        const std::int64_t target = request.seekUs;
        if (target > 0 || dirty_) chaseTo(target);
        const auto &events = file_->events();
        next_ = std::size_t(
            std::lower_bound(events.begin(), events.end(), target,
                             [](const TMidiEvent &e, std::int64_t us) { return e.timeUs < us; }) -
            events.begin());
        frame_ = frameOf(target);
        positionUs_.store(target, std::memory_order_release);
        ackSeekSerial_.store(appliedSeekSerial_, std::memory_order_release);
    }
    audioMode_ = request.mode;
    audioToUs_ = request.toUs;
    appliedSerial_ = serial;
    actualMode_.store(audioMode_, std::memory_order_release);
    ackSerial_.store(serial, std::memory_order_release);
}

void TMidiFilePlayer::chaseTo(std::int64_t targetUs) noexcept
{
    ChaseState &s = chase_;
    s.cc.fill(-1);
    s.program.fill(-1);
    s.bend.fill(-1);
    s.pressure.fill(-1);
    s.rpn.fill(-1);
    s.rpnMsb.fill(127);
    s.rpnLsb.fill(127);

    // Setup messages first, in file order, then the channel state on top of them.
    for (const TMidiEvent &e : file_->events()) {
        if (e.timeUs >= targetUs) break;
        if (e.isSysEx()) {
            dispatch(e);
            continue;
        }
        if (!e.isChannelMessage()) continue;
        const auto ch = std::size_t(e.channel());
        switch (e.command()) {
        case 0xB0: {
            const int cc = e.data1, v = e.data2;
            s.cc[ch * 128 + std::size_t(cc)] = std::int16_t(v);
            if (cc == 101) s.rpnMsb[ch] = std::int16_t(v);
            if (cc == 100) s.rpnLsb[ch] = std::int16_t(v);
            if (cc == 99 || cc == 98) s.rpnMsb[ch] = 127;
            if ((cc == 6 || cc == 38) && s.rpnMsb[ch] == 0 && s.rpnLsb[ch] < 3) {
                std::int32_t &r = s.rpn[ch * 3 + std::size_t(s.rpnLsb[ch])];
                const std::int32_t old = r < 0 ? DefaultRpn[s.rpnLsb[ch]] : r;
                r = cc == 6 ? (v << 7 | (old & 0x7F)) : ((old & ~0x7F) | v);
            }
            if (cc == 121) { // reset all controllers
                for (int c = 1; c < 120; ++c)
                    if (c != 7 && c != 10 && c != 32) s.cc[ch * 128 + std::size_t(c)] = -1;
                s.bend[ch] = -1;
                s.pressure[ch] = -1;
            }
            break;
        }
        case 0xC0:
            s.program[ch] = std::int16_t(e.data1);
            break;
        case 0xD0:
            s.pressure[ch] = std::int16_t(e.data1);
            break;
        case 0xE0:
            s.bend[ch] = std::int16_t(e.data2 << 7 | e.data1);
            break;
        default:
            break;
        }
    }

    for (std::size_t ch = 0; ch < 16; ++ch) {
        const int cs = 0xB0 | int(ch);
        auto value = [&](int cc) {
            const int v = s.cc[ch * 128 + std::size_t(cc)];
            return v >= 0 ? v : defaultController(cc);
        };
        if (touched_.cc[ch * 128] || touched_.program[ch]) sink_.send(shortMsg(cs, 0, value(0)));
        if (touched_.cc[ch * 128 + 32] || touched_.program[ch])
            sink_.send(shortMsg(cs, 32, value(32)));
        if (touched_.program[ch])
            sink_.send(shortMsg(0xC0 | int(ch), std::max<int>(s.program[ch], 0), 0));
        for (int cc = 1; cc < 120; ++cc)
            if (chasedController(cc) && touched_.cc[ch * 128 + std::size_t(cc)])
                sink_.send(shortMsg(cs, cc, value(cc)));
        bool rpnSent = false;
        for (int p = 0; p < 3; ++p) {
            if (!touched_.rpn[ch * 3 + std::size_t(p)]) continue;
            const std::int32_t r = s.rpn[ch * 3 + std::size_t(p)];
            const int v = r >= 0 ? r : DefaultRpn[p];
            sink_.send(shortMsg(cs, 101, 0));
            sink_.send(shortMsg(cs, 100, p));
            sink_.send(shortMsg(cs, 6, v >> 7 & 0x7F));
            sink_.send(shortMsg(cs, 38, v & 0x7F));
            rpnSent = true;
        }
        if (rpnSent || touched_.cc[ch * 128 + 101] || touched_.cc[ch * 128 + 100]) {
            // Leave the channel with the parameter the file had selected (or none).
            sink_.send(shortMsg(cs, 101, s.rpnMsb[ch]));
            sink_.send(shortMsg(cs, 100, s.rpnLsb[ch]));
        }
        if (touched_.bend[ch]) {
            const int b = s.bend[ch] >= 0 ? s.bend[ch] : 8192;
            sink_.send(shortMsg(0xE0 | int(ch), b & 0x7F, b >> 7));
        }
        if (touched_.pressure[ch])
            sink_.send(shortMsg(0xD0 | int(ch), std::max<int>(s.pressure[ch], 0), 0));
    }
    dirty_ = false;
}

void TMidiFilePlayer::dispatch(const TMidiEvent &event) noexcept
{
    if (event.isChannelMessage()) {
        sink_.send(event.shortMessage());
        dirty_ = true;
    } else if (event.isSysEx()) {
        std::span<const std::uint8_t> bytes = file_->payload(event);
        if (event.status == 0xF7) {
            // An escape packet reaches the synthesizer only when it carries a whole message.
            if (bytes.empty() || bytes.front() != 0xF0) return;
            bytes = bytes.subspan(1);
        }
        sink_.sendSysEx(bytes);
        dirty_ = true;
    }
}

void TMidiFilePlayer::finish() noexcept
{
    tailFrames_ = 0;
    // Notes the file leaves on (or that a `to` cuts) end with their release.
    for (int ch = 0; ch < 16; ++ch) {
        sink_.send(shortMsg(0xB0 | ch, 64, 0));
        sink_.send(shortMsg(0xB0 | ch, 123, 0));
    }
    const std::int64_t endFrame = frameOf(audioToUs_);
    if (frame_ <= endFrame) {
        frame_ = endFrame;
        positionUs_.store(audioToUs_, std::memory_order_release);
    }
    audioMode_ = Stopped;
    actualMode_.store(Stopped, std::memory_order_release);
    endSerial_.store(appliedSerial_, std::memory_order_release);
    endCount_.fetch_add(1, std::memory_order_acq_rel);
}

bool TMidiFilePlayer::isIdle() const noexcept
{
    // A command not yet taken up is work to do.
    return idle_.load(std::memory_order_acquire) &&
           ackSerial_.load(std::memory_order_acquire) == reqSerial_.load(std::memory_order_acquire);
}

void TMidiFilePlayer::mixInto(float *out, int frames, int sampleRate) noexcept
{
    if (frames <= 0 || sampleRate <= 0) return;
    // A sink still being made ready holds the file where it is.
    if (!sink_.isReady()) return;
    if (rate_ != sampleRate) {
        rate_ = sampleRate;
        frame_ = frameOf(positionUs_.load(std::memory_order_relaxed));
    }
    while (frames > 0) {
        const int n = std::min(frames, ScratchFrames);
        std::fill_n(scratch_.begin(), 2 * n, 0.0f);
        renderChunk(scratch_.data(), n);
        addWithGain(out, n);
        out += 2 * n;
        frames -= n;
    }
    idle_.store(audioMode_ != Playing && (gain_ == 0.0f || sink_.isSilent()),
                std::memory_order_release);
}

void TMidiFilePlayer::addWithGain(float *out, int frames) noexcept
{
    const float *in = scratch_.data();
    if (gain_ == 1.0f && gainTarget_ == 1.0f) {
        for (int i = 0; i < 2 * frames; ++i)
            out[i] += in[i];
        return;
    }
    for (int i = 0; i < frames; ++i) {
        if (gain_ < gainTarget_)
            gain_ = std::min(gainTarget_, gain_ + gainStep_);
        else if (gain_ > gainTarget_)
            gain_ = std::max(gainTarget_, gain_ - gainStep_);
        out[2 * i] += in[2 * i] * gain_;
        out[2 * i + 1] += in[2 * i + 1] * gain_;
    }
}

void TMidiFilePlayer::fadeTo(float target, int frames) noexcept
{
    gainTarget_ = target;
    gainStep_ = 1.0f / float(std::max(frames, 1));
}

void TMidiFilePlayer::renderChunk(float *out, int frames) noexcept
{
    Request request;
    std::uint32_t serial = 0;
    if (readRequest(request, serial) && serial != appliedSerial_) {
        const bool seeking = request.seekSerial != appliedSeekSerial_;
        const bool leavingPlay = audioMode_ == Playing && request.mode != Playing;
        if ((seeking || leavingPlay) && gain_ > 0.0f && !sink_.isSilent()) {
            // What sounds now fades out over a few milliseconds before the command silences it;
            // the file's clock holds meanwhile.
            fadeTo(0.0f, rate_ / FadesPerSecond);
            sink_.render(out, frames);
            return;
        }
        applyRequest(request, serial);
        if (audioMode_ == Playing) {
            // A tail left from before comes back in without a step; a silent sink starts at once.
            if (sink_.isSilent()) gain_ = 1.0f;
            fadeTo(1.0f, rate_ / FadesPerSecond);
        }
    }

    if (audioMode_ != Playing) {
        // Release and reverb tails ring out; one that lasts too long is faded away.
        sink_.render(out, frames);
        tailFrames_ += frames;
        if (tailFrames_ > std::int64_t(rate_) * MaxTailMs / 1000 && gainTarget_ > 0.0f)
            fadeTo(0.0f, rate_ * TailFadeMs / 1000);
        return;
    }

    const auto &events = file_->events();
    const std::int64_t endFrame = frameOf(audioToUs_);
    TBlockBudget budget;
    int done = 0;
    while (done < frames) {
        const std::int64_t now = frame_;
        bool behind = false;
        while (next_ < events.size()) {
            const TMidiEvent &event = events[next_];
            const std::int64_t at = frameOf(event.timeUs);
            if (at > now || at > endFrame) break;
            const TBlockBudget::Verdict verdict = budget.take(event);
            if (verdict == TBlockBudget::Wait) {
                behind = true;
                break;
            }
            ++next_;
            if (verdict == TBlockBudget::Send) dispatch(event);
        }
        if (behind) {
            // More is due than one block may do: the rest of the block sounds as it stands and
            // the file's clock waits here until the events due have gone out.
            sink_.render(out + 2 * done, frames - done);
            break;
        }
        if (now >= endFrame) {
            finish();
            sink_.render(out + 2 * done, frames - done);
            return;
        }
        std::int64_t until = std::min(now + (frames - done), endFrame);
        if (next_ < events.size()) until = std::min(until, frameOf(events[next_].timeUs));
        const int n = int(until - now);
        sink_.render(out + 2 * done, n);
        done += n;
        frame_ = until;
    }
    positionUs_.store(frame_ * 1000000 / rate_, std::memory_order_release);
}

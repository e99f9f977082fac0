#include "platform/midiout/synthmidiout.h"

#include "platform/audio/audiowake.h"
#include "platform/midi/synth.h"
#include "platform/midiout/midibytes.h"

#include <span>
#include <thread>

TSynthMidiOut::TSynthMidiOut(int sampleRate, QString soundFont)
    : sampleRate_(sampleRate), soundFont_(std::move(soundFont)),
      queue_(std::make_unique<TMidiEventQueue>())
{
}

TSynthMidiOut::~TSynthMidiOut()
{
    close();
}

MMRESULT TSynthMidiOut::open()
{
    std::lock_guard lock(control_);
    if (synth_.load()) return MMSYSERR_NOERROR;
    auto synth = std::make_unique<TSynth>(sampleRate_, soundFont_);
    if (!synth->isValid()) {
        errorText_ = synth->errorText();
        return MMSYSERR_NODRIVER;
    }
    errorText_.clear();
    // Nothing renders while the device is closed: what a former opening left is dropped.
    queue_->drain([](TMidiEventQueue::Kind, const std::uint8_t *, std::size_t) {});
    synth_.store(synth.release(), std::memory_order_release);
    return MMSYSERR_NOERROR;
}

void TSynthMidiOut::close()
{
    std::lock_guard lock(control_);
    TSynth *old = synth_.exchange(nullptr);
    // The audio thread may be rendering the old synthesizer right now: wait (here, never there)
    // until it has let go. A render that starts from now on finds no synthesizer.
    while (rendering_.load())
        std::this_thread::yield();
    delete old;
}

QString TSynthMidiOut::errorText() const
{
    std::lock_guard lock(control_);
    return errorText_;
}

MMRESULT TSynthMidiOut::push(TMidiEventQueue::Kind kind, const std::uint8_t *data,
                             std::size_t length)
{
    if (!synth_.load(std::memory_order_relaxed)) return MIDIERR_NOTREADY;
    if (!queue_->push(kind, data, length)) return MMSYSERR_NOMEM;
    pushed_.fetch_add(1, std::memory_order_release);
    wakeAudioOutputs();
    return MMSYSERR_NOERROR;
}

MMRESULT TSynthMidiOut::sendShort(const TShortMessage &m) noexcept
{
    const std::uint8_t bytes[3] = {m.status, m.data1, m.data2};
    std::lock_guard lock(control_);
    return push(TMidiEventQueue::Short, bytes, 3);
}

MMRESULT TSynthMidiOut::sendLong(const std::uint8_t *data, std::size_t length)
{
    std::lock_guard lock(control_);
    MMRESULT result = MMSYSERR_NOERROR;
    auto keep = [&result](MMRESULT r) {
        if (result == MMSYSERR_NOERROR) result = r;
    };
    splitMidiBytes(
        data, length,
        [&](const TShortMessage &m) {
            const std::uint8_t bytes[3] = {m.status, m.data1, m.data2};
            keep(push(TMidiEventQueue::Short, bytes, 3));
        },
        [&](const std::uint8_t *bytes, std::size_t count) {
            // The synthesizer takes the bytes after 0xF0.
            keep(push(TMidiEventQueue::SysEx, bytes + 1, count - 1));
        });
    return result;
}

MMRESULT TSynthMidiOut::reset()
{
    std::lock_guard lock(control_);
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        const std::uint8_t pedalUp[3] = {static_cast<std::uint8_t>(0xB0 | channel), 64, 0};
        if (const MMRESULT r = push(TMidiEventQueue::Short, pedalUp, 3)) return r;
    }
    return push(TMidiEventQueue::NotesOff, nullptr, 0);
}

void TSynthMidiOut::mixInto(float *out, int frames, int sampleRate) noexcept
{
    (void)sampleRate; // the synthesizer was made for the output's rate
    rendering_.store(true);
    TSynth *synth = synth_.load();
    if (!synth) {
        // Closed: what was queued is dropped at the next opening.
        played_.store(pushed_.load(std::memory_order_acquire), std::memory_order_release);
        silent_.store(true, std::memory_order_release);
        rendering_.store(false);
        return;
    }
    // Whatever was queued up to here is played in this block.
    const std::uint32_t pushed = pushed_.load(std::memory_order_acquire);
    queue_->drain(
        [synth](TMidiEventQueue::Kind kind, const std::uint8_t *data, std::size_t length) {
            switch (kind) {
            case TMidiEventQueue::Short:
                if (length == 3) synth->send(data[0] | data[1] << 8 | data[2] << 16);
                break;
            case TMidiEventQueue::SysEx:
                synth->sendSysEx(std::span<const std::uint8_t>(data, length));
                break;
            case TMidiEventQueue::NotesOff:
                synth->allNotesOff();
                break;
            }
        });
    synth->render(out, frames);
    played_.store(pushed, std::memory_order_release);
    silent_.store(synth->isSilent(), std::memory_order_release);
    rendering_.store(false, std::memory_order_release);
}

bool TSynthMidiOut::isIdle() const noexcept
{
    return silent_.load(std::memory_order_acquire) &&
           played_.load(std::memory_order_acquire) == pushed_.load(std::memory_order_acquire);
}

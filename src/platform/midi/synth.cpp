#include "platform/midi/synth.h"

#include "platform/midi/soundfontlocator.h"

#include <QFileInfo>

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Frames rendered into the scratch buffer per FluidSynth call.
constexpr int ChunkFrames = 1024;
// Output under this level (-80 dBFS) for this long, with no voice left, is silence.
constexpr float QuietLevel = 1e-4f;
constexpr int QuietFramesPerSecond = 20; // 50 ms

// FluidSynth's messages about SoundFont details go nowhere: failures are reported through
// errorText().
void quietLog(int, const char *, void *) {}

bool isXgSystemOn(std::span<const std::uint8_t> b)
{
    // 43 1n 4C 00 00 7E 00 [F7]
    return b.size() >= 7 && b[0] == 0x43 && (b[1] & 0xF0) == 0x10 && b[2] == 0x4C && b[3] == 0 &&
           b[4] == 0 && b[5] == 0x7E && b[6] == 0;
}

bool isGmOrGsReset(std::span<const std::uint8_t> b)
{
    // GM/GM2 System On: 7E dd 09 01|03; GS Reset: 41 dd 42 12 40 00 7F 00 41
    if (b.size() >= 4 && b[0] == 0x7E && b[2] == 0x09 && (b[3] == 0x01 || b[3] == 0x03))
        return true;
    return b.size() >= 8 && b[0] == 0x41 && b[2] == 0x42 && b[3] == 0x12 && b[4] == 0x40 &&
           b[5] == 0 && b[6] == 0x7F && b[7] == 0;
}

bool isMasterVolume(std::span<const std::uint8_t> b)
{
    // 7F dd 04 01 ll mm
    return b.size() >= 6 && b[0] == 0x7F && b[2] == 0x04 && b[3] == 0x01 && b[4] < 0x80 &&
           b[5] < 0x80;
}

} // namespace

TSynth::TSynth(int sampleRate, const QString &soundFont) : sampleRate_(sampleRate)
{
    scratch_.resize(std::size_t(ChunkFrames) * 2);
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, quietLog, nullptr);

    soundFont_ = soundFont.isEmpty() ? TSoundFontLocator::locate() : soundFont;
    if (soundFont_.isEmpty()) {
        errorText_ = QStringLiteral("No SoundFont was found for the built-in synthesizer (set "
                                    "TONARIA_SOUNDFONT to a \".sf2\" file).");
        return;
    }
    if (!QFileInfo(soundFont_).isReadable()) {
        errorText_ = QStringLiteral("The SoundFont \"%1\" cannot be read.").arg(soundFont_);
        return;
    }

    settings_ = new_fluid_settings();
    if (!settings_) {
        errorText_ = QStringLiteral("The built-in synthesizer cannot be created.");
        return;
    }
    fluid_settings_setnum(settings_, "synth.sample-rate", double(sampleRate));
    fluid_settings_setint(settings_, "synth.reverb.active", 1);
    fluid_settings_setint(settings_, "synth.chorus.active", 1);
    fluid_settings_setint(settings_, "synth.polyphony", 256);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    fluid_settings_setnum(settings_, "synth.gain", baseGain_);

    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
        errorText_ = QStringLiteral("The built-in synthesizer cannot be created.");
        return;
    }
    soundFontId_ = fluid_synth_sfload(synth_, soundFont_.toLocal8Bit().constData(), 1);
    if (soundFontId_ < 0) {
        errorText_ = QStringLiteral("The SoundFont \"%1\" cannot be loaded.").arg(soundFont_);
        // Without instruments the synthesizer is of no use; it takes messages and stays silent.
        delete_fluid_synth(synth_);
        synth_ = nullptr;
    }
}

TSynth::~TSynth()
{
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

void TSynth::send(std::uint32_t message) noexcept
{
    if (!synth_) return;
    const int status = int(message & 0xFF);
    const int ch = status & 0x0F;
    const int d1 = int(message >> 8 & 0x7F);
    const int d2 = int(message >> 16 & 0x7F);
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth_, ch, d1);
        break;
    case 0x90:
        if (d2 == 0) {
            fluid_synth_noteoff(synth_, ch, d1);
        } else {
            fluid_synth_noteon(synth_, ch, d1, d2);
            silent_ = false;
        }
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth_, ch, d1, d2);
        break;
    case 0xB0:
        fluid_synth_cc(synth_, ch, d1, d2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth_, ch, d1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth_, ch, d1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth_, ch, d2 << 7 | d1);
        break;
    default:
        break; // system messages mean nothing to the synthesizer
    }
}

void TSynth::sendSysEx(std::span<const std::uint8_t> bytes) noexcept
{
    if (!synth_) return;
    // FluidSynth takes the message without its F0 and F7.
    if (!bytes.empty() && bytes.front() == 0xF0) bytes = bytes.subspan(1);
    if (!bytes.empty() && bytes.back() == 0xF7) bytes = bytes.subspan(0, bytes.size() - 1);
    if (bytes.empty()) return;

    if (isMasterVolume(bytes)) {
        setMasterVolume(bytes[5] << 7 | bytes[4]);
        return;
    }
    int handled = 0;
    fluid_synth_sysex(synth_, reinterpret_cast<const char *>(bytes.data()), int(bytes.size()),
                      nullptr, nullptr, &handled, 0);
    if (isXgSystemOn(bytes)) {
        // Programs, banks and controllers back to their power-on values.
        if (!handled) fluid_synth_system_reset(synth_);
        setMasterVolume(16383);
    } else if (isGmOrGsReset(bytes)) {
        if (!handled) fluid_synth_system_reset(synth_);
        setMasterVolume(16383);
    }
}

void TSynth::allNotesOff() noexcept
{
    if (!synth_) return;
    fluid_synth_all_sounds_off(synth_, -1);
    fluid_synth_all_notes_off(synth_, -1);
}

void TSynth::render(float *out, int frames) noexcept
{
    if (!synth_) return;
    while (frames > 0) {
        const int n = std::min(frames, ChunkFrames);
        float *s = scratch_.data();
        fluid_synth_write_float(synth_, n, s, 0, 2, s, 1, 2);
        float peak = 0.0f;
        for (int i = 0; i < 2 * n; ++i) {
            out[i] += s[i];
            peak = std::max(peak, std::fabs(s[i]));
        }
        quietFrames_ = peak < QuietLevel ? std::min(quietFrames_ + n, sampleRate_) : 0;
        out += 2 * n;
        frames -= n;
    }
    silent_ = quietFrames_ >= sampleRate_ / QuietFramesPerSecond &&
              fluid_synth_get_active_voice_count(synth_) == 0;
}

void TSynth::systemReset() noexcept
{
    if (!synth_) return;
    // A reset alone leaves the voices sounding: they are killed first, and that takes effect at
    // the next block of the synthesizer's own.
    fluid_synth_all_sounds_off(synth_, -1);
    discard(BlockFrames);
    fluid_synth_system_reset(synth_);
    discard(BlockFrames);
    quietFrames_ = sampleRate_;
    silent_ = true;
    setMasterVolume(16383);
}

void TSynth::discard(int frames) noexcept
{
    if (!synth_) return;
    while (frames > 0) {
        const int n = std::min(frames, ChunkFrames);
        float *s = scratch_.data();
        fluid_synth_write_float(synth_, n, s, 0, 2, s, 1, 2);
        frames -= n;
    }
}

int TSynth::program(int channel) const noexcept
{
    int sfont = 0, bank = 0, preset = 0;
    if (!synth_ || fluid_synth_get_program(synth_, channel, &sfont, &bank, &preset) != FLUID_OK)
        return -1;
    return preset;
}

int TSynth::bank(int channel) const noexcept
{
    int sfont = 0, bank = 0, preset = 0;
    if (!synth_ || fluid_synth_get_program(synth_, channel, &sfont, &bank, &preset) != FLUID_OK)
        return -1;
    return bank;
}

int TSynth::controller(int channel, int number) const noexcept
{
    int value = 0;
    if (!synth_ || fluid_synth_get_cc(synth_, channel, number, &value) != FLUID_OK) return -1;
    return value;
}

int TSynth::pitchBend(int channel) const noexcept
{
    int value = 0;
    if (!synth_ || fluid_synth_get_pitch_bend(synth_, channel, &value) != FLUID_OK) return -1;
    return value;
}

int TSynth::activeVoices() const noexcept
{
    return synth_ ? fluid_synth_get_active_voice_count(synth_) : 0;
}

void TSynth::setMasterVolume(int value14) noexcept
{
    if (synth_) fluid_synth_set_gain(synth_, float(baseGain_ * value14 / 16383.0));
}

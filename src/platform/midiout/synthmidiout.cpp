#include "platform/midiout/synthmidiout.h"

#include "platform/midiout/midibytes.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

std::string TSynthMidiOut::defaultSoundFont()
{
    if (const char *env = std::getenv("TONARIA_SOUNDFONT"); env && *env) return env;
    namespace fs = std::filesystem;
    const fs::path folder = "/usr/share/sounds/sf2";
    std::error_code ec;
    if (fs::exists(folder / "default-GM.sf2", ec)) return (folder / "default-GM.sf2").string();
    std::vector<std::string> found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".sf2") found.push_back(it->path().string());
    }
    if (found.empty()) return {};
    return *std::min_element(found.begin(), found.end()); // the same one every time
}

TSynthMidiOut::TSynthMidiOut(std::string soundFont, double sampleRate)
    : soundFont_(std::move(soundFont)), sampleRate_(sampleRate)
{
}

TSynthMidiOut::~TSynthMidiOut()
{
    close();
}

MMRESULT TSynthMidiOut::open()
{
    if (synth_.load()) return MMSYSERR_NOERROR;
    if (soundFont_.empty()) return MMSYSERR_NODRIVER;
    settings_ = new_fluid_settings();
    if (!settings_) return MMSYSERR_NOMEM;
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate_);
    fluid_synth_t *synth = new_fluid_synth(settings_);
    if (!synth || fluid_synth_sfload(synth, soundFont_.c_str(), 1) == FLUID_FAILED) {
        if (synth) delete_fluid_synth(synth);
        delete_fluid_settings(settings_);
        settings_ = nullptr;
        return MMSYSERR_NODRIVER;
    }
    synth_.store(synth);
    return MMSYSERR_NOERROR;
}

void TSynthMidiOut::close()
{
    // The owner detaches the device from the audio output before it closes it.
    if (fluid_synth_t *synth = synth_.exchange(nullptr)) delete_fluid_synth(synth);
    if (settings_) delete_fluid_settings(settings_);
    settings_ = nullptr;
}

MMRESULT TSynthMidiOut::sendShort(const TShortMessage &m) noexcept
{
    fluid_synth_t *synth = synth_.load();
    if (!synth) return MIDIERR_NOTREADY;
    const int channel = m.status & 0x0F;
    switch (m.status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, m.data1);
        break;
    case 0x90:
        // Velocity 0 is a note off; FluidSynth takes it so as well.
        fluid_synth_noteon(synth, channel, m.data1, m.data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth, channel, m.data1, m.data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, m.data1, m.data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, m.data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth, channel, m.data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, (m.data2 << 7) | m.data1);
        break;
    default:
        if (m.status == 0xFF) fluid_synth_system_reset(synth);
        break; // other system messages mean nothing to a synthesizer
    }
    return MMSYSERR_NOERROR;
}

MMRESULT TSynthMidiOut::sendLong(const std::uint8_t *data, std::size_t length)
{
    fluid_synth_t *synth = synth_.load();
    if (!synth) return MIDIERR_NOTREADY;
    splitMidiBytes(
        data, length, [this](const TShortMessage &m) { sendShort(m); },
        [synth](const std::uint8_t *bytes, std::size_t count) {
            // FluidSynth takes the message without its 0xF0 and 0xF7.
            std::size_t begin = 1, end = count;
            if (end > begin && bytes[end - 1] == 0xF7) --end;
            if (end > begin)
                fluid_synth_sysex(synth, reinterpret_cast<const char *>(bytes + begin),
                                  static_cast<int>(end - begin), nullptr, nullptr, nullptr, 0);
        });
    return MMSYSERR_NOERROR;
}

MMRESULT TSynthMidiOut::reset()
{
    fluid_synth_t *synth = synth_.load();
    if (!synth) return MIDIERR_NOTREADY;
    for (int channel = 0; channel < 16; ++channel) {
        fluid_synth_cc(synth, channel, 64, 0);
        fluid_synth_all_notes_off(synth, channel);
    }
    return MMSYSERR_NOERROR;
}

void TSynthMidiOut::mixInto(float *out, int frames, int sampleRate) noexcept
{
    (void)sampleRate; // the synthesizer was made for the output's rate
    fluid_synth_t *synth = synth_.load();
    if (!synth) return;
    // FluidSynth overwrites what it renders: render into the scratch block, then add.
    while (frames > 0) {
        const int n = std::min(frames, kScratchFrames);
        fluid_synth_write_float(synth, n, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
        for (int i = 0; i < 2 * n; ++i)
            out[i] += scratch_[static_cast<std::size_t>(i)];
        out += 2 * n;
        frames -= n;
    }
}

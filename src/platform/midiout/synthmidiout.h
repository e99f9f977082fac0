#pragma once
// The built-in synthesizer as MIDI output device 0: a FluidSynth instance with a General MIDI
// SoundFont and no audio driver of its own. It is also a sound producer: the program's audio
// output pulls its samples through mixInto().
//
// Threads: as TMidiOutDevice for the MIDI side; mixInto() on the audio thread. FluidSynth's own
// API lock makes sends and rendering safe against each other.
#include <array>
#include <atomic>
#include <string>

#include "platform/audio/audiosource.h"
#include "platform/midiout/midioutdevice.h"

typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_hashtable_t fluid_settings_t;

class TSynthMidiOut : public TMidiOutDevice, public TAudioSource {
public:
    // The SoundFont the program uses: TONARIA_SOUNDFONT, else the system's default General MIDI
    // font, else the first ".sf2" beside it; empty when there is none.
    static std::string defaultSoundFont();

    TSynthMidiOut(std::string soundFont, double sampleRate);
    ~TSynthMidiOut() override;
    TSynthMidiOut(const TSynthMidiOut &) = delete;
    TSynthMidiOut &operator=(const TSynthMidiOut &) = delete;

    std::string name() const override { return "Tonaria Synthesizer"; }
    std::uint16_t technology() const override { return MOD_SWSYNTH; }

    // Creates the synthesizer and loads the SoundFont: MMSYSERR_NODRIVER when that fails.
    MMRESULT open() override;
    void close() override;
    MMRESULT sendShort(const TShortMessage &message) noexcept override;
    MMRESULT sendLong(const std::uint8_t *data, std::size_t length) override;
    MMRESULT reset() override;

    // Adds the synthesizer's next frames; adds nothing while the device is closed.
    void mixInto(float *out, int frames, int sampleRate) noexcept override;

private:
    std::string soundFont_;
    double sampleRate_;
    fluid_settings_t *settings_ = nullptr;
    std::atomic<fluid_synth_t *> synth_{nullptr};
    static constexpr int kScratchFrames = 512;
    std::array<float, 2 * kScratchFrames> scratch_{}; // audio thread only
};

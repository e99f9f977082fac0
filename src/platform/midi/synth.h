#pragma once
// The built-in synthesizer: one FluidSynth instance playing a General MIDI SoundFont.
//
// GM, GM2, GS and XG system resets take effect; the GM master volume message sets the output
// gain. Reverb and chorus are on, so the reverb and chorus sends a file sets are heard.
//
// Threads: construct and destroy on the owner's (control) thread; the SoundFont is loaded in the
// constructor (FluidSynth's sample cache shares the samples between instances that load the same
// file). After construction every other method is for the one thread that renders the synth (the
// audio thread while it is attached to the mixer): the instance is built without FluidSynth's
// internal lock, so two threads must never drive it at once.
//
// Timing: FluidSynth renders in internal blocks of 64 frames and applies an event at the start
// of its next block; its interface has no way to start a note inside a block. The player splits
// render() exactly at each event's frame, so an event is heard at most 63 frames (1.4 ms at
// 44.1 kHz) after its true position, never early; the audio output must run at the rate the
// synthesizer was created with.

#include "platform/midi/midisink.h"

#include <QString>

#include <memory>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

class TSynth : public TMidiSink {
public:
    // FluidSynth's internal block length in frames.
    static constexpr int BlockFrames = 64;

    // Creates the synthesizer for output at `sampleRate` and loads `soundFont` (an empty name
    // looks for one with TSoundFontLocator). Check isValid() afterwards.
    explicit TSynth(int sampleRate, const QString &soundFont = QString());
    ~TSynth() override;
    TSynth(const TSynth &) = delete;
    TSynth &operator=(const TSynth &) = delete;

    bool isValid() const { return synth_ != nullptr && soundFontId_ >= 0; }
    // Why the synthesizer cannot play (no SoundFont found, SoundFont unreadable...).
    QString errorText() const { return errorText_; }
    QString soundFont() const { return soundFont_; }
    int sampleRate() const { return sampleRate_; }

    void send(std::uint32_t message) noexcept override;
    void sendSysEx(std::span<const std::uint8_t> bytes) noexcept override;
    void allNotesOff() noexcept override;
    void render(float *out, int frames) noexcept override;
    // No voice sounds and the last QuietSeconds of output stayed under -80 dBFS.
    bool isSilent() const noexcept override { return silent_; }

    // Everything back to power-on state: sound off, programs 0, controllers at their defaults,
    // the reverb and chorus emptied. Renders two blocks of its own (the output is thrown away).
    void systemReset() noexcept;
    // Renders `frames` frames and throws them away.
    void discard(int frames) noexcept;

    // Queries of the channel state (for tests and the information view); -1 when invalid.
    int program(int channel) const noexcept;
    int bank(int channel) const noexcept;
    int controller(int channel, int number) const noexcept;
    int pitchBend(int channel) const noexcept;
    // Number of voices sounding now.
    int activeVoices() const noexcept;

private:
    void setMasterVolume(int value14) noexcept;

    struct _fluid_synth_t *synth_ = nullptr;
    struct _fluid_hashtable_t *settings_ = nullptr;
    int soundFontId_ = -1;
    int sampleRate_ = 44100;
    // FluidSynth's own default: room for sixteen channels of full-velocity chords.
    double baseGain_ = 0.2;
    QString soundFont_;
    QString errorText_;
    int quietFrames_ = 1 << 20; // a new synthesizer has been quiet for long
    bool silent_ = true;
    std::vector<float> scratch_; // interleaved stereo, pre-sized: render() never allocates
};

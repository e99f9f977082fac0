#pragma once
// The built-in synthesizer as MIDI output device 0. Messages are queued and played by the
// synthesizer when the program's audio output next pulls its sound through mixInto(), so they
// are heard within one audio block of being sent; while nothing pulls, they wait in the queue
// (and a full queue refuses more).
//
// Threads: as TMidiOutDevice for the MIDI side (senders are serialised here); mixInto() on the
// audio thread, which takes no lock and never waits: the device may stay attached to the audio
// output for good, and a closing handle waits for a render in progress to finish instead.
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/audio/audiosource.h"
#include "platform/midiout/midieventqueue.h"
#include "platform/midiout/midioutdevice.h"

class TSynth;

class TSynthMidiOut : public TMidiOutDevice, public TAudioSource {
public:
    // `soundFont` empty: the one the program finds by itself.
    explicit TSynthMidiOut(int sampleRate, QString soundFont = QString());
    ~TSynthMidiOut() override;
    TSynthMidiOut(const TSynthMidiOut &) = delete;
    TSynthMidiOut &operator=(const TSynthMidiOut &) = delete;

    std::string name() const override { return "Tonaria Synthesizer"; }
    std::uint16_t technology() const override { return MOD_SWSYNTH; }

    // Creates the synthesizer and loads the SoundFont: MMSYSERR_NODRIVER when that fails, with
    // the reason in errorText().
    MMRESULT open() override;
    void close() override;
    // MIDIERR_NOTREADY while closed, MMSYSERR_NOMEM when the queue is full.
    MMRESULT sendShort(const TShortMessage &message) noexcept override;
    MMRESULT sendLong(const std::uint8_t *data, std::size_t length) override;
    MMRESULT reset() override;

    // Plays the queued messages, then adds the synthesizer's next frames.
    void mixInto(float *out, int frames, int sampleRate) noexcept override;
    // Closed, or open with nothing queued and nothing sounding.
    bool isIdle() const noexcept override;

    QString errorText() const;

private:
    MMRESULT push(TMidiEventQueue::Kind kind, const std::uint8_t *data, std::size_t length);

    int sampleRate_;
    QString soundFont_;
    mutable std::mutex control_; // open, close and the senders
    QString errorText_;
    std::atomic<TSynth *> synth_{nullptr};
    std::atomic<bool> rendering_{false}; // the audio thread is inside mixInto()
    std::atomic<std::uint32_t> pushed_{0}; // messages queued so far
    std::atomic<std::uint32_t> played_{0}; // of those, the ones the audio thread has played
    std::atomic<bool> silent_{true};
    std::unique_ptr<TMidiEventQueue> queue_;
};

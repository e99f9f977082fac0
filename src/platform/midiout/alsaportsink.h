#pragma once
// A MIDI sink that plays on a MIDI output device instead of making sound: normally an ALSA
// sequencer port (a hardware synthesizer, or a software one such as FluidSynth or TiMidity run as
// a port), so that a MIDI file bound to a port is heard there.
//
// The player drives the sink on the audio thread, where nothing may block or make a system call,
// so the sink only stamps each event with its frame (the frames rendered before it) and pushes it
// into a lock-free queue. A sender thread of the sink's own takes the events out and sends each at
// its time: frame / sample rate after an anchor, the first event it sees. The sender sleeps until
// an event is due rather than handing it to an ALSA queue with a real-time stamp: the sink's clock
// is the audio output's frame count, which only the audio thread sees and which moves in whole
// blocks, so a stamp would need the same anchoring anyway; sleeping keeps the scheduling in one
// place, works for any output device (tests give a recording one), and sends direct events, so
// that what reaches the port never waits behind a queue we would have to drain on a stop.
//
// An event found late by more than a resynchronisation threshold (the audio output stalled, or
// the sink was not rendered for a while) moves the anchor to it: it goes at once, and the events
// after it keep their spacing from it instead of coming in a burst.
//
// allNotesOff() sends all sound off and all notes off on the sixteen channels, in order with the
// other events; programs and controllers stay, so a pause can be resumed as it was. When the sink
// is destroyed, what is still queued goes out at once (the notes that would start are left out)
// and every channel gets all sound off, all notes off and reset all controllers, so a port is left
// silent and clean for its next user.
//
// SysEx messages pass whole (0xF0 to 0xF7) up to 65,525 bytes after the 0xF0; a message that does not fit in the
// queue, or arrives while the queue is full, is dropped and counted (dropped()).
//
// Threads: send(), sendSysEx(), allNotesOff() and render() on the thread that renders the sink (the
// audio thread while a player is attached; they never block, allocate, lock or make a system
// call). Construction, destruction and dropped() on the owner's thread. The device is used by the
// sender thread only, from construction to destruction.
#include "platform/midi/midisink.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TMidiEventQueue;
class TMidiOutDevice;

class TAlsaPortSink : public TMidiSink {
public:
    // How late an event may be found before the anchor moves to it.
    static constexpr std::chrono::milliseconds ResyncThreshold{100};

    // Sends to `device`, which is open and stays so until `closed` runs: once, from the
    // destructor, after the last message has gone. `sampleRate` is the rate of render()'s frames.
    TAlsaPortSink(std::shared_ptr<TMidiOutDevice> device, int sampleRate,
                  std::function<void()> closed = {});
    ~TAlsaPortSink() override;
    TAlsaPortSink(const TAlsaPortSink &) = delete;
    TAlsaPortSink &operator=(const TAlsaPortSink &) = delete;

    void send(std::uint32_t message) noexcept override;
    void sendSysEx(std::span<const std::uint8_t> bytes) noexcept override;
    void allNotesOff() noexcept override;
    // Advances the sink's clock only: a port makes no sound in the mix.
    void render(float *out, int frames) noexcept override;

    // Messages lost because the queue had no room.
    std::uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
    using TClock = std::chrono::steady_clock;

    void push(std::uint8_t kind, const std::uint8_t *payload, std::size_t length) noexcept;
    // Sender thread.
    void run();
    void deliver(std::uint8_t kind, const std::uint8_t *data, std::size_t length, bool flushing);
    TClock::time_point dueTime(std::int64_t frame);
    void sendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2);

    std::shared_ptr<TMidiOutDevice> device_;
    const int sampleRate_;
    std::function<void()> closed_;
    std::unique_ptr<TMidiEventQueue> queue_;
    std::atomic<std::uint64_t> dropped_{0};

    // Audio side.
    std::int64_t frame_ = 0;
    // The stamped message being built; a member so that the audio thread never allocates.
    std::unique_ptr<std::uint8_t[]> scratch_;

    // Sender side.
    bool anchored_ = false;
    TClock::time_point anchorTime_;
    std::int64_t anchorFrame_ = 0;

    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopping_ = false; // guarded by wakeMutex_
    std::thread sender_;
};

#pragma once
// Where a MIDI player's events go: the built-in synthesizer, or a hardware port.
//
// A sink is driven by one thread at a time, the one that renders it (the audio thread while a
// player is attached to the mixer; the owner before and after). Every method may be called on the
// audio thread: none of them blocks, allocates, waits on a lock or makes a system call.
//
// Timing: a player interleaves render() and events: render(n) advances the sink's time by n
// frames, and an event sent between two renders belongs exactly at the frame where the first
// render ended. A synthesizer sink renders that audio; a hardware sink advances its clock only.

#include <cstdint>
#include <span>

class TMidiSink {
public:
    virtual ~TMidiSink() = default;

    // A channel message packed as status | data1 << 8 | data2 << 16 (a short message).
    virtual void send(std::uint32_t message) noexcept = 0;
    // A system-exclusive message: the bytes after F0, normally ending in F7.
    virtual void sendSysEx(std::span<const std::uint8_t> bytes) noexcept = 0;
    // Silences every channel at once: all sound off and all notes off on all sixteen channels.
    // Programs, controllers and pitch bends stay as they are.
    virtual void allNotesOff() noexcept = 0;
    // Adds the next `frames` stereo frames (interleaved, float, -1 to 1) to `out`; a sink that
    // makes no sound of its own leaves `out` alone and only advances its clock.
    virtual void render(float *out, int frames) noexcept = 0;

    // True when render() adds nothing audible now and will not until the next event (no voice
    // sounds, the reverb has died away). A sink without sound of its own is always silent.
    virtual bool isSilent() const noexcept { return true; }
    // False while the sink is still being made ready (a synthesizer whose SoundFont is loading
    // in the background): a player holds its time and its events until it is.
    virtual bool isReady() const noexcept { return true; }
};

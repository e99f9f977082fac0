#pragma once
// One MIDI output device behind the midiOut calls: the built-in synthesizer, an ALSA port, or a
// device a test installs.
//
// Threads: open() and close() come from any thread, serialised by the device list. Between them,
// sendShort(), sendLong() and reset() come from whichever thread holds an open handle (the
// sequencer tick's timer thread among them), possibly from several handles at once; a device
// that cannot take that guards itself. None of them waits for the user-interface thread.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tonaria/midiout.h"

// A complete channel or system message, already resolved from running status.
struct TShortMessage {
    std::uint32_t packed = 0; // the word the caller passed to midiOutShortMsg
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

class TMidiOutDevice {
public:
    virtual ~TMidiOutDevice() = default;

    // The name shown to the user and kept from run to run.
    virtual std::string name() const = 0;
    // MOD_SWSYNTH or MOD_MIDIPORT.
    virtual std::uint16_t technology() const = 0;

    // Called when the first handle opens the device and after the last one closes it.
    virtual MMRESULT open() = 0;
    virtual void close() = 0;

    // Sends one message. Never allocates.
    virtual MMRESULT sendShort(const TShortMessage &message) noexcept = 0;
    // Sends a buffer of MIDI bytes (usually one system-exclusive message), or copies it to be
    // sent; either way the buffer is no longer needed when this returns.
    virtual MMRESULT sendLong(const std::uint8_t *data, std::size_t length) = 0;
    // Turns off every note and the sustain pedal on all channels.
    virtual MMRESULT reset() = 0;
};

#pragma once
// Small facts about MIDI bytes shared by the output devices. Any thread.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/midiout/midioutdevice.h"

// The number of data bytes that follow a status byte (0 for system exclusive and unknown ones).
int midiDataLength(std::uint8_t status);

// Walks a buffer of MIDI bytes as a port would read it: complete short messages (running status
// allowed within the buffer) go to onShort; a system-exclusive message from 0xF0 up to and
// including 0xF7 (or the end of the buffer) goes to onSysEx. Stray data bytes are skipped.
void splitMidiBytes(const std::uint8_t *data, std::size_t length,
                    const std::function<void(const TShortMessage &)> &onShort,
                    const std::function<void(const std::uint8_t *, std::size_t)> &onSysEx);

#pragma once
// A MIDI output device that keeps everything sent to it, for tests and for diagnosis: install it
// with TMidiOutSystem::addDevice() and open it by its id like any other device. It can also be
// told to refuse long messages, as a port that rejects system-exclusive data does.
//
// Threads: any thread; unlike the other devices it allocates while recording.
#include <mutex>
#include <vector>

#include "platform/midiout/midioutdevice.h"

class TRecordingMidiOut : public TMidiOutDevice {
public:
    // One thing that reached the device, in order.
    struct TEntry {
        enum Kind { Short, Long, Reset } kind = Short;
        TShortMessage message;          // Short: the word as passed, and what it meant
        std::vector<std::uint8_t> data; // Long: the bytes
    };

    explicit TRecordingMidiOut(std::string name = "Recording output");

    std::string name() const override { return name_; }
    std::uint16_t technology() const override { return MOD_MIDIPORT; }

    MMRESULT open() override;
    void close() override;
    MMRESULT sendShort(const TShortMessage &message) noexcept override;
    MMRESULT sendLong(const std::uint8_t *data, std::size_t length) override;
    MMRESULT reset() override;

    // The answer to every later long message (MMSYSERR_NOERROR records it; anything else
    // refuses it and records nothing).
    void setLongResult(MMRESULT result);

    std::vector<TEntry> entries() const;
    // The words passed for short messages, in order.
    std::vector<std::uint32_t> shortWords() const;
    void clear();
    bool isOpen() const;

private:
    std::string name_;
    mutable std::mutex mutex_;
    std::vector<TEntry> entries_;
    MMRESULT longResult_ = MMSYSERR_NOERROR;
    bool open_ = false;
};

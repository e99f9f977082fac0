#pragma once
// Writes Standard MIDI Files from a score held in memory, for the small tools that write the files
// the program ships with (the reset files, the demo pieces). Events are added to tracks with
// absolute tick times in any order; the file is laid out with delta times when it is written.

#include <cstdint>
#include <string>
#include <vector>

class TScoreWriter {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit TScoreWriter(std::uint16_t division = 480) : division_(division) {}

    // Adds a track and returns its index.
    int AddTrack();

    void Meta(int track, std::uint32_t tick, std::uint8_t type, const Bytes &data);
    void Text(int track, std::uint32_t tick, std::uint8_t type, const std::string &text);
    void Tempo(int track, std::uint32_t tick, std::uint32_t microsecondsPerQuarter);
    // A channel message of two or three bytes (data2 < 0: two).
    void Channel(int track, std::uint32_t tick, std::uint8_t status, std::uint8_t data1,
                 int data2 = -1);
    // A note on at `tick` and its note off `length` ticks later.
    void Note(int track, std::uint32_t tick, std::uint8_t channel, std::uint8_t key,
              std::uint8_t velocity, std::uint32_t length);
    // A SysEx message: the bytes after F0, ending in F7.
    void SysEx(int track, std::uint32_t tick, const Bytes &body);
    // Every track ends at `tick` (or at its last event, if later).
    void EndAt(std::uint32_t tick) { end_ = tick; }

    // Format 0 with one track, else format 1.
    Bytes Build() const;
    bool Write(const std::string &path) const;

private:
    struct TEvent {
        std::uint32_t tick;
        int order; // keeps events of one tick in the order they were added; note offs first
        Bytes bytes;
    };

    void Add(int track, std::uint32_t tick, Bytes bytes, bool early = false);

    std::uint16_t division_;
    std::uint32_t end_ = 0;
    int sequence_ = 0;
    std::vector<std::vector<TEvent>> tracks_;
};

#pragma once
// Which notes sound on which of the 16 MIDI channels at any time of a MIDI file.
//
// A note sounds from its note-on to its note-off (a note-on of velocity 0 is a note-off; the
// controllers "all sound off" and "all notes off" and the mode changes silence the channel). A
// struck note also shows for at least StrikeMs, so that a drum hit shorter than the view's refresh
// is still seen.
//
// Answers come from checkpoints of the whole keyboard every CheckpointEvery events, so a time
// anywhere in the song costs at most that many steps, forwards or backwards.
//
// Threads: built on one thread, read-only afterwards.

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

class TMidiFile;

class TNoteTimeline {
public:
    using TKeys = std::array<std::bitset<128>, 16>;

    static constexpr std::int64_t StrikeMs = 90;
    static constexpr std::size_t CheckpointEvery = 1024;

    TNoteTimeline() = default;
    explicit TNoteTimeline(const TMidiFile &file);

    bool Empty() const { return events_.empty(); }
    // Bit c is set when channel c (0-based) plays any note in the song.
    std::uint16_t ChannelsUsed() const { return channelsUsed_; }
    // The keys lit at ms.
    TKeys KeysAt(std::int64_t ms) const;

private:
    enum class TKind : std::uint8_t { On, Off, Silence };
    struct TNoteEvent {
        std::int64_t TimeMs = 0;
        TKind Kind = TKind::On;
        std::uint8_t Channel = 0;
        std::uint8_t Key = 0;
    };
    // How many note-ons of each key are held, channel by channel.
    using TCounts = std::array<std::uint8_t, 16 * 128>;

    static void Apply(TCounts &counts, const TNoteEvent &event);

    std::vector<TNoteEvent> events_;
    std::vector<TCounts> checkpoints_; // the counts before events_[i * CheckpointEvery]
    std::uint16_t channelsUsed_ = 0;
};

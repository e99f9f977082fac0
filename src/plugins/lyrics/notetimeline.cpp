#include "notetimeline.h"

#include "platform/midi/midifile.h"

#include <algorithm>

namespace {

// Looking back for recent strikes stops here, however dense the file.
constexpr int kMaxStrikeLookBack = 4096;

bool SilencesChannel(std::uint8_t controller)
{
    // All sound off, all notes off, and the mode changes that imply it.
    return controller == 120 || controller >= 123;
}

} // namespace

TNoteTimeline::TNoteTimeline(const TMidiFile &file)
{
    for (const TMidiEvent &event : file.events()) {
        if (!event.isChannelMessage()) continue;
        TNoteEvent note;
        note.TimeMs = event.timeUs / 1000;
        note.Channel = event.channel();
        note.Key = event.data1 & 0x7F;
        switch (event.command()) {
        case 0x90:
            note.Kind = event.data2 ? TKind::On : TKind::Off;
            break;
        case 0x80:
            note.Kind = TKind::Off;
            break;
        case 0xB0:
            if (!SilencesChannel(event.data1)) continue;
            note.Kind = TKind::Silence;
            break;
        default:
            continue;
        }
        if (note.Kind == TKind::On) channelsUsed_ |= std::uint16_t(1u << note.Channel);
        events_.push_back(note);
    }

    TCounts counts{};
    checkpoints_.reserve(events_.size() / CheckpointEvery + 1);
    for (std::size_t i = 0; i < events_.size(); ++i) {
        if (i % CheckpointEvery == 0) checkpoints_.push_back(counts);
        Apply(counts, events_[i]);
    }
}

void TNoteTimeline::Apply(TCounts &counts, const TNoteEvent &event)
{
    std::uint8_t *channel = counts.data() + std::size_t(event.Channel) * 128;
    switch (event.Kind) {
    case TKind::On:
        if (channel[event.Key] < 255) ++channel[event.Key];
        break;
    case TKind::Off:
        if (channel[event.Key] > 0) --channel[event.Key];
        break;
    case TKind::Silence:
        std::fill(channel, channel + 128, std::uint8_t(0));
        break;
    }
}

TNoteTimeline::TKeys TNoteTimeline::KeysAt(std::int64_t ms) const
{
    TKeys keys;
    // The events up to and including ms.
    const auto after = std::upper_bound(
        events_.begin(), events_.end(), ms,
        [](std::int64_t time, const TNoteEvent &event) { return time < event.TimeMs; });
    const auto done = std::size_t(after - events_.begin());
    if (done == 0) return keys;

    const std::size_t checkpoint = (done - 1) / CheckpointEvery;
    TCounts counts = checkpoints_[checkpoint];
    for (std::size_t i = checkpoint * CheckpointEvery; i < done; ++i)
        Apply(counts, events_[i]);
    for (std::size_t c = 0; c < 16; ++c)
        for (std::size_t k = 0; k < 128; ++k)
            if (counts[c * 128 + k]) keys[c].set(k);

    int looked = 0;
    for (std::size_t i = done; i-- > 0 && looked < kMaxStrikeLookBack; ++looked) {
        const TNoteEvent &event = events_[i];
        if (event.TimeMs <= ms - StrikeMs) break;
        if (event.Kind == TKind::On) keys[event.Channel].set(event.Key);
    }
    return keys;
}

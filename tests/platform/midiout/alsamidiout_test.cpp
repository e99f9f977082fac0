#include "platform/midiout/alsamidiout.h"
#include "platform/midiout/midioutsystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

TShortMessage message(std::uint8_t status, std::uint8_t d1 = 0, std::uint8_t d2 = 0)
{
    return TShortMessage{static_cast<std::uint32_t>(status | (d1 << 8) | (d2 << 16)), status, d1,
                         d2};
}

TEST(AlsaEvents, MessagesBecomeSequencerEventsOrAreLeftOut)
{
    snd_seq_event_t ev;
    ASSERT_TRUE(alsaEventFromShort(message(0x93, 60, 100), ev));
    EXPECT_EQ(ev.type, SND_SEQ_EVENT_NOTEON);
    EXPECT_EQ(ev.data.note.channel, 3);
    EXPECT_EQ(ev.data.note.note, 60);
    EXPECT_EQ(ev.data.note.velocity, 100);
    ASSERT_TRUE(alsaEventFromShort(message(0xBF, 7, 90), ev));
    EXPECT_EQ(ev.type, SND_SEQ_EVENT_CONTROLLER);
    EXPECT_EQ(ev.data.control.channel, 15);
    EXPECT_EQ(ev.data.control.param, 7u);
    EXPECT_EQ(ev.data.control.value, 90);

    // Pitch bend: 14 bits, least significant first, centred on 0x2000.
    const std::pair<std::uint8_t, std::uint8_t> bends[] = {{0x00, 0x40}, {0x7F, 0x7F}, {0, 0}};
    const int values[] = {0, 8191, -8192};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(alsaEventFromShort(message(0xE0, bends[i].first, bends[i].second), ev));
        EXPECT_EQ(ev.type, SND_SEQ_EVENT_PITCHBEND);
        EXPECT_EQ(ev.data.control.value, values[i]);
    }

    ASSERT_TRUE(alsaEventFromShort(message(0xF2, 0x01, 0x02), ev));
    EXPECT_EQ(ev.type, SND_SEQ_EVENT_SONGPOS);
    EXPECT_EQ(ev.data.control.value, 0x101);
    EXPECT_FALSE(alsaEventFromShort(message(0xF4), ev)); // undefined system bytes
    EXPECT_FALSE(alsaEventFromShort(message(0xFD), ev));
}

bool haveSequencer()
{
    std::error_code ec;
    return std::filesystem::exists("/dev/snd/seq", ec);
}

TEST(AlsaPorts, WithoutASequencerOnlyTheSynthesizerExists)
{
    if (haveSequencer()) GTEST_SKIP() << "this machine has an ALSA sequencer";
    TAlsaSeqClient client("Tonaria test");
    EXPECT_FALSE(client.isOpen());
    EXPECT_TRUE(client.ports().empty());
    TMidiOutSystem system; // a list of its own, with nothing installed
    EXPECT_EQ(system.refresh(), 1u);
}

TEST(AlsaPorts, PortsAreOtherProgramsWithUniqueNamesAndTakeMessages)
{
    if (!haveSequencer()) GTEST_SKIP() << "no ALSA sequencer on this machine (/dev/snd/seq absent)";
    TAlsaSeqClient client("Tonaria test");
    ASSERT_TRUE(client.isOpen());
    const auto ports = client.ports();
    std::set<std::string> names;
    for (const auto &port : ports) {
        EXPECT_NE(port.client, client.clientId());
        EXPECT_NE(port.client, SND_SEQ_CLIENT_SYSTEM);
        EXPECT_TRUE(names.insert(port.name).second) << port.name;
    }
    if (ports.empty()) GTEST_SKIP() << "the sequencer has no port that takes MIDI";
    TAlsaMidiOut out(client, ports.front());
    ASSERT_EQ(out.open(), MMSYSERR_NOERROR);
    EXPECT_EQ(out.sendShort(message(0x90, 60, 1)), MMSYSERR_NOERROR);
    const std::uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(out.sendLong(sysex, sizeof sysex), MMSYSERR_NOERROR);
    EXPECT_EQ(out.reset(), MMSYSERR_NOERROR);
    out.close();
}

} // namespace

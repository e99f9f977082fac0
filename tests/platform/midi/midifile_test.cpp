#include "platform/midi/midifile.h"
#include "smfbuilder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TMidiFile parsed(const QByteArray &bytes)
{
    TMidiFile f;
    EXPECT_TRUE(f.parse(bytes)) << f.errorText().toStdString();
    return f;
}

std::vector<const TMidiEvent *> channelEvents(const TMidiFile &f)
{
    std::vector<const TMidiEvent *> out;
    for (const TMidiEvent &e : f.events())
        if (e.isChannelMessage()) out.push_back(&e);
    return out;
}

} // namespace

TEST(MidiFile, TempoMapGivesTimesAndLength)
{
    // Track 0 holds the tempo map, track 1 the notes: 960 ticks at 0.5 s a quarter, then
    // 960 ticks at 1 s a quarter.
    TSmfBuilder b(1, 480);
    b.track().tempo(0, 500000).tempo(960, 1000000).endOfTrack(0);
    b.track().noteOn(1440, 0, 60).noteOff(480, 0, 60).endOfTrack(0);
    const TMidiFile f = parsed(b.build());

    ASSERT_EQ(f.trackCount(), 2);
    const auto notes = channelEvents(f);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0]->timeUs, 2000000); // 1 s + 480 ticks at 1 s a quarter
    EXPECT_EQ(notes[1]->timeUs, 3000000);
    EXPECT_EQ(f.lengthUs(), 3000000);
    EXPECT_EQ(f.lengthMs(), 3000u);
    EXPECT_EQ(f.tickToUs(480), 500000);

    // A tempo set in a later track still governs every track, and the default tempo
    // (120 quarters a minute) holds until the first tempo event.
    TSmfBuilder late(1, 96);
    late.track().noteOn(96, 0, 60).noteOff(96, 0, 60).endOfTrack();
    late.track().tempo(96, 250000).endOfTrack(192);
    const TMidiFile g = parsed(late.build());
    EXPECT_EQ(channelEvents(g)[1]->timeUs, 500000 + 250000);
    EXPECT_EQ(g.lengthUs(), 500000 + 2 * 250000); // the end-of-track counts for the length
}

TEST(MidiFile, SmpteDivisionIgnoresTempo)
{
    // 25 frames a second, 40 ticks a frame: one tick is one millisecond.
    TSmfBuilder b(0, std::uint16_t((0x100 - 25) << 8 | 40));
    b.track().tempo(0, 1000000).noteOn(250, 0, 60).noteOff(750, 0, 60).endOfTrack();
    const TMidiFile f = parsed(b.build());
    EXPECT_EQ(channelEvents(f)[0]->timeUs, 250000);
    EXPECT_EQ(f.lengthMs(), 1000u);

    // 29 stands for 29.97 frames a second.
    TSmfBuilder d(0, std::uint16_t((0x100 - 29) << 8 | 1));
    d.track().endOfTrack(30000);
    EXPECT_EQ(parsed(d.build()).lengthUs(), 1001000000);
}

TEST(MidiFile, RunningStatusAndMergeOrder)
{
    TSmfBuilder b(1, 480);
    b.track()
        .event(0, {0x90, 60, 100})
        .event(0, {62, 101})            // running status
        .event(0, {0xFF, 0x01, 1, 'x'}) // a meta event between...
        .event(10, {64, 102})           // ...keeps running status in a sloppy file
        .event(0, {0xC1, 5})
        .event(0, {7}) // one-byte running status
        .endOfTrack();
    b.track().event(0, {0x92, 70, 1}).endOfTrack();
    const TMidiFile f = parsed(b.build());
    const auto ev = channelEvents(f);
    ASSERT_EQ(ev.size(), 6u);
    // Equal times keep file order: track 0 before track 1.
    EXPECT_EQ(ev[0]->shortMessage(), 0x643C90u);
    EXPECT_EQ(ev[1]->shortMessage(), 0x653E90u);
    EXPECT_EQ(ev[2]->shortMessage(), 0x014692u);
    EXPECT_EQ(ev[3]->shortMessage(), 0x664090u);
    EXPECT_EQ(ev[4]->shortMessage(), 0x05C1u);
    EXPECT_EQ(ev[5]->shortMessage(), 0x07C1u);
    EXPECT_FALSE(f.wasRepaired());
}

TEST(MidiFile, SysExMetaAndTextsKept)
{
    TSmfBuilder b(1, 480);
    b.track()
        .sysex(0, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0xF7})
        .sysex(10, 0xF0, {0x43, 0x10}) // a packet continued by F7 packets
        .sysex(1, 0xF7, {0x4C, 0x00, 0xF7})
        .meta(0, 0x03, "Title")
        .meta(480, 0x05, "Hel")
        .meta(480, 0x05, "lo")
        .meta(0, 0x7F, QByteArray("\x00\x01", 2))
        .endOfTrack();
    const TMidiFile f = parsed(b.build());
    std::vector<std::vector<std::uint8_t>> sysex;
    for (const TMidiEvent &e : f.events())
        if (e.isSysEx()) sysex.emplace_back(f.payload(e).begin(), f.payload(e).end());
    ASSERT_EQ(sysex.size(), 3u);
    EXPECT_EQ(sysex[0], (std::vector<std::uint8_t>{0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(sysex[2], (std::vector<std::uint8_t>{0x4C, 0x00, 0xF7}));

    ASSERT_EQ(f.texts().size(), 3u);
    EXPECT_EQ(f.texts()[0].type, 0x03);
    EXPECT_EQ(f.texts()[0].text, "Title");
    EXPECT_EQ(f.texts()[1].type, 0x05);
    EXPECT_EQ(f.texts()[2].text, "lo");
    EXPECT_EQ(f.texts()[2].timeUs, 971 * 500000 / 480);
}

TEST(MidiFile, RmidAndPrefixedFilesReadAsTheirMidiData)
{
    TSmfBuilder b(0, 96);
    b.track().meta(0, 0x01, "a").noteOn(0, 9, 36).noteOff(96, 9, 36).endOfTrack();
    const QByteArray smf = b.build();
    ASSERT_EQ(smf.size() % 2, 1);
    const TMidiFile f = parsed(TSmfBuilder::rmid(smf));
    EXPECT_EQ(channelEvents(f).size(), 2u);
    EXPECT_EQ(f.lengthMs(), 500u);

    // A RIFF file of another kind, or RMID without data, is refused.
    TMidiFile g;
    EXPECT_FALSE(g.parse(QByteArray("RIFF\x04\0\0\0WAVE", 12)));
    EXPECT_EQ(g.error(), TMidiFile::Error::NotMidi);
    EXPECT_FALSE(g.parse(QByteArray("RIFF\x0c\0\0\0RMIDLIST\0\0\0\0", 20)));
    EXPECT_FALSE(g.errorText().isEmpty());

    // A MacBinary-style prefix before the header is skipped.
    EXPECT_EQ(parsed(QByteArray(128, 'x') + smf).lengthMs(), 500u);
}

TEST(MidiFile, FormatTwoPlaysTracksInSequence)
{
    TSmfBuilder b(2, 480);
    b.track().noteOn(0, 0, 60).noteOff(480, 0, 60).endOfTrack();
    b.track().noteOn(0, 0, 62).noteOff(480, 0, 62).endOfTrack();
    const TMidiFile f = parsed(b.build());
    const auto ev = channelEvents(f);
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev[2]->timeUs, 500000);
    EXPECT_EQ(f.lengthMs(), 1000u);
}

TEST(MidiFile, RefusesWhatIsNotPlayable)
{
    struct Case {
        QByteArray bytes;
        TMidiFile::Error error;
    };
    const QByteArray header("MThd\0\0\0\x06\0\x01\0\x01", 12);
    const std::vector<Case> cases = {
        {QByteArray(), TMidiFile::Error::NotMidi},
        {"This is plain text, not music.", TMidiFile::Error::NotMidi},
        {header, TMidiFile::Error::Truncated},
        {header + QByteArray("\x01\xE0", 2), TMidiFile::Error::Truncated}, // no track chunk
        {QByteArray("MThd\0\0\0\x06\0\x03\0\x01\x01\xE0", 14), TMidiFile::Error::Unsupported},
        {QByteArray("MThd\0\0\0\x06\0\x01\0\x01\0\0", 14), TMidiFile::Error::Unsupported},
        {QByteArray("MThd\0\0\0\x06\0\x01\0\x01\xE5\x01", 14), TMidiFile::Error::Unsupported},
        {QByteArray("MThd\0\0\0\x02\0\x01\0\x01\0\x60", 14), TMidiFile::Error::NotMidi},
    };
    for (const Case &c : cases) {
        TMidiFile f;
        EXPECT_FALSE(f.parse(c.bytes)) << c.bytes.toHex().toStdString();
        EXPECT_EQ(f.error(), c.error) << c.bytes.toHex().toStdString();
        EXPECT_FALSE(f.errorText().isEmpty());
        EXPECT_TRUE(f.events().empty());
    }

    // A delta time that puts an event days away is a broken file, not a long song.
    TSmfBuilder b(0, 1);
    b.track().tempo(0, 0xFFFFFF).endOfTrack(0x0FFFFFFF);
    TMidiFile f;
    EXPECT_FALSE(f.parse(b.build()));
    EXPECT_EQ(f.error(), TMidiFile::Error::TooLarge);

    EXPECT_FALSE(f.load(QStringLiteral("/nonexistent/file.mid")));
    EXPECT_EQ(f.error(), TMidiFile::Error::CannotRead);
}

TEST(MidiFile, ToleratesWhatRealFilesGetWrong)
{
    TSmfBuilder b(1, 480);
    b.track().noteOn(0, 0, 60).noteOff(480, 0, 60).endOfTrack();
    b.track().noteOn(0, 1, 64).noteOff(960, 1, 64).endOfTrack();
    const QByteArray good = b.build();

    // Trailing bytes after the last track.
    {
        const TMidiFile f = parsed(good + QByteArray("\x00\x01\xFF garbage", 11));
        EXPECT_EQ(f.lengthMs(), 1000u);
        EXPECT_TRUE(f.wasRepaired());
    }
    // The last track cut in the middle of its note-off: play what can be read.
    {
        const TMidiFile f = parsed(good.left(good.size() - 5));
        EXPECT_EQ(channelEvents(f).size(), 3u);
        EXPECT_EQ(f.lengthMs(), 500u); // the cut track ends at its last complete event
        EXPECT_TRUE(f.wasRepaired());
    }
    // A track length that runs past the end of the file, and no end-of-track anywhere.
    {
        TSmfBuilder n(0, 480);
        n.track().noteOn(0, 0, 60).noteOff(480, 0, 60);
        QByteArray bytes = n.build();
        bytes[18] = char(0x7F); // declared length far past the end
        const TMidiFile f = parsed(bytes);
        EXPECT_EQ(channelEvents(f).size(), 2u);
        EXPECT_EQ(f.lengthMs(), 500u);
        EXPECT_TRUE(f.events().back().isMeta());
        EXPECT_EQ(f.events().back().data1, 0x2F);
    }
    // A track length that is too short drops the events past it, keeps the earlier ones.
    {
        QByteArray bytes = good;
        bytes[21] = 4; // first track: only the note-on
        const TMidiFile f = parsed(bytes);
        EXPECT_GE(channelEvents(f).size(), 1u);
    }
}

// Mutated and random files: the reader finishes, never reads out of bounds (the sanitizer
// build checks that), and whatever it accepts is consistent.
TEST(MidiFile, FuzzedInputNeverBreaksTheReader)
{
    TSmfBuilder b(1, 96);
    b.track().tempo(0, 400000).meta(0, 0x05, "la").sysex(0, 0xF0, {0x41, 0x10, 0xF7});
    b.track().event(0, {0x90, 60, 100}).event(5, {62, 90}).event(0, {0xB0, 7, 90});
    b.track().event(10, {0xE0, 0, 64}).noteOff(96, 0, 60).endOfTrack(3);
    const QByteArray seed = b.build();

    std::mt19937 rng(20261206);
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes = round % 10 == 0 ? QByteArray() : seed;
        if (round % 10 == 0) {
            bytes.resize(int(rng() % 200));
            for (char &c : bytes)
                c = char(rng());
            if (round % 20 == 0) bytes.prepend("MThd\0\0\0\x06\0\x01\0\x02\0\x60", 14);
        } else {
            const int edits = 1 + int(rng() % 6);
            for (int i = 0; i < edits && !bytes.isEmpty(); ++i) {
                const int at = int(rng() % unsigned(bytes.size()));
                switch (rng() % 4) {
                case 0:
                    bytes[at] = char(rng());
                    break;
                case 1:
                    bytes.truncate(at);
                    break;
                case 2:
                    bytes.insert(at, char(rng()));
                    break;
                default:
                    bytes[at] = char(0xFF);
                    break;
                }
            }
        }
        TMidiFile f;
        if (f.parse(round % 3 == 0 ? TSmfBuilder::rmid(bytes) : bytes)) {
            ++accepted;
            std::int64_t last = 0;
            for (const TMidiEvent &e : f.events()) {
                ASSERT_GE(e.timeUs, last);
                last = e.timeUs;
                ASSERT_LE(e.timeUs, f.lengthUs());
                ASSERT_EQ(f.payload(e).size(), e.dataLength);
            }
        } else {
            ASSERT_FALSE(f.errorText().isEmpty());
        }
    }
    EXPECT_GT(accepted, 1000); // most mutations still leave something to play
}

#include "platform/midi/midifileplayer.h"
#include "recordingsink.h"
#include "smfbuilder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::shared_ptr<const TMidiFile> fileOf(const QByteArray &bytes)
{
    auto f = std::make_shared<TMidiFile>();
    EXPECT_TRUE(f->parse(bytes)) << f->errorText().toStdString();
    return f;
}

// Renders `ms` milliseconds in blocks of an awkward size.
void run(TMidiFilePlayer &p, int ms, int rate = 44100, int block = 173)
{
    std::vector<float> buf(std::size_t(block) * 2);
    for (std::int64_t left = std::int64_t(ms) * rate / 1000; left > 0; left -= block)
        p.mixInto(buf.data(), int(std::min<std::int64_t>(left, block)), rate);
}

} // namespace

TEST(MidiFilePlayer, DispatchesEveryEventAtItsExactFrame)
{
    // Odd times across a tempo change, so no event falls on a block boundary by luck.
    TSmfBuilder b(1, 480);
    b.track().tempo(0, 500000).tempo(700, 437123).endOfTrack();
    b.track();
    for (int i = 0; i < 40; ++i)
        b.noteOn(i == 0 ? 1 : 37, i % 16, 40 + i).noteOff(13, i % 16, 40 + i);
    b.endOfTrack();
    const auto file = fileOf(b.build());

    for (int rate : {44100, 48000}) {
        TRecordingSink sink;
        TMidiFilePlayer p(file, sink);
        p.play();
        run(p, int(file->lengthMs()) + 50, rate, 173);
        const auto notes = sink.notes();
        ASSERT_EQ(notes.size(), 80u);
        std::size_t k = 0;
        for (const TMidiEvent &e : file->events()) {
            if (!e.isChannelMessage()) continue;
            const std::int64_t expected = (e.timeUs * rate + 500000) / 1000000;
            EXPECT_EQ(notes[k].frame, expected) << "event " << k << " at rate " << rate;
            EXPECT_EQ(notes[k].message, e.shortMessage());
            ++k;
        }
    }
}

TEST(MidiFilePlayer, EndStopsWithThePositionAtTheEnd)
{
    TSmfBuilder b(0, 96);
    b.track().noteOn(0, 0, 60).noteOff(96, 0, 60).noteOn(0, 0, 62).noteOff(96, 0, 62).endOfTrack(
        10);
    const auto file = fileOf(b.build());
    TRecordingSink sink;
    TMidiFilePlayer p(file, sink);
    EXPECT_EQ(p.lengthMs(), 1053u); // 202 ticks at 96 a quarter, rounded up

    p.play();
    EXPECT_TRUE(p.isPlaying());
    run(p, 600);
    EXPECT_TRUE(p.isPlaying());
    EXPECT_NEAR(p.positionMs(), 600, 5);
    run(p, 600);
    EXPECT_FALSE(p.isPlaying());
    EXPECT_EQ(p.mode(), TMidiFilePlayer::Mode::Stopped);
    EXPECT_TRUE(p.reachedEnd());
    EXPECT_EQ(p.endCount(), 1u);
    EXPECT_EQ(p.positionMs(), p.lengthMs());
    EXPECT_EQ(sink.notes().size(), 4u);
    // The first mix silenced whatever an earlier player left sounding on the sink.
    EXPECT_TRUE(sink.items().front().silence);

    // Play again at the end: it ends at once, and counts another end.
    p.play();
    EXPECT_FALSE(p.reachedEnd());
    run(p, 10);
    EXPECT_TRUE(p.reachedEnd());
    EXPECT_EQ(p.endCount(), 2u);

    // Play a stretch: it stops at `to`, the note cut there is released.
    sink.items().clear();
    p.play(100, 700);
    EXPECT_EQ(p.positionMs(), 100u); // the target shows before the audio thread has run
    run(p, 1000);
    EXPECT_TRUE(p.reachedEnd());
    EXPECT_EQ(p.positionMs(), 700u);
    EXPECT_EQ(sink.notes().size(), 2u); // off at 500 ms, on at 500 ms
    EXPECT_EQ(sink.last(0xB0, 123), 0); // all notes off after the cut
}

TEST(MidiFilePlayer, PauseStopAndResumeKeepThePositionAndSilence)
{
    TSmfBuilder b(0, 480);
    b.track().noteOn(0, 0, 60).noteOff(4800, 0, 60).endOfTrack();
    const auto file = fileOf(b.build());
    TRecordingSink sink;
    TMidiFilePlayer p(file, sink);
    p.play();
    run(p, 1000);
    p.pause();
    EXPECT_EQ(p.mode(), TMidiFilePlayer::Mode::Paused);
    run(p, 500);
    EXPECT_TRUE(sink.items().back().silence);
    const std::uint32_t at = p.positionMs();
    EXPECT_NEAR(at, 1000, 5);
    run(p, 500);
    EXPECT_EQ(p.positionMs(), at);

    p.resume();
    run(p, 500);
    EXPECT_NEAR(p.positionMs(), at + 500, 5);

    p.stop();
    run(p, 100);
    EXPECT_EQ(p.mode(), TMidiFilePlayer::Mode::Stopped);
    EXPECT_TRUE(sink.items().back().silence);
    EXPECT_NEAR(p.positionMs(), at + 500, 5);
    EXPECT_FALSE(p.reachedEnd());

    // A seek while stopped moves the position and stays stopped.
    p.seek(99999);
    EXPECT_EQ(p.positionMs(), p.lengthMs());
    run(p, 10);
    EXPECT_EQ(p.mode(), TMidiFilePlayer::Mode::Stopped);
    EXPECT_EQ(p.positionMs(), p.lengthMs());
}

TEST(MidiFilePlayer, SeekChasesTheChannelStateAtTheTarget)
{
    TSmfBuilder b(0, 480); // 1 s = 960 ticks
    b.track()
        .sysex(0, 0xF0, {0x7E, 0x7F, 0x09, 0x01, 0xF7})
        .event(0, {0xB0, 0, 8}) // bank 8
        .event(0, {0xC0, 40})
        .event(0, {0xB1, 7, 50}) // volume on channel 2
        .event(0, {0xB1, 101, 0})
        .event(0, {0xB1, 100, 0})
        .event(0, {0xB1, 6, 12}) // pitch-bend range 12
        .event(0, {0xE1, 0, 80})
        .event(960, {0xC0, 50})
        .event(0, {0xB1, 7, 90})
        .noteOn(960, 0, 60)
        .noteOff(960, 0, 60)
        .endOfTrack();
    const auto file = fileOf(b.build());
    TRecordingSink sink;
    TMidiFilePlayer p(file, sink);

    p.seek(1500);
    run(p, 10);
    EXPECT_TRUE(sink.items().front().silence);
    ASSERT_GE(sink.items().size(), 2u);
    EXPECT_EQ(sink.items()[1].sysex, (std::vector<std::uint8_t>{0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(sink.last(0xC0), 50);
    EXPECT_EQ(sink.last(0xB0, 0), 8);
    EXPECT_EQ(sink.last(0xB1, 7), 90);
    EXPECT_EQ(sink.last(0xB1, 6), 12);
    EXPECT_EQ(sink.last(0xE1), 0);     // LSB of the bend 80 << 7
    EXPECT_TRUE(sink.notes().empty()); // a seek plays nothing

    // Backwards, past the second program change: the first one is back.
    sink.items().clear();
    p.play(500);
    run(p, 100);
    EXPECT_EQ(sink.last(0xC0), 40);
    EXPECT_EQ(sink.last(0xB1, 7), 50);

    // Back to the start after playing: what the file sets later goes back to its default until
    // the file sets it again.
    TSmfBuilder late(0, 480);
    late.track().event(960, {0xC3, 33}).event(0, {0xB3, 7, 20}).endOfTrack();
    TRecordingSink sink2;
    TMidiFilePlayer q(fileOf(late.build()), sink2);
    q.play();
    run(q, 1500);
    EXPECT_EQ(sink2.last(0xC3), 33);
    q.seek(0);
    run(q, 10);
    EXPECT_EQ(sink2.last(0xC3), 0);
    EXPECT_EQ(sink2.last(0xB3, 7), 100);
}

namespace {

// Counts what reaches it, without keeping it.
class TCountingSink : public TMidiSink {
public:
    void send(std::uint32_t message) noexcept override
    {
        const bool noteOn = (message & 0xF0) == 0x90 && (message >> 16 & 0x7F) != 0;
        ++(noteOn ? noteOns : others);
        if (noteOn) lastNoteOnFrame = frame;
    }
    void sendSysEx(std::span<const std::uint8_t>) noexcept override { ++others; }
    void allNotesOff() noexcept override {}
    void render(float *, int n) noexcept override { frame += n; }

    std::int64_t noteOns = 0, others = 0, frame = 0, lastNoteOnFrame = -1;
};

} // namespace

TEST(MidiFilePlayer, AFilePilingEventsOnOneInstantIsSpreadAndThinnedNotStalled)
{
    // 200,000 note-ons and 40,000 controller changes at the same instant, then one real note.
    constexpr int Piled = 200000, Controllers = 40000;
    TSmfBuilder b(0, 480);
    b.track();
    for (int i = 0; i < Piled; ++i)
        b.noteOn(0, i % 16, 20 + i % 90, 127);
    for (int i = 0; i < Controllers; ++i)
        b.event(0, {std::uint8_t(0xB0 | i % 16), 1, std::uint8_t(i % 128)});
    b.noteOn(480, 0, 60).noteOff(480, 0, 60).endOfTrack();
    const auto file = fileOf(b.build());

    TCountingSink sink;
    TMidiFilePlayer p(file, sink);
    p.play();
    constexpr int Rate = 44100, Block = 441;
    std::vector<float> buf(std::size_t(Block) * 2);
    int blocks = 0;
    while (!p.reachedEnd() && blocks < 1000) {
        const std::int64_t noteOns = sink.noteOns, others = sink.others;
        p.mixInto(buf.data(), Block, Rate);
        ++blocks;
        ASSERT_LE(sink.noteOns - noteOns, TMidiFilePlayer::MaxNoteOnsPerBlock);
        ASSERT_LE(sink.others - others, TMidiFilePlayer::MaxWorkPerBlock + 32);
    }
    ASSERT_TRUE(p.reachedEnd());
    // The pile takes a few blocks, most of its note-ons are dropped, and no controller is lost.
    EXPECT_LT(sink.noteOns, Piled / 10);
    EXPECT_GE(sink.others, Controllers);
    // The file's clock waited for the pile: the real note comes half a second after it cleared.
    EXPECT_GT(sink.lastNoteOnFrame, Rate / 2);
    EXPECT_LT(blocks, 200);
}

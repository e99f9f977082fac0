#include "platform/audio/audiomixer.h"
#include "platform/midi/midifileplayer.h"
#include "platform/midi/soundfontlocator.h"
#include "platform/midi/synth.h"
#include "platform/midi/synthpool.h"
#include "smfbuilder.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace {

constexpr int Rate = 44100;
const QString SmallSoundFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");

class SynthTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(SmallSoundFont)) GTEST_SKIP() << "TimGM6mb.sf2 is not installed";
        qputenv("TONARIA_SOUNDFONT", SmallSoundFont.toUtf8());
    }
    void TearDown() override { qunsetenv("TONARIA_SOUNDFONT"); }
};

std::vector<float> render(TMidiSink &sink, int frames)
{
    std::vector<float> out(std::size_t(frames) * 2, 0.0f);
    sink.render(out.data(), frames);
    return out;
}

std::vector<float> render(TMidiFilePlayer &p, int frames, int block = 256)
{
    std::vector<float> out(std::size_t(frames) * 2, 0.0f);
    for (int done = 0; done < frames; done += block)
        p.mixInto(out.data() + 2 * done, std::min(block, frames - done), Rate);
    return out;
}

float peak(const std::vector<float> &v, std::size_t from = 0)
{
    float m = 0;
    for (std::size_t i = from; i < v.size(); ++i)
        m = std::max(m, std::fabs(v[i]));
    return m;
}

// The first frame whose sample is audibly non-zero, or -1.
int onset(const std::vector<float> &v)
{
    for (std::size_t i = 0; i < v.size(); ++i)
        if (std::fabs(v[i]) > 1e-5f) return int(i / 2);
    return -1;
}

std::shared_ptr<const TMidiFile> fileOf(const QByteArray &bytes)
{
    auto f = std::make_shared<TMidiFile>();
    EXPECT_TRUE(f->parse(bytes)) << f->errorText().toStdString();
    return f;
}

} // namespace

TEST(SoundFontLocator, PrefersTheVariableThenTheDefaultThenAnyFont)
{
    TTestEnvironment env;
    const QString dir = env.scratch() + QStringLiteral("sf2");
    QDir().mkpath(dir);
    EXPECT_TRUE(TSoundFontLocator::locate(QString(), dir).isEmpty());

    env.writeFile(QStringLiteral("sf2/zeta.sf2"), "x");
    env.writeFile(QStringLiteral("sf2/alpha.sf2"), "x");
    env.writeFile(QStringLiteral("sf2/readme.txt"), "x");
    EXPECT_EQ(QFileInfo(TSoundFontLocator::locate(QString(), dir)).fileName(), "alpha.sf2");

    env.writeFile(QStringLiteral("sf2/default-GM.sf2"), "x");
    EXPECT_EQ(QFileInfo(TSoundFontLocator::locate(QString(), dir)).fileName(), "default-GM.sf2");

    const QString mine = env.writeFile(QStringLiteral("mine.sf2"), "x");
    EXPECT_EQ(TSoundFontLocator::locate(mine, dir), mine);
    // A variable naming a missing file falls back to the folder.
    EXPECT_EQ(QFileInfo(TSoundFontLocator::locate(mine + "x", dir)).fileName(), "default-GM.sf2");
}

TEST_F(SynthTest, ReportsAMissingOrBrokenSoundFont)
{
    TSynth missing(Rate, QStringLiteral("/nonexistent/font.sf2"));
    EXPECT_FALSE(missing.isValid());
    EXPECT_FALSE(missing.errorText().isEmpty());

    TTestEnvironment env;
    TSynth broken(Rate, env.writeFile(QStringLiteral("bad.sf2"), "RIFF nonsense"));
    EXPECT_FALSE(broken.isValid());
    EXPECT_TRUE(broken.errorText().contains(QStringLiteral("bad.sf2")));
    // An unusable synthesizer takes messages and renders silence without failing.
    broken.send(0x7F3C90);
    EXPECT_EQ(peak(render(broken, 512)), 0.0f);
}

TEST_F(SynthTest, SystemResetsAndMasterVolumeTakeEffect)
{
    TSynth synth(Rate);
    ASSERT_TRUE(synth.isValid()) << synth.errorText().toStdString();
    EXPECT_EQ(synth.soundFont(), SmallSoundFont);

    const std::vector<std::vector<std::uint8_t>> resets = {
        {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},                               // GM
        {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, // GS
        {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7},             // XG
    };
    for (const auto &reset : resets) {
        synth.send(0x05C3);   // program 5 on channel 4
        synth.send(0x1E07B3); // volume 30
        synth.send(0x4000E3); // pitch bend up
        ASSERT_EQ(synth.program(3), 5);
        synth.sendSysEx(reset);
        EXPECT_EQ(synth.program(3), 0);
        EXPECT_EQ(synth.controller(3, 7), 100);
        EXPECT_EQ(synth.pitchBend(3), 8192);
    }

    // Master volume: none, then full again after a GM reset.
    synth.sendSysEx(std::vector<std::uint8_t>{0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x00, 0xF7});
    synth.send(0x7F4890);
    EXPECT_LT(peak(render(synth, Rate / 4)), 1e-4f);
    synth.sendSysEx(resets[0]);
    synth.send(0x7F4890);
    EXPECT_GT(peak(render(synth, Rate / 4)), 0.01f);
}

// The onset of a note in the rendered sound, against the frame at which the player sent it.
// Our dispatch is exact (see the recording-sink tests); FluidSynth starts a note at the
// beginning of its next 64-frame block, so the onset lands up to 63 frames late.
TEST_F(SynthTest, NoteOnsetLandsWithinOneSynthBlock)
{
    const auto noteAt = [](std::uint32_t tick) {
        // 1 tick = 1 ms (SMPTE 25 fps x 40).
        TSmfBuilder b(0, std::uint16_t((0x100 - 25) << 8 | 40));
        b.track().event(0, {0xC0, 80}).noteOn(tick, 0, 72, 127).noteOff(200, 0, 72).endOfTrack();
        return b.build();
    };
    // The sound's own attack delay, measured on a note sent on a block boundary.
    TSynth reference(Rate);
    ASSERT_TRUE(reference.isValid());
    reference.send(0x50C0);
    render(reference, 64 * 10);
    reference.send(0x7F4890);
    const int latency = onset(render(reference, 4096));
    ASSERT_GE(latency, 0);

    int worst = 0;
    for (int ms : {10, 11, 13, 17, 23, 29, 31, 37}) {
        TSynth synth(Rate);
        TMidiFilePlayer p(fileOf(noteAt(std::uint32_t(ms))), synth);
        p.play();
        const auto out = render(p, Rate / 5, 100);
        const int sent = int((std::int64_t(ms) * Rate + 500) / 1000);
        const int heard = onset(out) - latency;
        EXPECT_GE(heard, sent) << ms;
        EXPECT_LT(heard, sent + TSynth::BlockFrames) << ms;
        EXPECT_EQ(heard % TSynth::BlockFrames, 0) << ms;
        worst = std::max(worst, heard - sent);
    }
    std::cout << "[ onset    ] worst onset delay " << worst << " frames (" << 1000.0 * worst / Rate
              << " ms at " << Rate << " Hz)\n";
}

TEST_F(SynthTest, SeekRestoresTheProgramAndStopLeavesSilence)
{
    TSmfBuilder b(0, 480); // 1 s = 960 ticks
    b.track()
        .event(0, {0xC0, 19})      // church organ: holds as long as the key is down
        .event(0, {0xB0, 64, 127}) // sustain pedal down
        .event(960, {0xC0, 52})
        .noteOn(960, 0, 60, 127)
        .noteOn(0, 0, 64, 127)
        .noteOff(9600, 0, 60)
        .noteOff(0, 0, 64)
        .endOfTrack();
    const auto file = fileOf(b.build());
    TSynth synth(Rate);
    ASSERT_TRUE(synth.isValid());
    TMidiFilePlayer p(file, synth);

    p.seek(500);
    render(p, 256);
    EXPECT_EQ(synth.program(0), 19);
    EXPECT_EQ(synth.controller(0, 64), 127);
    p.play(1500);
    render(p, Rate);
    EXPECT_EQ(synth.program(0), 52);
    EXPECT_GT(synth.activeVoices(), 0);

    p.stop();
    const auto tail = render(p, Rate * 3);
    EXPECT_EQ(synth.activeVoices(), 0);
    EXPECT_LT(peak(tail, tail.size() * 5 / 6), 1e-4f); // only the reverb lingers, and it fades

    // A seek while playing cuts the notes sounding before it.
    p.play(1900);
    render(p, Rate / 2);
    EXPECT_GT(synth.activeVoices(), 0);
    p.seek(500);
    render(p, 1024); // the notes fade for a few milliseconds first
    EXPECT_EQ(synth.activeVoices(), 0);
    EXPECT_EQ(synth.program(0), 19);
    p.close();
    render(p, 1024);
    EXPECT_EQ(synth.activeVoices(), 0);
}

namespace {

// Loud held chords, six notes at full velocity on channel 1 or on every channel, `ms` long.
QByteArray loudChords(int ms, bool allChannels)
{
    TSmfBuilder b(0, 480); // 1 ms = 0.96 ticks at 120 bpm
    b.track();
    const int channels = allChannels ? 16 : 1;
    for (int ch = 0; ch < channels; ++ch) {
        b.event(0, {std::uint8_t(0xC0 | ch), std::uint8_t(ch * 8)});
        b.event(0, {std::uint8_t(0xB0 | ch), 7, 127});
        b.event(0, {std::uint8_t(0xB0 | ch), 11, 127});
    }
    for (int ch = 0; ch < channels; ++ch)
        for (int key : {48, 52, 55, 60, 64, 67})
            b.noteOn(0, ch, key, 127);
    b.endOfTrack(std::uint32_t(ms * 96 / 100));
    return b.build();
}

// The peak of the frames from `fromFrame` up to `toFrame`.
float peakIn(const std::vector<float> &v, int fromFrame, int toFrame)
{
    float m = 0;
    for (int i = 2 * fromFrame; i < 2 * toFrame && i < int(v.size()); ++i)
        m = std::max(m, std::fabs(v[std::size_t(i)]));
    return m;
}

} // namespace

TEST_F(SynthTest, FullVelocityChordsOnEveryChannelNeverReachFullScaleInTheMix)
{
    TSynth synth(Rate);
    ASSERT_TRUE(synth.isValid());
    TMidiFilePlayer p(fileOf(loudChords(1500, true)), synth);
    p.play();
    TAudioMixer mixer;
    mixer.attach(&p);
    std::vector<float> out(std::size_t(Rate) * 2 * 2);
    for (int done = 0; done < 2 * Rate; done += 441)
        mixer.render(out.data() + 2 * done, std::min(441, 2 * Rate - done), Rate);
    mixer.detach(&p);
    std::cout << "[ level    ] 96 full-velocity notes on 16 channels: mix peak at "
              << 20 * std::log10(peak(out)) << " dBFS\n";
    EXPECT_LT(peak(out), 0.9f);
    EXPECT_GT(peak(out), 0.5f);
}

TEST_F(SynthTest, StopAndSeekFadeWhatSoundsAndAnEndedPlayRingsOut)
{
    const auto file = fileOf(loudChords(5000, false));
    const int ms = Rate / 1000;
    for (int what = 0; what < 3; ++what) {
        TSynth synth(Rate);
        TMidiFilePlayer p(file, synth);
        p.play();
        const auto played = render(p, Rate / 2, 441);
        const float before = peakIn(played, Rate / 2 - 10 * ms, Rate / 2);
        ASSERT_GT(before, 0.01f);
        if (what == 0) p.stop();
        if (what == 1) p.seek(100);
        if (what == 2) p.close();
        const auto after = render(p, Rate / 10, 441);
        // Neither a step into silence nor a sound that goes on: a fade of a few milliseconds.
        EXPECT_GT(peakIn(after, 0, ms), before / 4) << what;
        EXPECT_LT(peakIn(after, 0, 10 * ms), before * 1.01f) << what;
        if (what != 1) {
            EXPECT_EQ(peakIn(after, 10 * ms, 100 * ms), 0.0f) << what;
            EXPECT_TRUE(p.isIdle()) << what;
        }
    }

    // A play that reaches its end lets the release and the reverb ring, then goes idle.
    TSynth synth(Rate);
    TMidiFilePlayer p(fileOf(loudChords(300, false)), synth);
    p.play();
    auto out = render(p, Rate * 3 / 10 + 441, 441);
    ASSERT_TRUE(p.reachedEnd());
    const float level = peakIn(out, Rate * 3 / 10 - 10 * ms, Rate * 3 / 10);
    out = render(p, Rate * 3, 441);
    EXPECT_GT(peakIn(out, 0, 10 * ms), level / 4);
    EXPECT_GT(peakIn(out, 50 * ms, 60 * ms), 1e-3f) << "the tail is heard";
    EXPECT_TRUE(p.isIdle());
    // It died away instead of being cut: the last sound is far under -60 dBFS.
    int last = int(out.size() / 2) - 1;
    while (last > 0 && out[std::size_t(2 * last)] == 0.0f && out[std::size_t(2 * last + 1)] == 0.0f)
        --last;
    EXPECT_LT(peakIn(out, last - 10 * ms, last + 1), 1e-3f);
}

TEST_F(SynthTest, ThePoolLoadsInTheBackgroundAndKeepsASpareAtPowerOn)
{
    TTestEnvironment env;
    TSynthPool pool;
    QString error;
    auto first = pool.acquire(Rate, &error);
    ASSERT_TRUE(first) << error.toStdString();
    pool.waitForLoads();
    ASSERT_TRUE(first->isReady());
    ASSERT_NE(first->synth(), nullptr);
    first->send(0x05C0);
    first->send(0x7F4890);
    EXPECT_GT(peak(render(*first, Rate / 10)), 0.01f);

    // Given back, it is cleaned off the caller's thread, and is spare at power-on state; as the
    // last spare is taken, another is loaded for the title after.
    TSynth *used = first->synth();
    first.reset();
    pool.waitForLoads();
    auto second = pool.acquire(Rate);
    ASSERT_TRUE(second && second->isReady());
    EXPECT_EQ(second->synth(), used);
    EXPECT_EQ(second->synth()->program(0), 0);
    EXPECT_LT(peak(render(*second, Rate)), 1e-6f) << "not even the reverb is left";
    pool.waitForLoads();
    auto next = pool.acquire(Rate);
    EXPECT_TRUE(next->isReady());
    EXPECT_EQ(pool.loadsDone(), 2);

    // Prepared ahead for another rate; a sink that goes while its load runs is no trouble.
    pool.prepare(48000);
    auto early = pool.acquire(48000);
    early.reset();
    pool.waitForLoads();
    auto third = pool.acquire(48000);
    EXPECT_TRUE(third->isReady());
    EXPECT_EQ(third->synth()->sampleRate(), 48000);

    // No SoundFont: said at once. One that does not load: the sink is ready, and silent.
    EXPECT_FALSE(pool.acquire(Rate, &error, env.scratch() + "missing.sf2"));
    EXPECT_FALSE(error.isEmpty());
    const QString broken = env.writeFile("broken.sf2", "RIFF....sfbk");
    auto silent = pool.acquire(Rate, &error, broken);
    ASSERT_TRUE(silent);
    pool.waitForLoads();
    EXPECT_TRUE(silent->isReady());
    EXPECT_EQ(silent->synth(), nullptr);
    EXPECT_TRUE(silent->isSilent());
}

#include "platform/midiout/midieventqueue.h"
#include "platform/midiout/synthmidiout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

// The small General MIDI font when it is installed, so that the tests load quickly.
QString testFont()
{
    std::error_code ec;
    const char *small = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    return std::filesystem::exists(small, ec) ? QString::fromUtf8(small) : QString();
}

float peak(const std::vector<float> &samples)
{
    float p = 0;
    for (float s : samples)
        p = std::max(p, std::fabs(s));
    return p;
}

std::vector<float> render(TSynthMidiOut &synth, int frames, float fill = 0.0f)
{
    std::vector<float> out(2 * static_cast<std::size_t>(frames), fill);
    synth.mixInto(out.data(), frames, 44100);
    return out;
}

TEST(MidiEventQueue, MessagesComeOutWholeAndInOrderAcrossTheRingsEnd)
{
    TMidiEventQueue queue;
    std::vector<std::uint8_t> message(40000);
    for (int round = 0; round < 10; ++round) { // 10 × 40003 bytes: round the ring three times
        for (std::size_t i = 0; i < message.size(); ++i)
            message[i] = static_cast<std::uint8_t>(i * 7 + round);
        ASSERT_TRUE(queue.push(TMidiEventQueue::SysEx, message.data(), message.size()));
        ASSERT_TRUE(queue.push(TMidiEventQueue::NotesOff, nullptr, 0));
        int seen = 0;
        queue.drain([&](TMidiEventQueue::Kind kind, const std::uint8_t *data, std::size_t n) {
            if (seen++ == 0) {
                EXPECT_EQ(kind, TMidiEventQueue::SysEx);
                EXPECT_TRUE(n == message.size() && std::equal(data, data + n, message.begin()));
            } else {
                EXPECT_EQ(kind, TMidiEventQueue::NotesOff);
                EXPECT_EQ(n, 0u);
            }
        });
        EXPECT_EQ(seen, 2);
    }
    // A full ring refuses instead of overwriting.
    std::vector<std::uint8_t> big(TMidiEventQueue::MaxLength);
    EXPECT_TRUE(queue.push(TMidiEventQueue::SysEx, big.data(), big.size()));
    EXPECT_FALSE(queue.push(TMidiEventQueue::SysEx, big.data(), big.size()));
    EXPECT_FALSE(queue.push(TMidiEventQueue::SysEx, big.data(), big.size() + 1));
}

TEST(SynthMidiOut, WithoutAFontItDoesNotOpen)
{
    TSynthMidiOut synth(44100, QStringLiteral("/nonexistent/font.sf2"));
    EXPECT_EQ(synth.open(), MMSYSERR_NODRIVER);
    EXPECT_FALSE(synth.errorText().isEmpty());
    EXPECT_EQ(synth.sendShort(TShortMessage{0x403C90, 0x90, 60, 64}), MIDIERR_NOTREADY);
    const auto out = render(synth, 32, 0.25f); // a closed synthesizer adds nothing
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float s) { return s == 0.25f; }));
}

TEST(SynthMidiOut, QueuedNotesSoundWhenRenderedAndResetSilencesThem)
{
    if (testFont().isEmpty()) GTEST_SKIP() << "the small General MIDI SoundFont is not installed";
    TSynthMidiOut synth(44100, testFont());
    ASSERT_EQ(synth.open(), MMSYSERR_NOERROR);
    EXPECT_LT(peak(render(synth, 4410)), 1e-4f); // nothing sounding

    // A GM reset as a long message, then a held note with the sustain pedal down.
    const std::uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(synth.sendLong(gmOn, sizeof gmOn), MMSYSERR_NOERROR);
    EXPECT_EQ(synth.sendShort(TShortMessage{0x7F40B0, 0xB0, 64, 127}), MMSYSERR_NOERROR);
    EXPECT_EQ(synth.sendShort(TShortMessage{0x7F3C90, 0x90, 60, 127}), MMSYSERR_NOERROR);
    EXPECT_GT(peak(render(synth, 4410)), 0.01f);
    const auto mixed = render(synth, 1000, 0.5f); // the synthesizer adds to what is there
    EXPECT_TRUE(std::any_of(mixed.begin(), mixed.end(), [](float s) { return s != 0.5f; }));

    EXPECT_EQ(synth.reset(), MMSYSERR_NOERROR);
    render(synth, 44100 * 2); // the release dies away
    EXPECT_LT(peak(render(synth, 4410)), 1e-3f);

    // With nothing rendering, the queue fills and then refuses; rendering empties it.
    MMRESULT result = MMSYSERR_NOERROR;
    for (int i = 0; i < 100000 && result == MMSYSERR_NOERROR; ++i)
        result = synth.sendShort(TShortMessage{0x003C80, 0x80, 60, 0});
    EXPECT_EQ(result, MMSYSERR_NOMEM);
    render(synth, 64);
    EXPECT_EQ(synth.sendShort(TShortMessage{0x003C80, 0x80, 60, 0}), MMSYSERR_NOERROR);
    synth.close();
}

TEST(SynthMidiOut, OpeningAndClosingWhileTheAudioThreadRendersIsSafe)
{
    if (testFont().isEmpty()) GTEST_SKIP() << "the small General MIDI SoundFont is not installed";
    TSynthMidiOut synth(44100, testFont());
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> out(2 * 64);
        while (!stop)
            synth.mixInto(out.data(), 64, 44100);
    });
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(synth.open(), MMSYSERR_NOERROR);
        synth.sendShort(TShortMessage{0x7F3C90, 0x90, 60, 127});
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        synth.close();
    }
    stop = true;
    audio.join();
}

} // namespace

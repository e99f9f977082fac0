#include "platform/midiout/synthmidiout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace {

// The small General MIDI font when it is installed, so that the tests load quickly.
std::string testFont()
{
    std::error_code ec;
    const std::string small = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    return std::filesystem::exists(small, ec) ? small : TSynthMidiOut::defaultSoundFont();
}

float peak(const std::vector<float> &samples)
{
    float p = 0;
    for (float s : samples)
        p = std::max(p, std::fabs(s));
    return p;
}

std::vector<float> render(TSynthMidiOut &synth, int frames)
{
    std::vector<float> out(2 * static_cast<std::size_t>(frames), 0.0f);
    synth.mixInto(out.data(), frames, 44100);
    return out;
}

TEST(SynthMidiOut, WithoutAFontItDoesNotOpen)
{
    TSynthMidiOut synth("/nonexistent/font.sf2", 44100);
    EXPECT_EQ(synth.open(), MMSYSERR_NODRIVER);
    EXPECT_EQ(synth.sendShort(TShortMessage{0x403C90, 0x90, 60, 64}), MIDIERR_NOTREADY);
    std::vector<float> out(64, 0.25f);
    synth.mixInto(out.data(), 32, 44100); // a closed synthesizer adds nothing
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float s) { return s == 0.25f; }));
}

TEST(SynthMidiOut, NotesSoundAndResetSilencesThem)
{
    const std::string font = testFont();
    if (font.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    TSynthMidiOut synth(font, 44100);
    ASSERT_EQ(synth.open(), MMSYSERR_NOERROR);
    EXPECT_LT(peak(render(synth, 4410)), 1e-4f); // nothing sounding

    // A GM reset as a long message, then a held note with the sustain pedal down.
    const std::uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(synth.sendLong(gmOn, sizeof gmOn), MMSYSERR_NOERROR);
    synth.sendShort(TShortMessage{0x7F40B0, 0xB0, 64, 127});
    synth.sendShort(TShortMessage{0x7F3C90, 0x90, 60, 127});
    const auto sounding = render(synth, 4410);
    EXPECT_GT(peak(sounding), 0.01f);

    // The synthesizer adds to what is in the buffer.
    std::vector<float> mixed(2 * 1000, 0.5f);
    synth.mixInto(mixed.data(), 1000, 44100);
    EXPECT_TRUE(std::any_of(mixed.begin(), mixed.end(), [](float s) { return s != 0.5f; }));

    EXPECT_EQ(synth.reset(), MMSYSERR_NOERROR);
    render(synth, 44100 * 2); // the release dies away
    EXPECT_LT(peak(render(synth, 4410)), 0.001f);
    synth.close();
}

} // namespace

// The peak meter's readings of the audio mix, and the meter's mode cycle.
#include "player_support.h"

#include "support/testenv.h"

#include "platform/system/messageservice.h"
#include "playback/peakmetermode.h"
#include "playback/sonoricmixer.h"

#include <gtest/gtest.h>

namespace {

class PlayerMixerTest : public ::testing::Test {
protected:
    // Plays a wave file and returns the highest peaks the meter saw while it played.
    std::pair<int, int> PeaksWhilePlaying(const std::vector<double> &levels)
    {
        TSonoricPlayer player;
        player.SetDevice(&AnyDeviceInfo);
        player.SetFilename(env.writeFile("tone.wav", WavFileBytes(400, levels)));
        player.Open();
        player.Play();
        int left = 0, right = 0;
        WaitUntil([&] {
            std::int32_t l = 0, r = 0;
            mixer.ReadPeak(l, r);
            left = std::max(left, l);
            right = std::max(right, r);
            return player.GetMode() != MCI_MODE_PLAY;
        });
        player.Close();
        return {left, right};
    }

    TTestEnvironment env;
    TScriptedMessageService messages;
    TSonoricMixer mixer;
};

TEST_F(PlayerMixerTest, AMonoTitleShowsTheSameLevelOnBothBars)
{
    mixer.Open();
    const auto [left, right] = PeaksWhilePlaying({0.5});
    EXPECT_NEAR(left, 16384, 200);
    EXPECT_EQ(left, right);
}

TEST_F(PlayerMixerTest, StereoChannelsKeepTheirSides)
{
    mixer.Open();
    const auto [left, right] = PeaksWhilePlaying({0.25, 0.75});
    EXPECT_NEAR(left, 8192, 200);
    EXPECT_NEAR(right, 24576, 200);
}

TEST_F(PlayerMixerTest, AClosedMixerOrNoOutputReadsNothing)
{
    std::int32_t left = 1, right = 1;
    mixer.ReadPeak(left, right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 0);

    TSonoricMixer detached([] { return nullptr; });
    detached.Open();
    left = right = 1;
    detached.ReadPeak(left, right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 0);
}

TEST(PeakMeterModeTest, ThreeClicksCycleBackToOffKeepingFallMarks)
{
    TPeakMeterMode mode;
    mode = mode.Next();
    EXPECT_EQ(mode, (TPeakMeterMode{true, false}));
    mode = mode.Next();
    EXPECT_EQ(mode, (TPeakMeterMode{true, true}));
    mode = mode.Next();
    EXPECT_EQ(mode, (TPeakMeterMode{false, true}));
    // From off with the fall flag left on, the meter comes back without fall marks.
    EXPECT_EQ(mode.Next(), (TPeakMeterMode{true, false}));
}

} // namespace

// The peak meter's readings of the audio mix, and the meter's mode cycle.
#include "player_support.h"

#include "support/testenv.h"

#include "platform/system/messageservice.h"
#include "playback/peakmetermode.h"
#include "playback/sonoricmixer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(PlayerMixerTest, AMonoTitleShowsTheSameLevelOnBothChannels)
{
    TTestEnvironment env;
    TScriptedMessageService messages;
    TSonoricMixer mixer;
    std::int32_t left = 1, right = 1;
    mixer.ReadPeak(left, right); // closed
    EXPECT_EQ(left + right, 0);

    mixer.Open();
    TSonoricPlayer player;
    player.SetDevice(&AnyDeviceInfo);
    player.SetFilename(env.writeFile("tone.wav", WavFileBytes(400, 0.5)));
    player.Open();
    player.Play();
    int highLeft = 0, highRight = 0;
    WaitUntil([&] {
        mixer.ReadPeak(left, right);
        highLeft = std::max(highLeft, left);
        highRight = std::max(highRight, right);
        return player.GetMode() != MCI_MODE_PLAY;
    });
    EXPECT_NEAR(highLeft, 16384, 200);
    // The tail of an earlier title may still ring, far under the tone, in the same mix.
    EXPECT_NEAR(highLeft, highRight, 16);
    player.Close();
    TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);

    TSonoricMixer detached([] { return nullptr; });
    detached.Open();
    detached.ReadPeak(left, right);
    EXPECT_EQ(left + right, 0);
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
    EXPECT_EQ(mode.Next(), (TPeakMeterMode{true, false}));
}

} // namespace

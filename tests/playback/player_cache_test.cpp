// The player over a plug-in device (a scripted CD drive): the command path, the CD status
// cache, track arithmetic and clamped targets.
#include "player_support.h"

#include "support/testenv.h"

#include "platform/system/messageservice.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

namespace {

class PlayerPluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.Attach(player);
        player.AnalyzePluginDevices();
        ASSERT_EQ(player.Devices().size(), 1u);
        cd = player.Devices()[0].get();
    }

    void OpenCd()
    {
        player.SetDevice(cd);
        player.Open();
        device.StatusQuestions.clear();
    }

    int MediumQuestions()
    {
        return device.StatusQuestions[MCI_STATUS_LENGTH] +
               device.StatusQuestions[MCI_STATUS_POSITION];
    }

    TTestEnvironment env;
    TScriptedMessageService messages;
    TScriptedDevice device; // outlives the player, which talks to it while closing
    TSonoricPlayer player;
    PSPDeviceInfo cd = nullptr;
};

TEST_F(PlayerPluginTest, APluginDeviceWithoutHandlerAnswersUnsupportedFunction)
{
    TSonoricPlayer bare;
    TSPDeviceInfo plugin;
    plugin.Kind = TSPDeviceInfo::KindPlugin;
    bare.SetDevice(&plugin);
    EXPECT_EQ(bare.SendCommand(MCI_STATUS, MCI_WAIT, 0), MCIERR_UNSUPPORTED_FUNCTION);
    try {
        bare.Open();
        FAIL() << "the open should fail";
    } catch (const ESonoricPlayerException &e) {
        EXPECT_EQ(e.Code(), MCIERR_UNSUPPORTED_FUNCTION);
        EXPECT_EQ(e.Message(), TSonoricPlayer::ErrorText(MCIERR_UNSUPPORTED_FUNCTION));
    }
    EXPECT_FALSE(bare.Opened());
    // A plug-in's own error code has no text of the layer, and still gets one.
    EXPECT_FALSE(TSonoricPlayer::ErrorText(MCIERR_CUSTOM_DRIVER_BASE + 7).isEmpty());
}

TEST_F(PlayerPluginTest, APluginDeviceThatClaimsTheFileTakesTheAutomaticOpen)
{
    UseTestSoundFont();
    QStringList asked;
    player.OnDeviceSupportFile = [&](TSonoricPlayer *, std::int32_t id, const QString &file,
                                     bool &supports) {
        asked << QStringLiteral("%1:%2").arg(id).arg(file);
        supports = file.endsWith(QLatin1String(".mid"));
    };
    std::vector<std::int32_t> ids;
    const auto serve = player.OnDeviceMessage;
    player.OnDeviceMessage = [&](TSonoricPlayer *sender, std::int32_t id, std::uint32_t msg,
                                 std::uint32_t flags, std::uintptr_t param, std::int32_t &result) {
        ids.push_back(id);
        serve(sender, id, msg, flags, param, result);
    };
    QStringList resets;
    player.OnAfterMIDIReset = [&](TSonoricPlayer *, bool ok) { resets << QString::number(ok); };
    player.SetFileMIDIReset(TTestEnvironment::sourceData() + "Reset/GM Reset.mid");

    TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
    player.SetDevice(&AnyDeviceInfo);
    player.SetFilename(QStringLiteral("disc.mid"));
    player.Open();
    EXPECT_EQ(asked, QStringList({QStringLiteral("0:disc.mid")}));
    EXPECT_EQ(player.Device(), cd);
    // The reset file is for the built-in sequencer: the plug-in device sees the open of the
    // title only (besides the one of the analysis).
    EXPECT_EQ(resets, QStringList({QStringLiteral("1")}));
    EXPECT_EQ(std::count(device.Commands.begin(), device.Commands.end(), MCI_OPEN), 2);
    // Its identifier 0 addresses it after the open as before.
    player.GetMode();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 0), std::ptrdiff_t(ids.size()));
    player.Close();

    // A file it does not claim stays with the media-control layer.
    const std::size_t commands = device.Commands.size();
    player.SetDevice(&AnyDeviceInfo);
    player.SetFilename(env.writeFile("tone.wav", WavFileBytes(200, 0.5)));
    player.Open();
    EXPECT_EQ(AnyDeviceInfo.Name, QStringLiteral("waveaudio"));
    EXPECT_EQ(device.Commands.size(), commands);
    player.Close();
    TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
}

TEST_F(PlayerPluginTest, CdStatusComesFromTheCacheUntilACommandRefreshesIt)
{
    OpenCd();
    EXPECT_EQ(player.PhysicalLength(), device.TotalLength());
    EXPECT_EQ(player.PhysicalStart(), 2000u);
    EXPECT_EQ(player.PhysicalPosition(), 2000u);
    EXPECT_EQ(player.PhysicalTrackLength(1), 60000u);
    EXPECT_EQ(player.PhysicalTrackStart(1), 2000u);
    EXPECT_EQ(MediumQuestions(), 0);

    // The drive moves on its own: the cache answers until a stop refreshes it.
    device.Position = device.TrackStartOf(2) + 500;
    EXPECT_EQ(player.PhysicalPosition(), 2000u);
    player.Stop();
    EXPECT_EQ(player.PhysicalPosition(), device.TrackStartOf(2) + 500);
    device.StatusQuestions.clear();
    EXPECT_EQ(player.PhysicalTrackLength(2), 90000u); // the cached track is now 2
    EXPECT_EQ(MediumQuestions(), 0);
    EXPECT_EQ(player.PhysicalTrackLength(3), 120000u); // another one is asked for
    EXPECT_EQ(MediumQuestions(), 1);

    // While playing the position is read live, and kept for when it stops.
    player.Play();
    device.Position = 7000;
    EXPECT_EQ(player.PhysicalPosition(), 7000u);
    device.Mode = MCI_MODE_PAUSE;
    device.Position = 9000;
    EXPECT_EQ(player.PhysicalPosition(), 7000u);

    player.SetCacheEnabled(false);
    EXPECT_EQ(player.PhysicalPosition(), 9000u);
}

TEST_F(PlayerPluginTest, LogicalTimesCountFromTheCurrentTrack)
{
    OpenCd();
    device.Position = device.TrackStartOf(2) + 1234;
    player.Stop();
    EXPECT_EQ(player.GetPosition(), 1234u);
    EXPECT_EQ(player.GetLength(), 90000u);
    EXPECT_EQ(player.TrackStart(2), device.TrackStartOf(2) - 2000);

    player.SetModeTime(spmtPhysical);
    EXPECT_EQ(player.GetPosition(), device.TrackStartOf(2) + 1234);
    EXPECT_EQ(player.GetLength(), device.TotalLength());
    EXPECT_EQ(player.TrackStart(2), device.TrackStartOf(2));
}

TEST_F(PlayerPluginTest, TracksAndSeekTargetsAreClampedToTheMedium)
{
    OpenCd();
    player.SetTrack(0);
    EXPECT_EQ(device.Position, device.TrackStartOf(1));
    player.SetTrack(99);
    EXPECT_EQ(device.Position, device.TrackStartOf(3));
    player.SetTrack(2); // a track's start is where the drive has it, lead-in and all
    EXPECT_EQ(device.Position, device.TrackStartOf(2));
    player.NextTrack();
    player.NextTrack();
    EXPECT_EQ(device.Position, device.TrackStartOf(3));
    player.PrevTrack();
    EXPECT_EQ(device.Position, device.TrackStartOf(2));

    player.SeekPhysical(10);
    EXPECT_EQ(device.Position, 2000u);
    player.SeekPhysical(0xFFFFFFF0u);
    EXPECT_EQ(device.Position, 2000u + device.TotalLength());
    player.Seek(0xFFFFFFF0u); // logical, from the current track on
    EXPECT_EQ(device.Position, 2000u + device.TotalLength());
}

} // namespace

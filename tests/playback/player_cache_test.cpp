// The player over a plug-in device: the command path, the CD status cache, track arithmetic,
// seeking and the notices, against a scripted CD drive.
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

    int Questions(std::uint32_t item) { return device.StatusQuestions[item]; }

    TTestEnvironment env;
    TScriptedMessageService messages;
    // The device outlives the player, which talks to it while closing.
    TScriptedDevice device;
    TSonoricPlayer player;
    PSPDeviceInfo cd = nullptr;
};

TEST_F(PlayerPluginTest, PluginDeviceWithoutHandlerAnswersUnsupportedFunction)
{
    TSonoricPlayer bare;
    TSPDeviceInfo plugin;
    plugin.Kind = TSPDeviceInfo::KindPlugin;
    plugin.Name = QStringLiteral("gizmo");
    plugin.Identifier = 3;
    bare.SetDevice(&plugin);
    EXPECT_EQ(bare.SendCommand(MCI_STATUS, MCI_WAIT, 0), MCIERR_UNSUPPORTED_FUNCTION);
    try {
        bare.Open();
        FAIL() << "the open should fail";
    } catch (const ESonoricPlayerException &e) {
        EXPECT_EQ(e.Code(), MCIERR_UNSUPPORTED_FUNCTION);
        EXPECT_FALSE(e.Message().isEmpty());
    }
    EXPECT_FALSE(bare.Opened());

    bare.SetDevice(nullptr);
    EXPECT_EQ(bare.SendCommand(MCI_STATUS, MCI_WAIT, 0), MCIERR_DEVICE_TYPE_REQUIRED);
}

TEST_F(PlayerPluginTest, CommandsReachThePluginWithTheirIdentifierAndBlocks)
{
    std::vector<std::int32_t> identifiers;
    const auto serve = player.OnDeviceMessage;
    player.OnDeviceMessage = [&](TSonoricPlayer *sender, std::int32_t id, std::uint32_t msg,
                                 std::uint32_t flags, std::uintptr_t param, std::int32_t &result) {
        identifiers.push_back(id);
        serve(sender, id, msg, flags, param, result);
    };
    OpenCd();
    EXPECT_TRUE(player.Opened());
    EXPECT_TRUE(player.HasTracks());
    ASSERT_FALSE(identifiers.empty());
    for (std::int32_t id : identifiers)
        EXPECT_EQ(id, cd->Identifier);
    player.SetDoorOpen(true);
    EXPECT_TRUE(device.DoorOpen);
    player.Close();
    EXPECT_FALSE(player.Opened());
    EXPECT_EQ(device.Commands.back(), MCI_CLOSE);
}

TEST_F(PlayerPluginTest, APluginDeviceThatClaimsTheFileTakesTheAutomaticOpen)
{
    UseTestSoundFont();
    QStringList asked;
    player.OnDeviceSupportFile = [&](TSonoricPlayer *, std::int32_t id, const QString &file,
                                     bool &supports) {
        asked << QStringLiteral("%1:%2").arg(id).arg(file);
        supports = !file.endsWith(QLatin1String(".wav"));
    };
    QStringList resets;
    player.OnAfterMIDIReset = [&](TSonoricPlayer *, bool ok) {
        resets << (ok ? QStringLiteral("ok") : QStringLiteral("failed"));
    };
    player.SetFileMIDIReset(TTestEnvironment::sourceData() + "Reset/GM Reset.mid");

    TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
    device.Commands.clear();
    player.SetDevice(&AnyDeviceInfo);
    player.SetFilename(QStringLiteral("disc.mid"));
    player.Open();
    EXPECT_EQ(asked, QStringList({QStringLiteral("0:disc.mid")}));
    EXPECT_EQ(player.Device(), cd);
    EXPECT_EQ(device.Commands.front(), MCI_OPEN);
    // The reset file is a MIDI file for the built-in sequencer, not for the plug-in device.
    EXPECT_EQ(resets, QStringList({QStringLiteral("ok")}));
    EXPECT_EQ(std::count(device.Commands.begin(), device.Commands.end(), MCI_OPEN), 1);
    player.Close();

    // A file the plug-in does not claim stays with the automatic device (and the layer).
    device.Commands.clear();
    player.SetDevice(&AnyDeviceInfo);
    player.SetFilename(env.writeFile("tone.wav", WavFileBytes(200, {0.5})));
    player.Open();
    EXPECT_EQ(player.Device(), &AnyDeviceInfo);
    EXPECT_EQ(AnyDeviceInfo.Name, QStringLiteral("waveaudio"));
    EXPECT_TRUE(device.Commands.empty());
    player.Close();
    TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
}

TEST_F(PlayerPluginTest, CdStatusComesFromTheCacheUntilRefreshed)
{
    OpenCd();
    const std::uint32_t total = device.TotalLength();
    EXPECT_EQ(player.PhysicalLength(), total);
    EXPECT_EQ(player.PhysicalStart(), 2000u);
    EXPECT_EQ(player.PhysicalPosition(), 2000u);
    EXPECT_EQ(player.PhysicalTrackLength(1), 60000u);
    EXPECT_EQ(player.PhysicalTrackStart(1), 2000u);
    EXPECT_EQ(Questions(MCI_STATUS_LENGTH), 0);
    EXPECT_EQ(Questions(MCI_STATUS_POSITION), 0);

    // The drive moves on its own: the cache keeps answering until a command refreshes it.
    device.Position = device.TrackStartOf(2) + 500;
    EXPECT_EQ(player.PhysicalPosition(), 2000u);
    player.Stop();
    EXPECT_EQ(player.PhysicalPosition(), device.TrackStartOf(2) + 500);
    // Track 2 is now the cached track.
    device.StatusQuestions.clear();
    EXPECT_EQ(player.PhysicalTrackLength(2), 90000u);
    EXPECT_EQ(player.PhysicalTrackStart(2), device.TrackStartOf(2));
    EXPECT_EQ(Questions(MCI_STATUS_LENGTH) + Questions(MCI_STATUS_POSITION), 0);
    // Another track is asked for at the drive.
    EXPECT_EQ(player.PhysicalTrackLength(3), 120000u);
    EXPECT_EQ(Questions(MCI_STATUS_LENGTH), 1);
}

TEST_F(PlayerPluginTest, CdPositionIsLiveWhilePlayingAndKeptAfterwards)
{
    OpenCd();
    player.Play();
    device.Position = 7000;
    EXPECT_EQ(player.PhysicalPosition(), 7000u);
    EXPECT_EQ(Questions(MCI_STATUS_POSITION), 1);
    // Stopped behind the player's back: the last live value is served.
    device.Mode = MCI_MODE_PAUSE;
    device.Position = 9000;
    EXPECT_EQ(player.PhysicalPosition(), 7000u);
    EXPECT_EQ(Questions(MCI_STATUS_POSITION), 1);
}

TEST_F(PlayerPluginTest, DisablingTheCacheReadsTheDrive)
{
    OpenCd();
    player.SetCacheEnabled(false);
    device.Position = 4321;
    EXPECT_EQ(player.PhysicalPosition(), 4321u);
    EXPECT_GT(Questions(MCI_STATUS_POSITION), 0);

    // A device of another name never caches.
    device.Name = QStringLiteral("jukebox");
    TSonoricPlayer other;
    device.Attach(other);
    other.AnalyzePluginDevices();
    ASSERT_EQ(other.Devices().size(), 1u);
    other.SetDevice(other.Devices()[0].get());
    other.Open();
    device.Position = 5555;
    EXPECT_EQ(other.PhysicalPosition(), 5555u);
}

TEST_F(PlayerPluginTest, LogicalTimesCountFromTheTrack)
{
    OpenCd();
    device.Position = device.TrackStartOf(2) + 1234;
    player.Stop();
    EXPECT_EQ(player.GetStart(), 0u);
    EXPECT_EQ(player.GetPosition(), 1234u);
    EXPECT_EQ(player.GetLength(), 90000u);
    EXPECT_EQ(player.TrackStart(2), device.TrackStartOf(2) - 2000);

    player.SetModeTime(spmtPhysical);
    EXPECT_EQ(player.GetPosition(), device.TrackStartOf(2) + 1234);
    EXPECT_EQ(player.GetLength(), device.TotalLength());
    EXPECT_EQ(player.TrackStart(2), device.TrackStartOf(2));
}

TEST_F(PlayerPluginTest, SetTrackClampsAndSeeksToTheTrackStart)
{
    OpenCd();
    player.SetTrack(0);
    EXPECT_EQ(device.Position, device.TrackStartOf(1));
    player.SetTrack(99);
    EXPECT_EQ(device.Position, device.TrackStartOf(3));
    player.SetTrack(2);
    EXPECT_EQ(device.Position, device.TrackStartOf(2));
    player.NextTrack();
    EXPECT_EQ(device.Position, device.TrackStartOf(3));
    player.NextTrack();
    EXPECT_EQ(device.Position, device.TrackStartOf(3));
    player.PrevTrack();
    EXPECT_EQ(device.Position, device.TrackStartOf(2));
}

TEST_F(PlayerPluginTest, SeekTargetsAreClampedToTheMedium)
{
    OpenCd();
    player.SeekPhysical(10);
    EXPECT_EQ(device.Position, 2000u);
    player.SeekPhysical(0xFFFFFFF0u);
    EXPECT_EQ(device.Position, 2000u + device.TotalLength());
    player.SetCacheEnabled(false);
    device.Position = device.TrackStartOf(3);
    player.Seek(0xFFFFFFF0u); // logical, from the start of track 3
    EXPECT_EQ(device.Position, 2000u + device.TotalLength());
}

TEST_F(PlayerPluginTest, SeekWhilePlayingResumesWhenTheSeekCompletes)
{
    QStringList events;
    player.OnNotify = [&](TSonoricPlayer *) { events << QStringLiteral("Notify"); };
    player.OnPlayStopped = [&](TSonoricPlayer *) { events << QStringLiteral("PlayStopped"); };
    OpenCd();
    player.Play();
    player.SeekPhysical(30000);
    EXPECT_EQ(device.Mode, MCI_MODE_PAUSE);
    ASSERT_TRUE(WaitUntil([&] { return device.Mode == MCI_MODE_PLAY; }, 2000));
    EXPECT_EQ(device.Position, 30000u);
    RunEvents(50);
    EXPECT_FALSE(events.contains(QStringLiteral("PlayStopped")));
    EXPECT_FALSE(events.isEmpty());

    // The resumed play still reports its end.
    events.clear();
    device.FinishPlay();
    ASSERT_TRUE(WaitUntil([&] { return !events.isEmpty(); }, 2000));
    RunEvents(20);
    EXPECT_EQ(events, QStringList({QStringLiteral("PlayStopped"), QStringLiteral("Notify")}));
}

TEST_F(PlayerPluginTest, SeekWhilePausedStaysPaused)
{
    OpenCd();
    player.Play();
    player.Pause();
    player.SeekPhysical(40000);
    RunEvents(50);
    EXPECT_EQ(device.Mode, MCI_MODE_PAUSE);
    EXPECT_EQ(device.Position, 40000u);
}

TEST_F(PlayerPluginTest, CommandsWithoutAMediumDoNothing)
{
    player.SetDevice(cd);
    device.Commands.clear();
    player.Play();
    player.Pause();
    player.Resume();
    player.PlayPause();
    player.Stop();
    player.SeekPhysical(100);
    player.SetDoorOpen(true);
    player.Configure();
    EXPECT_TRUE(device.Commands.empty());
    EXPECT_EQ(player.GetMode(), MCI_MODE_NOT_READY);
    EXPECT_FALSE(player.IsReady());
}

TEST_F(PlayerPluginTest, DeviceErrorsAreRaisedWithTheirText)
{
    OpenCd();
    device.Failures[MCI_PLAY] = MCIERR_HARDWARE;
    try {
        player.Play();
        FAIL() << "the play should fail";
    } catch (const ESonoricPlayerException &e) {
        EXPECT_EQ(e.Code(), MCIERR_HARDWARE);
        EXPECT_EQ(e.Message(), TSonoricPlayer::ErrorText(MCIERR_HARDWARE));
        EXPECT_FALSE(e.Message().isEmpty());
    }
    // A plug-in's own code has no text of the layer; it still gets one.
    EXPECT_FALSE(TSonoricPlayer::ErrorText(MCIERR_CUSTOM_DRIVER_BASE + 7).isEmpty());
    // Closing swallows a failing stop.
    device.Failures[MCI_STOP] = MCIERR_HARDWARE;
    device.Mode = MCI_MODE_PLAY;
    EXPECT_NO_THROW(player.Close());
    EXPECT_FALSE(player.Opened());
}

} // namespace

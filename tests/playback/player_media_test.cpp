// The player over the real media-control layer with generated files: the automatic device, the
// MIDI reset before MIDI titles, transport and seeking, and the order of the events.
#include "player_support.h"

#include "support/testenv.h"

#include "platform/midi/midifile.h"
#include "platform/system/messageservice.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

namespace {

class PlayerMediaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestSoundFont();
        TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
        player.OnBeforeMIDIReset = [this](TSonoricPlayer *) { log << QStringLiteral("Before"); };
        player.OnAfterMIDIReset = [this](TSonoricPlayer *, bool ok) {
            log << (ok ? QStringLiteral("After") : QStringLiteral("AfterFailed"));
        };
        player.OnNotify = [this](TSonoricPlayer *) { log << QStringLiteral("Notify"); };
        player.OnPlayStopped = [this](TSonoricPlayer *) { log << QStringLiteral("PlayStopped"); };
    }

    void TearDown() override
    {
        player.Close();
        TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
    }

    // Opens a file on the automatic device, as the transport does for each title.
    void OpenTitle(const QString &path)
    {
        TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
        player.SetDevice(&AnyDeviceInfo);
        player.SetFilename(path);
        player.Open();
    }

    static QString ResetFile() { return TTestEnvironment::sourceData() + "Reset/GM Reset.mid"; }

    TTestEnvironment env;
    TScriptedMessageService messages;
    TSonoricPlayer player;
    QStringList log;
};

TEST_F(PlayerMediaTest, TheFileChoosesItsDevice)
{
    OpenTitle(env.writeFile("song.mid", MidiFileBytes(1000)));
    EXPECT_TRUE(player.Opened());
    EXPECT_EQ(AnyDeviceInfo.Name, QStringLiteral("sequencer"));
    EXPECT_EQ(AnyDeviceInfo.DeviceType, std::int32_t(MCI_DEVTYPE_SEQUENCER));
    EXPECT_FALSE(AnyDeviceInfo.Description.isEmpty());
    EXPECT_TRUE(AnyDeviceInfo.IsAny);
    EXPECT_EQ(player.GetMode(), MCI_MODE_STOP);
    EXPECT_EQ(player.GetTimeFormat(), MCI_FORMAT_MILLISECONDS);
    EXPECT_NEAR(double(player.GetLength()), 1000.0, 50.0);
    EXPECT_EQ(player.GetPosition(), 0u);

    OpenTitle(env.writeFile("tone.wav", WavFileBytes(500, {0.5})));
    EXPECT_EQ(AnyDeviceInfo.Name, QStringLiteral("waveaudio"));
    EXPECT_EQ(AnyDeviceInfo.DeviceType, std::int32_t(MCI_DEVTYPE_WAVEFORM_AUDIO));
    EXPECT_NEAR(double(player.GetLength()), 500.0, 5.0);

    // A file nobody plays raises the layer's error and leaves nothing open.
    EXPECT_THROW(OpenTitle(env.writeFile("notes.txt", "hello")), ESonoricPlayerException);
    EXPECT_FALSE(player.Opened());
}

TEST_F(PlayerMediaTest, TheResetFilePlaysBeforeMidiTitles)
{
    player.SetFileMIDIReset(ResetFile());
    const QStringList titles = {env.writeFile("a.mid", MidiFileBytes(300)),
                                env.writeFile("b.RMI", RmidFileBytes(300)),
                                env.writeFile("c.kar", MidiFileBytes(300))};
    for (const QString &title : titles) {
        log.clear();
        OpenTitle(title);
        EXPECT_EQ(log, QStringList({QStringLiteral("Before"), QStringLiteral("After")}))
            << qPrintable(title);
        EXPECT_TRUE(player.Opened());
        EXPECT_FALSE(player.Resetting());
    }
    EXPECT_TRUE(messages.boxes().empty());

    // A sequencer named by its record resets too, whatever the file is called. (Media are
    // opened under one alias, so one player at a time has one open.)
    player.Close();
    TSonoricPlayer named;
    named.AnalyzeMCIDevices();
    named.SetFileMIDIReset(ResetFile());
    bool reset = false;
    named.OnAfterMIDIReset = [&](TSonoricPlayer *, bool ok) { reset = ok; };
    named.SetDevice(named.FindDeviceByName(QStringLiteral("sequencer")));
    named.SetFilename(env.writeFile("tune.bin", MidiFileBytes(300)));
    named.Open();
    EXPECT_TRUE(reset);
}

TEST_F(PlayerMediaTest, NoResetForOtherTitlesOrWithoutAResetFile)
{
    player.SetFileMIDIReset(ResetFile());
    OpenTitle(env.writeFile("tone.wav", WavFileBytes(300, {0.5})));
    // The automatic record now describes the wave device; a MIDI title before it does not
    // make the next wave title reset either.
    OpenTitle(env.writeFile("a.mid", MidiFileBytes(300)));
    log.clear();
    player.SetDevice(&AnyDeviceInfo);
    player.SetFilename(env.writeFile("tone2.wav", WavFileBytes(300, {0.5})));
    player.Open();
    EXPECT_TRUE(log.isEmpty());

    player.SetFileMIDIReset(QString());
    OpenTitle(env.writeFile("b.mid", MidiFileBytes(300)));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(PlayerMediaTest, AResetFileThatDoesNotOpenIsReportedAndTheTitleStillOpens)
{
    player.SetFileMIDIReset(env.scratch() + "missing.mid");
    // The handlers' own failures are not the player's business.
    player.OnBeforeMIDIReset = [this](TSonoricPlayer *) {
        log << QStringLiteral("Before");
        throw std::runtime_error("display gone");
    };
    OpenTitle(env.writeFile("a.mid", MidiFileBytes(300)));
    EXPECT_EQ(log, QStringList({QStringLiteral("Before"), QStringLiteral("AfterFailed")}));
    EXPECT_TRUE(player.Opened());

    // Without a handler the failure is the open's own.
    TSonoricPlayer bare;
    bare.SetFileMIDIReset(env.scratch() + "missing.mid");
    bare.SetDevice(&AnyDeviceInfo);
    bare.SetFilename(env.writeFile("b.mid", MidiFileBytes(300)));
    EXPECT_THROW(bare.Open(), ESonoricPlayerException);
    EXPECT_FALSE(bare.Resetting());
}

TEST_F(PlayerMediaTest, APlayRunToItsEndReportsStoppedThenNotify)
{
    OpenTitle(env.writeFile("short.mid", MidiFileBytes(300)));
    player.Play();
    EXPECT_EQ(player.GetMode(), MCI_MODE_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return log.contains(QStringLiteral("Notify")); }));
    EXPECT_EQ(log, QStringList({QStringLiteral("PlayStopped"), QStringLiteral("Notify")}));
    EXPECT_EQ(player.GetMode(), MCI_MODE_STOP);
    EXPECT_EQ(player.GetPosition(), player.GetLength());
}

TEST_F(PlayerMediaTest, StoppingAPlayRaisesNoPlayStopped)
{
    OpenTitle(env.writeFile("long.mid", MidiFileBytes(5000)));
    player.Play();
    RunEvents(50);
    player.Stop();
    RunEvents(100);
    EXPECT_FALSE(log.contains(QStringLiteral("PlayStopped")));
    EXPECT_TRUE(log.contains(QStringLiteral("Notify")));
    EXPECT_EQ(player.GetMode(), MCI_MODE_STOP);

    // Pause and the play/pause toggle.
    log.clear();
    player.Play();
    player.PlayPause();
    EXPECT_EQ(player.GetMode(), MCI_MODE_PAUSE);
    player.PlayPause();
    EXPECT_EQ(player.GetMode(), MCI_MODE_PLAY);
    player.Pause();
    RunEvents(50);
    EXPECT_FALSE(log.contains(QStringLiteral("PlayStopped")));
}

TEST_F(PlayerMediaTest, SeekWhilePlayingResumesAndWhilePausedStaysPaused)
{
    OpenTitle(env.writeFile("long.mid", MidiFileBytes(5000)));
    player.Play();
    RunEvents(30);
    player.Seek(2000);
    ASSERT_TRUE(WaitUntil([&] { return player.GetMode() == MCI_MODE_PLAY; }, 2000));
    EXPECT_GE(player.GetPosition(), 2000u);
    EXPECT_LT(player.GetPosition(), 4000u);

    player.Pause();
    player.Seek(1000);
    RunEvents(100);
    EXPECT_EQ(player.GetMode(), MCI_MODE_PAUSE);
    EXPECT_EQ(player.GetPosition(), 1000u);

    // Past the end goes to the end.
    player.Seek(60000);
    RunEvents(20);
    EXPECT_EQ(player.GetPosition(), player.GetLength());
}

TEST_F(PlayerMediaTest, SetTrackClampsToTheOneTrackOfAFile)
{
    OpenTitle(env.writeFile("long.mid", MidiFileBytes(3000)));
    player.Seek(1500);
    player.SetTrack(0);
    EXPECT_EQ(player.GetPosition(), 0u);
    player.Seek(1500);
    player.SetTrack(7);
    EXPECT_EQ(player.GetPosition(), 0u);
    EXPECT_EQ(player.GetCurrentTrack(), 1u);
    EXPECT_EQ(player.GetNumberOfTracks(), 1u);
}

TEST_F(PlayerMediaTest, ShippedResetFilesHoldTheirResetAndEndSoonAfter)
{
    const struct {
        const char *file;
        QByteArray sysex; // after F0
    } resets[] = {
        {"GM Reset.mid", QByteArray("\x7E\x7F\x09\x01\xF7", 5)},
        {"GS Reset.mid", QByteArray("\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 10)},
        {"XG Reset.mid", QByteArray("\x43\x10\x4C\x00\x00\x7E\x00\xF7", 8)},
    };
    for (const auto &reset : resets) {
        TMidiFile file;
        ASSERT_TRUE(file.load(TTestEnvironment::sourceData() + "Reset/" + reset.file))
            << reset.file;
        EXPECT_FALSE(file.wasRepaired());
        EXPECT_NEAR(double(file.lengthUs()), 200000.0, 1000.0);
        bool found = false;
        for (const TMidiEvent &event : file.events()) {
            if (!event.isSysEx()) continue;
            const auto bytes = file.payload(event);
            found = event.tick == 0 && QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                                  qsizetype(bytes.size())) == reset.sysex;
        }
        EXPECT_TRUE(found) << reset.file;
    }
}

} // namespace

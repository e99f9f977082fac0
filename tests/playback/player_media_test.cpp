// The player over the real media-control layer with generated files: the automatic device, the
// MIDI reset before MIDI titles, transport and seeking, and the order of the events.
#include "player_support.h"

#include "support/testenv.h"

#include "platform/mci/mcilayer.h"
#include "platform/midi/midifile.h"
#include "platform/midiout/midioutsystem.h"
#include "platform/midiout/midiportdevices.h"
#include "platform/midiout/recordingmidiout.h"
#include "platform/system/messageservice.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <stdexcept>

namespace {

const QString kNotify = QStringLiteral("Notify");
const QString kStopped = QStringLiteral("PlayStopped");

class PlayerMediaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestSoundFont();
        player.OnBeforeMIDIReset = [this](TSonoricPlayer *) { log << QStringLiteral("Before"); };
        player.OnAfterMIDIReset = [this](TSonoricPlayer *, bool ok) {
            log << (ok ? QStringLiteral("After") : QStringLiteral("AfterFailed"));
        };
        player.OnNotify = [this](TSonoricPlayer *) { log << kNotify; };
        player.OnPlayStopped = [this](TSonoricPlayer *) { log << kStopped; };
    }

    void TearDown() override
    {
        player.Close();
        TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
    }

    void OpenTitle(const QString &path) { OpenOnAnyDevice(player, path); }

    static QString ResetFile() { return TTestEnvironment::sourceData() + "Reset/GM Reset.mid"; }

    TTestEnvironment env;
    TScriptedMessageService messages;
    TSonoricPlayer player;
    QStringList log;
};

TEST_F(PlayerMediaTest, TheFileChoosesItsDevice)
{
    OpenTitle(env.writeFile("song.mid", MidiFileBytes(1000)));
    EXPECT_EQ(AnyDeviceInfo.Name, QStringLiteral("sequencer"));
    EXPECT_EQ(AnyDeviceInfo.DeviceType, std::int32_t(MCI_DEVTYPE_SEQUENCER));
    EXPECT_FALSE(AnyDeviceInfo.Description.isEmpty());
    EXPECT_EQ(player.GetMode(), MCI_MODE_STOP);
    EXPECT_NEAR(double(player.GetLength()), 1000.0, 50.0);

    OpenTitle(env.writeFile("tone.wav", WavFileBytes(500, 0.5)));
    EXPECT_EQ(AnyDeviceInfo.Name, QStringLiteral("waveaudio"));
    EXPECT_NEAR(double(player.GetLength()), 500.0, 5.0);

    EXPECT_THROW(OpenTitle(env.writeFile("notes.txt", "hello")), ESonoricPlayerException);
    EXPECT_FALSE(player.Opened());
}

TEST_F(PlayerMediaTest, TheResetFilePlaysBeforeMidiTitlesOnly)
{
    player.SetFileMIDIReset(ResetFile());
    for (const QString &title :
         {env.writeFile("a.mid", MidiFileBytes(300)), env.writeFile("b.RMI", RmidFileBytes(300)),
          env.writeFile("c.kar", MidiFileBytes(300))}) {
        log.clear();
        OpenTitle(title);
        EXPECT_EQ(log, QStringList({QStringLiteral("Before"), QStringLiteral("After")}))
            << qPrintable(title);
        EXPECT_TRUE(player.Opened());
    }

    // The automatic record still describes the sequencer when the next title opens: a wave
    // title must not reset because of it.
    log.clear();
    player.SetDevice(&AnyDeviceInfo);
    player.SetFilename(env.writeFile("tone.wav", WavFileBytes(300, 0.5)));
    player.Open();
    EXPECT_TRUE(log.isEmpty());

    player.SetFileMIDIReset(QString());
    OpenTitle(env.writeFile("d.mid", MidiFileBytes(300)));
    EXPECT_TRUE(log.isEmpty());

    // A sequencer named by its record resets whatever the file is called.
    player.SetFileMIDIReset(ResetFile());
    player.AnalyzeMCIDevices();
    player.SetDevice(player.FindDeviceByName(QStringLiteral("sequencer")));
    player.SetFilename(env.writeFile("tune.bin", MidiFileBytes(300)));
    player.Open();
    EXPECT_EQ(log, QStringList({QStringLiteral("Before"), QStringLiteral("After")}));
    EXPECT_TRUE(messages.boxes().empty());
}

TEST_F(PlayerMediaTest, TheResetFileGoesToThePortTheTitlePlaysOn)
{
    const QString portName = QStringLiteral("Test Keyboard: Port 0");
    TMidiOutSystem outputs;
    auto port = std::make_shared<TRecordingMidiOut>(portName.toStdString());
    outputs.addDevice(port);
    ASSERT_EQ(RegisterMidiPortDevices(TMciLayer::instance(), outputs), 1);

    player.SetFileMIDIReset(ResetFile());
    player.AnalyzeMCIDevices();
    player.SetDevice(player.FindDeviceByName(MidiPortDeviceName(portName)));
    player.SetFilename(env.writeFile("song.mid", MidiFileBytes(300)));
    player.Open();
    player.Play();
    auto firstNote = [&] {
        const auto entries = port->entries();
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].kind == TRecordingMidiOut::TEntry::Short &&
                (entries[i].message.status & 0xF0) == 0x90 && entries[i].message.data2 != 0)
                return i;
        return entries.size();
    };
    ASSERT_TRUE(WaitUntil([&] { return firstNote() < port->entries().size(); }));
    const auto entries = port->entries();
    const auto reset = std::find_if(entries.begin(), entries.end(), [](const auto &entry) {
        return entry.kind == TRecordingMidiOut::TEntry::Long && !entry.data.empty() &&
               entry.data.front() == 0xF0;
    });
    ASSERT_NE(reset, entries.end()) << "the reset's SysEx reached the port";
    EXPECT_LT(std::size_t(reset - entries.begin()), firstNote());
    EXPECT_EQ(log, QStringList({QStringLiteral("Before"), QStringLiteral("After")}));

    // The port list goes after the layer that plays on it.
    player.Close();
    TMciLayer::shutdown();
    outputs.removeDevice(port);
}

TEST_F(PlayerMediaTest, AResetFileThatDoesNotOpenIsReportedAndTheTitleStillOpens)
{
    player.SetFileMIDIReset(env.scratch() + "missing.mid");
    player.OnBeforeMIDIReset = [this](TSonoricPlayer *) {
        log << QStringLiteral("Before");
        throw std::runtime_error("the handler's own trouble");
    };
    OpenTitle(env.writeFile("a.mid", MidiFileBytes(300)));
    EXPECT_EQ(log, QStringList({QStringLiteral("Before"), QStringLiteral("AfterFailed")}));
    EXPECT_TRUE(player.Opened());

    // Without a handler the failure is the open's own.
    player.OnAfterMIDIReset = nullptr;
    EXPECT_THROW(OpenTitle(env.writeFile("b.mid", MidiFileBytes(300))), ESonoricPlayerException);
    EXPECT_FALSE(player.Resetting());
}

TEST_F(PlayerMediaTest, OnlyAPlayThatEndsRaisesPlayStoppedBeforeNotify)
{
    OpenTitle(env.writeFile("long.mid", MidiFileBytes(5000)));
    player.Play();
    player.PlayPause();
    EXPECT_EQ(player.GetMode(), MCI_MODE_PAUSE);
    player.PlayPause();
    EXPECT_EQ(player.GetMode(), MCI_MODE_PLAY);
    player.Stop();
    RunEvents(100);
    EXPECT_FALSE(log.contains(kStopped));
    EXPECT_TRUE(log.contains(kNotify));

    OpenTitle(env.writeFile("short.mid", MidiFileBytes(300)));
    log.clear();
    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return log.contains(kNotify); }));
    EXPECT_EQ(log, QStringList({kStopped, kNotify}));
    EXPECT_EQ(player.GetMode(), MCI_MODE_STOP);
    EXPECT_EQ(player.GetPosition(), player.GetLength());
}

TEST_F(PlayerMediaTest, SeekWhilePlayingResumesAndWhilePausedStaysPaused)
{
    OpenTitle(env.writeFile("long.mid", MidiFileBytes(5000)));
    player.Play();
    player.Pause();
    player.Seek(1000);
    RunEvents(100);
    EXPECT_EQ(player.GetMode(), MCI_MODE_PAUSE);
    EXPECT_EQ(player.GetPosition(), 1000u);

    player.Resume();
    player.Seek(4700);
    ASSERT_TRUE(WaitUntil([&] { return player.GetMode() == MCI_MODE_PLAY; }, 2000));
    EXPECT_GE(player.GetPosition(), 4700u);
    // The resumed play still reports its end.
    log.clear();
    ASSERT_TRUE(WaitUntil([&] { return log.contains(kNotify); }));
    EXPECT_EQ(log, QStringList({kStopped, kNotify}));
}

TEST_F(PlayerMediaTest, ShippedResetFilesHoldTheirResetAndEndSoonAfter)
{
    const std::pair<const char *, QByteArray> resets[] = {
        {"GM Reset.mid", QByteArray("\x7E\x7F\x09\x01\xF7", 5)},
        {"GS Reset.mid", QByteArray("\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 10)},
        {"XG Reset.mid", QByteArray("\x43\x10\x4C\x00\x00\x7E\x00\xF7", 8)},
    };
    for (const auto &[name, sysex] : resets) {
        TMidiFile file;
        ASSERT_TRUE(file.load(TTestEnvironment::sourceData() + "Reset/" + name)) << name;
        EXPECT_FALSE(file.wasRepaired());
        EXPECT_NEAR(double(file.lengthUs()), 200000.0, 1000.0);
        int found = 0;
        for (const TMidiEvent &event : file.events()) {
            const auto bytes = file.payload(event);
            found += event.isSysEx() && event.tick == 0 &&
                     QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                qsizetype(bytes.size())) == sysex;
        }
        EXPECT_EQ(found, 1) << name;
    }
}

} // namespace

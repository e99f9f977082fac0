#include "../mci/mcitestsupport.h"

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"
#include "platform/midi/smfbuilder.h"
#include "platform/midiout/builtinmidiout.h"
#include "platform/midiout/midioutsystem.h"
#include "platform/midiout/midiportdevices.h"
#include "platform/midiout/recordingmidiout.h"
#include "platform/midiout/synthmidiout.h"

#include <filesystem>
#include <memory>

namespace {

bool haveSequencer()
{
    std::error_code ec;
    return std::filesystem::exists("/dev/snd/seq", ec);
}

// Two notes, 250 ms apart at 120 beats per minute.
QByteArray twoNotes()
{
    TSmfBuilder smf(0, 480);
    smf.track().tempo(0, 500000).event(0, {0xC0, 19});
    smf.noteOn(0, 0, 60, 100).noteOff(240, 0, 60).noteOn(0, 0, 64, 100).noteOff(240, 0, 64);
    smf.endOfTrack(0);
    return smf.build();
}

bool noteArrived(const TRecordingMidiOut &device, std::uint32_t word)
{
    const auto words = device.shortWords();
    return std::find(words.begin(), words.end(), word) != words.end();
}

// A process-free MIDI output list holding recording "ports"; the layer goes before the list.
class MidiPortDevices : public TMciTest {
protected:
    void TearDown() override
    {
        TMciTest::TearDown();
        for (const auto &device : installed_)
            EXPECT_TRUE(outputs_.removeDevice(device));
    }
    std::shared_ptr<TRecordingMidiOut> install(const std::string &name)
    {
        auto device = std::make_shared<TRecordingMidiOut>(name);
        outputs_.addDevice(device);
        installed_.push_back(device);
        return device;
    }

    TMidiOutSystem outputs_;
    std::vector<std::shared_ptr<TRecordingMidiOut>> installed_;
};

TEST(MidiPortDeviceName, IsTheSlugOfThePortNameWithoutTheNumbersThatChangeFromRunToRun)
{
    EXPECT_EQ(MidiPortDeviceName(QStringLiteral("TiMidity: TiMidity port 0")),
              QStringLiteral("sequencer-timidity-timidity-port-0"));
    // FluidSynth puts its process id in both names.
    EXPECT_EQ(MidiPortDeviceName(QStringLiteral("FLUID Synth (4711): Synth input port (4711:0)")),
              QStringLiteral("sequencer-fluid-synth-synth-input-port"));
    EXPECT_EQ(MidiPortDeviceName(QStringLiteral("FLUID Synth (815): Synth input port (815:0)")),
              MidiPortDeviceName(QStringLiteral("FLUID Synth (4711): Synth input port (4711:0)")));
    // Words in parentheses are part of the name; an unclosed one is just punctuation.
    EXPECT_EQ(MidiPortDeviceName(QStringLiteral("SB Live! (Rev. 2): EMU10K1 MPU-401 (UART)")),
              QStringLiteral("sequencer-sb-live-rev-2-emu10k1-mpu-401-uart"));
    EXPECT_EQ(MidiPortDeviceName(QStringLiteral("Odd (12: port")),
              QStringLiteral("sequencer-odd-12-port"));
    EXPECT_EQ(MidiPortDeviceName(QStringLiteral("  --  ")), QStringLiteral("sequencer-"));
}

TEST_F(MidiPortDevices, EachPortIsAListedSequencerDeviceThatPlaysItsMediaOnThePort)
{
    auto keyboard = install("FLUID Synth (4711): Synth input port (4711:0)");
    auto twin = install("FLUID Synth (4712): Synth input port (4712:0)");
    outputs_.addDevice(std::make_shared<TSynthMidiOut>(44100)); // a synthesizer is no port

    TMciLayer &layer = TMciLayer::instance();
    EXPECT_EQ(RegisterMidiPortDevices(layer, outputs_), 2);
    // Looking at the ports again adds nothing twice.
    EXPECT_EQ(RegisterMidiPortDevices(layer, outputs_), 0);
    const QStringList names = deviceNames();
    // sequencer, waveaudio, cdaudio and the two ports.
    EXPECT_EQ(names.count(QStringLiteral("sequencer-fluid-synth-synth-input-port")), 1);
    EXPECT_EQ(names.count(QStringLiteral("sequencer-fluid-synth-synth-input-port-2")), 1);
    EXPECT_EQ(names.size(), 5) << names.join(u',').toStdString();

    const QString song = writeMedia(QStringLiteral("song.mid"), twoNotes());
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(song, id, "sequencer-fluid-synth-synth-input-port-2"), 0u);
    EXPECT_EQ(productOf(id), QStringLiteral("FLUID Synth (4712): Synth input port (4712:0)"));
    EXPECT_EQ(devCaps(id, MCI_GETDEVCAPS_DEVICE_TYPE), MCI_DEVTYPE_SEQUENCER);
    EXPECT_TRUE(twin->isOpen());
    EXPECT_FALSE(keyboard->isOpen());

    MCI_PLAY_PARMS play{};
    ASSERT_EQ(mciSendCommand(id, MCI_PLAY, MCI_WAIT, reinterpret_cast<std::uintptr_t>(&play)), 0u);
    // The player is a little ahead of the port: wait for the last note to come out.
    EXPECT_TRUE(WaitUntil([&] { return noteArrived(*twin, 0x80 | 64 << 8); }));
    EXPECT_EQ(closeDevice(id), 0u);

    // The notes and the program as the file has them (the player silences the channels around
    // them with controllers).
    std::vector<std::uint32_t> words;
    for (const std::uint32_t word : twin->shortWords())
        if ((word & 0xF0) != 0xB0) words.push_back(word);
    ASSERT_GE(words.size(), 5u);
    EXPECT_EQ(
        std::vector<std::uint32_t>(words.begin(), words.begin() + 5),
        (std::vector<std::uint32_t>{0xC0 | 19 << 8, 0x90 | 60 << 8 | 100 << 16, 0x80 | 60 << 8,
                                    0x90 | 64 << 8 | 100 << 16, 0x80 | 64 << 8}));
    // Closed: the port was silenced and handed back.
    EXPECT_TRUE(noteArrived(*twin, 0xB0 | 121 << 8));
    EXPECT_FALSE(twin->isOpen());
    EXPECT_TRUE(keyboard->shortWords().empty());
}

TEST_F(MidiPortDevices, APortThatHasGoneIsReportedAndAReturningOneIsFoundByItsName)
{
    auto port = install("Keys (1234): In (1234:0)");
    ASSERT_EQ(RegisterMidiPortDevices(TMciLayer::instance(), outputs_), 1);
    const QString song = writeMedia(QStringLiteral("song.mid"), twoNotes());

    ASSERT_TRUE(outputs_.removeDevice(port));
    installed_.clear();
    MCIDEVICEID id = 0;
    EXPECT_EQ(openFile(song, id, "sequencer-keys-in"), MCIERR_SEQ_PORT_NONEXISTENT);
    EXPECT_EQ(id, 0u);

    // The program started again: new process numbers, the same device.
    auto back = install("Keys (5678): In (5678:0)");
    ASSERT_EQ(openFile(song, id, "sequencer-keys-in"), 0u);
    EXPECT_TRUE(back->isOpen());
    EXPECT_EQ(closeDevice(id), 0u);
}

TEST_F(MidiPortDevices, TheBuiltInSynthesizerIsDeviceZeroOnTheLayersOutputUntilTheOutputGoes)
{
    TMciLayer &layer = TMciLayer::instance();
    ASSERT_NE(layer.audioOutput(), nullptr);
    ASSERT_TRUE(AttachBuiltInMidiOut(layer, outputs_));
    auto synth = std::dynamic_pointer_cast<TSynthMidiOut>(outputs_.builtInDevice());
    ASSERT_NE(synth, nullptr);

    // Device 0 cannot be replaced while a handle has it open.
    HMIDIOUT handle = nullptr;
    ASSERT_EQ(outputs_.open(0, nullptr, 0, &handle), MMSYSERR_NOERROR);
    EXPECT_FALSE(AttachBuiltInMidiOut(layer, outputs_));
    EXPECT_EQ(outputs_.builtInDevice(), synth);
    // Notes sent to it are heard in the layer's mix.
    const TShortMessage note{0x90 | 60 << 8 | 127 << 16, 0x90, 60, 127};
    EXPECT_EQ(synth->sendShort(note), MMSYSERR_NOERROR);
    EXPECT_TRUE(WaitUntil([&] { return layer.audioOutput()->peaks().left > 0; }));
    EXPECT_EQ(outputs_.close(handle), MMSYSERR_NOERROR);

    // A new output: the device comes off the old one before it goes, and a later detach is
    // harmless.
    useOutput(QStringLiteral("null"));
    DetachBuiltInMidiOut();
    TMciLayer::shutdown();
    DetachBuiltInMidiOut();
}

TEST(MidiPortDevicesOnAlsa, EveryPortOfTheSequencerIsADevice)
{
    if (!haveSequencer()) GTEST_SKIP() << "no ALSA sequencer on this machine (/dev/snd/seq absent)";
    TTestEnvironment env;
    TMidiOutSystem outputs;
    const int ports = int(outputs.refresh()) - 1;
    TMciLayer &layer = TMciLayer::instance();
    EXPECT_EQ(RegisterMidiPortDevices(layer, outputs), ports);
    for (unsigned id = 1; id <= unsigned(ports); ++id)
        EXPECT_TRUE(layer.hasDriver(
            MidiPortDeviceName(QString::fromStdString(outputs.device(id)->name()))));
    TMciLayer::shutdown();
}

} // namespace

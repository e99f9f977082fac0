#include "mcitestsupport.h"

#include "platform/mci/mciextensions.h"
#include "platform/mci/mcilayer.h"
#include "platform/mci/sequencerdriver.h"
#include "platform/midi/recordingsink.h"
#include "platform/midi/smfbuilder.h"

#include <QFile>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <thread>

extern "C" unsigned long mciHeaderCheckC(void);

namespace {

QByteArray shortSong()
{
    TSmfBuilder smf(0, 480);
    smf.track().noteOn(0, 0, 60).noteOff(240, 0, 60).endOfTrack(0);
    return smf.build();
}

MCIERROR openType(const char *type, MCIDEVICEID &id)
{
    MCI_OPEN_PARMS open{};
    open.lpstrDeviceType = type;
    const MCIERROR error = mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT,
                                          reinterpret_cast<std::uintptr_t>(&open));
    id = open.wDeviceID;
    return error;
}

} // namespace

using MciLayerTest = TMciTest;

TEST_F(MciLayerTest, PublicBlocksKeepWindowsFieldOrderWithPointerSizedAddresses)
{
    EXPECT_NE(mciHeaderCheckC(), 0u); // the header compiles as C
    static_assert(offsetof(MCI_OPEN_PARMS, wDeviceID) == sizeof(std::uintptr_t));
    static_assert(offsetof(MCI_OPEN_PARMS, lpstrDeviceType) == 2 * sizeof(void *));
    static_assert(offsetof(MCI_STATUS_PARMS, dwReturn) == sizeof(std::uintptr_t));
    static_assert(offsetof(MCI_STATUS_PARMS, dwItem) == 2 * sizeof(std::uintptr_t));
    static_assert(offsetof(MCI_PLAY_PARMS, dwTo) == sizeof(std::uintptr_t) + 4);
    static_assert(offsetof(MCI_SYSINFO_PARMS, wDeviceType) == 2 * sizeof(void *) + 8);
}

TEST_F(MciLayerTest, ErrorTextsCoverTheCodesAndFitTheBuffer)
{
    for (MCIERROR code :
         {MCIERR_INVALID_DEVICE_ID, MCIERR_UNRECOGNIZED_COMMAND, MCIERR_INVALID_DEVICE_NAME,
          MCIERR_UNSUPPORTED_FUNCTION, MCIERR_FILE_NOT_FOUND, MCIERR_INVALID_FILE,
          MCIERR_OUTOFRANGE, MCIERR_DEVICE_TYPE_REQUIRED, MCIERR_EXTENSION_NOT_FOUND,
          MCIERR_SEQ_NOMIDIPRESENT, MCIERR_WRONG_THREAD}) {
        char buffer[300];
        EXPECT_EQ(mciGetErrorString(code, buffer, sizeof buffer), 1) << code;
        EXPECT_GT(std::strlen(buffer), 10u) << code;
    }
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(mciGetErrorString(9999, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(mciGetErrorString(MCIERR_FILE_NOT_FOUND, buffer, sizeof buffer), 1);
    EXPECT_EQ(std::strlen(buffer), 7u); // cut, and still terminated
}

TEST_F(MciLayerTest, OpenFailuresNameTheirCause)
{
    MCIDEVICEID id = 0;
    EXPECT_EQ(openFile(env.scratch() + "missing.mid", id), MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(openFile(writeMedia("text.mid", "This is not a MIDI file at all."), id),
              MCIERR_INVALID_FILE);
    EXPECT_EQ(openFile(writeMedia("noise.wav", QByteArray(4000, 'x')), id), MCIERR_INVALID_FILE);
    EXPECT_EQ(openFile(writeMedia("song.xyz", shortSong()), id), MCIERR_EXTENSION_NOT_FOUND);
    EXPECT_EQ(openFile(writeMedia("song2.mid", shortSong()), id, "nosuchdevice"),
              MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(openType("", id), MCIERR_MISSING_DEVICE_NAME);
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_WAIT, 0), MCIERR_NULL_PARAMETER_BLOCK);
    // No failed open leaves a device behind.
    char count[4] = {};
    MCI_SYSINFO_PARMS info{0, count, 4, 0, 0};
    ASSERT_EQ(mciSendCommand(MCI_ALL_DEVICE_ID, MCI_SYSINFO,
                             MCI_SYSINFO_QUANTITY | MCI_SYSINFO_OPEN,
                             reinterpret_cast<std::uintptr_t>(&info)),
              0u);
    EXPECT_EQ(count[0], 0);
    EXPECT_NE(errorText(MCIERR_FILE_NOT_FOUND), errorText(MCIERR_INVALID_FILE));
}

TEST_F(MciLayerTest, CommandsOnClosedDevicesAndUnknownCommandsAreRefused)
{
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("song.mid", shortSong()), id), 0u);
    ASSERT_EQ(closeDevice(id), 0u);
    std::uintptr_t value = 0;
    EXPECT_EQ(statusItem(id, MCI_STATUS_MODE, value), MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(mciSendCommand(id, MCI_PLAY, 0, 0), MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(closeDevice(id), MCIERR_INVALID_DEVICE_ID);
    EXPECT_EQ(mciSendCommand(1, 0x0999, 0, 0), MCIERR_UNRECOGNIZED_COMMAND);

    // A new device never takes the ID of one just closed.
    MCIDEVICEID again = 0;
    ASSERT_EQ(openFile(env.scratch() + "song.mid", again), 0u);
    EXPECT_NE(again, id);
    EXPECT_EQ(mciSendCommand(again, MCI_CONFIGURE, MCI_WAIT, 0), MCIERR_UNSUPPORTED_FUNCTION);
}

TEST_F(MciLayerTest, SysInfoListsDevicesAndNamesTheOneAFileOpened)
{
    EXPECT_EQ(deviceNames(), QStringList({"sequencer", "waveaudio", "cdaudio"}));
    MCIERROR error = 0;
    sysInfoName(MCI_ALL_DEVICE_ID, MCI_SYSINFO_NAME, 4, &error);
    EXPECT_EQ(error, MCIERR_OUTOFRANGE);
    char count[4] = {};
    MCI_SYSINFO_PARMS info{0, count, 4, 0, MCI_DEVTYPE_WAVEFORM_AUDIO};
    ASSERT_EQ(mciSendCommand(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY,
                             reinterpret_cast<std::uintptr_t>(&info)),
              0u);
    EXPECT_EQ(count[0], 1);

    // The install name of a kind of device, asked by its type code.
    MCI_SYSINFO_PARMS byType{0, nullptr, 0, 0, MCI_DEVTYPE_SEQUENCER};
    char name[32] = "";
    byType.lpstrReturn = name;
    byType.dwRetSize = sizeof name;
    ASSERT_EQ(mciSendCommand(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_INSTALLNAME,
                             reinterpret_cast<std::uintptr_t>(&byType)),
              0u);
    EXPECT_STREQ(name, "sequencer");

    // The automatic device of a ".mid" file is the sequencer, and says so.
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("song.MID", shortSong()), id), 0u);
    EXPECT_EQ(sysInfoName(id, MCI_SYSINFO_INSTALLNAME, 0), "sequencer");
    EXPECT_EQ(devCaps(id, MCI_GETDEVCAPS_DEVICE_TYPE), MCI_DEVTYPE_SEQUENCER);
}

TEST_F(MciLayerTest, DevicesOpenedByTypeAnswerTheAnalysisQuestions)
{
    for (const char *type : {"sequencer", "WaveAudio"}) {
        MCIDEVICEID id = 0;
        ASSERT_EQ(openType(type, id), 0u) << type;
        MCIERROR error = 0;
        const std::uint32_t deviceType = devCaps(id, MCI_GETDEVCAPS_DEVICE_TYPE, &error);
        EXPECT_EQ(error, 0u);
        EXPECT_EQ(deviceType, std::strcmp(type, "sequencer") == 0 ? MCI_DEVTYPE_SEQUENCER
                                                                  : MCI_DEVTYPE_WAVEFORM_AUDIO);
        EXPECT_EQ(devCaps(id, MCI_GETDEVCAPS_USES_FILES), 1u);
        EXPECT_EQ(devCaps(id, MCI_GETDEVCAPS_CAN_EJECT), 0u);
        EXPECT_FALSE(productOf(id).isEmpty());
        char tiny[4];
        MCI_INFO_PARMS small{0, tiny, sizeof tiny};
        EXPECT_EQ(mciSendCommand(id, MCI_INFO, MCI_INFO_PRODUCT,
                                 reinterpret_cast<std::uintptr_t>(&small)),
                  MCIERR_PARAM_OVERFLOW);
        EXPECT_EQ(std::strlen(tiny), 3u);
        // Without a file the device is not ready and has no position.
        EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_NOT_READY);
        EXPECT_EQ(statusOf(id, MCI_STATUS_READY), 0u);
        std::uintptr_t value = 0;
        EXPECT_EQ(statusItem(id, MCI_STATUS_POSITION, value), MCIERR_NONAPPLICABLE_FUNCTION);
        EXPECT_EQ(mciSendCommand(id, MCI_PLAY, 0, 0), MCIERR_NONAPPLICABLE_FUNCTION);
        EXPECT_EQ(closeDevice(id), 0u);
    }
    // By type code, as plug-ins may.
    MCI_OPEN_PARMS open{};
    open.lpstrDeviceType = reinterpret_cast<const char *>(std::uintptr_t(MCI_DEVTYPE_SEQUENCER));
    ASSERT_EQ(mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID,
                             reinterpret_cast<std::uintptr_t>(&open)),
              0u);
    EXPECT_EQ(sysInfoName(open.wDeviceID, MCI_SYSINFO_INSTALLNAME, 0), "sequencer");
}

TEST_F(MciLayerTest, SetAcceptsMillisecondsOnlyAndFilesHaveNoDoor)
{
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("song.mid", shortSong()), id), 0u);
    MCI_SET_PARMS set{0, MCI_FORMAT_MILLISECONDS, 0};
    const auto block = reinterpret_cast<std::uintptr_t>(&set);
    EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, block), 0u);
    set.dwTimeFormat = MCI_FORMAT_SMPTE_25;
    EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, block),
              MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_SET_DOOR_OPEN | MCI_WAIT, block),
              MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_SET_DOOR_CLOSED | MCI_WAIT, block),
              MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(statusOf(id, MCI_STATUS_TIME_FORMAT), MCI_FORMAT_MILLISECONDS);
}

TEST_F(MciLayerTest, AliasesAreUniqueAndFoundWithoutLetterCase)
{
    const QString path = writeMedia("song.mid", shortSong());
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(path, id, "sequencer", "Tonaria_Sonoric_Player_alias"), 0u);
    MCIDEVICEID other = 0;
    EXPECT_EQ(openFile(path, other, "sequencer", "TONARIA_SONORIC_PLAYER_ALIAS"),
              MCIERR_DUPLICATE_ALIAS);
    EXPECT_EQ(mciGetDeviceID("tonaria_sonoric_player_alias"), id);
    EXPECT_EQ(mciGetDeviceID("nothing"), 0u);
    ASSERT_EQ(closeDevice(id), 0u);
    EXPECT_EQ(openFile(path, other, "sequencer", "Tonaria_Sonoric_Player_alias"), 0u);
}

TEST_F(MciLayerTest, TheExtensionTableComesFromTheProgramFolderOncePerLayer)
{
    const QString song = writeMedia("song.tune", shortSong());
    MCIDEVICEID id = 0;
    EXPECT_EQ(openFile(song, id), MCIERR_EXTENSION_NOT_FOUND); // not among the defaults

    QFile ini(env.home() + "mci.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[other]\r\nmid=waveaudio\r\n[MCI Extensions]\r\nTUNE=sequencer\r\nmp9=nodevice\r\n");
    ini.close();
    // The table was read at the first open; the layer keeps it until it starts anew.
    EXPECT_EQ(openFile(song, id), MCIERR_EXTENSION_NOT_FOUND);
    TMciLayer::shutdown();
    EXPECT_EQ(openFile(song, id), 0u);
    EXPECT_EQ(openFile(writeMedia("a.mid", shortSong()), id), MCIERR_EXTENSION_NOT_FOUND);
    EXPECT_EQ(openFile(writeMedia("a.mp9", shortSong()), id), MCIERR_DEVICE_NOT_INSTALLED);

    const TMciExtensionTable defaults;
    EXPECT_EQ(defaults.deviceFor("/music/x.y/Song.KAR"), "sequencer");
    EXPECT_EQ(defaults.deviceFor("C:\\music\\take.Opus"), "waveaudio");
    EXPECT_EQ(defaults.deviceFor("/music/x.mid/readme"), "");
}

TEST_F(MciLayerTest, TypedCommandsAnswerAsTheirBlocksDo)
{
    TMciLayer &layer = TMciLayer::instance();
    TNoticeRecorder recorder;
    TMciOpenRequest open;
    open.flags = MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS | MCI_NOTIFY;
    open.alias = QStringLiteral("typed");
    MCIDEVICEID id = 0;
    EXPECT_EQ(layer.open(open, id), MCIERR_FILENAME_REQUIRED);
    open.element = writeMedia(QStringLiteral("Rock > Pop \u00e9t\u00e9.mid"), shortSong());
    ASSERT_EQ(layer.open(open, id), 0u);
    EXPECT_EQ(mciGetDeviceID("TYPED"), id);

    QString text;
    ASSERT_EQ(layer.info(id, MCI_INFO_FILE, text), 0u);
    EXPECT_EQ(text, open.element);
    ASSERT_EQ(layer.info(id, MCI_INFO_PRODUCT, text), 0u);
    EXPECT_EQ(text, productOf(id));
    std::uintptr_t length = 0;
    ASSERT_EQ(layer.status(id, MCI_STATUS_ITEM, MCI_STATUS_LENGTH, 0, length), 0u);
    EXPECT_EQ(length, statusOf(id, MCI_STATUS_LENGTH));
    std::uint32_t type = 0;
    ASSERT_EQ(layer.getDevCaps(id, MCI_GETDEVCAPS_ITEM, MCI_GETDEVCAPS_DEVICE_TYPE, type), 0u);
    EXPECT_EQ(type, MCI_DEVTYPE_SEQUENCER);
    EXPECT_EQ(layer.set(id, MCI_SET_TIME_FORMAT, MCI_FORMAT_FRAMES), MCIERR_BAD_TIME_FORMAT);

    TMciSysInfo query;
    ASSERT_EQ(layer.sysInfo(id, MCI_SYSINFO_INSTALLNAME, query), 0u);
    EXPECT_EQ(query.name, "sequencer");
    ASSERT_EQ(layer.sysInfo(MCI_ALL_DEVICE_ID, MCI_SYSINFO_QUANTITY, query), 0u);
    EXPECT_EQ(query.count, 3u);
    query.number = 2;
    ASSERT_EQ(layer.sysInfo(MCI_ALL_DEVICE_ID, MCI_SYSINFO_NAME, query), 0u);
    EXPECT_EQ(query.name, "waveaudio");
    query.number = 4;
    EXPECT_EQ(layer.sysInfo(MCI_ALL_DEVICE_ID, MCI_SYSINFO_NAME, query), MCIERR_OUTOFRANGE);

    // Notices reach the receiver named in the call: the open's, the play's, the close's.
    ASSERT_EQ(layer.play(id, MCI_NOTIFY | MCI_WAIT, &recorder), 0u);
    EXPECT_EQ(layer.seek(id, MCI_TO, std::uint32_t(length) + 1, nullptr), MCIERR_OUTOFRANGE);
    ASSERT_EQ(layer.generic(id, MCI_CLOSE, MCI_NOTIFY, &recorder), 0u);
    EXPECT_EQ(layer.generic(id, MCI_STOP, 0, nullptr), MCIERR_INVALID_DEVICE_ID);
    ASSERT_TRUE(WaitUntil([&] { return recorder.notices.size() == 2; }));
    EXPECT_EQ(recorder.codes(),
              std::vector<unsigned>({MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_SUCCESSFUL}));
    EXPECT_EQ(recorder.notices.front().device, id);
}

TEST_F(MciLayerTest, OtherThreadsAreRefused)
{
    MCIERROR fromThread = 0;
    std::thread([&fromThread] {
        MCI_OPEN_PARMS open{};
        open.lpstrDeviceType = "sequencer";
        fromThread =
            mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE, reinterpret_cast<std::uintptr_t>(&open));
    }).join();
    EXPECT_EQ(fromThread, MCIERR_WRONG_THREAD);
}

TEST_F(MciLayerTest, RegisteredSequencerDevicesPlayOnTheirOwnSinkToTheFrame)
{
    std::shared_ptr<std::vector<TRecordingSink::Item>> records;
    int rate = 0;
    TMciLayer::instance().registerDriver(std::make_unique<TSequencerDriver>(
        "sequencer1", "MIDI port 1",
        [&records, &rate](int sampleRate, MCIERROR &) -> std::unique_ptr<TMidiSink> {
            rate = sampleRate;
            auto sink = std::make_unique<TRecordingSink>();
            records = sink->Log();
            return sink;
        }));
    useOutput("render:" + env.scratch() + "out.wav");
    EXPECT_EQ(sysInfoName(MCI_ALL_DEVICE_ID, MCI_SYSINFO_NAME, 4), "sequencer1");

    TSmfBuilder smf(0, 480); // 120 bpm: a note at 250 ms and one at 375 ms
    smf.track().noteOn(240, 0, 60).noteOn(120, 0, 64).noteOff(120, 0, 60).endOfTrack(0);
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("port.mid", smf.build()), id, "sequencer1"), 0u);
    EXPECT_EQ(devCaps(id, MCI_GETDEVCAPS_DEVICE_TYPE), MCI_DEVTYPE_SEQUENCER);
    ASSERT_EQ(mciSendCommand(id, MCI_PLAY, MCI_WAIT, 0), 0u);
    ASSERT_EQ(closeDevice(id), 0u);

    ASSERT_TRUE(records);
    std::vector<TRecordingSink::Item> notes;
    for (const auto &record : *records)
        if ((record.message & 0xF0) == 0x90) notes.push_back(record);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].frame, std::int64_t(rate) / 4);
    EXPECT_EQ(notes[0].message, 0x643C90u);
    EXPECT_EQ(notes[1].frame, std::llround(rate * 0.375)); // 16537.5 at 44.1 kHz rounds up
}

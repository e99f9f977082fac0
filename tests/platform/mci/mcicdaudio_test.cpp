// The "cdaudio" device over disc images: the table of contents in both time formats, the sound
// of a track in the output, seeking, pausing, data tracks, the disc's identity, and a machine
// without a disc.
#include "mcitestsupport.h"

#include "support/cdimage.h"

#include "platform/mci/mcilayer.h"

#include <QTemporaryDir>

#include <cmath>

namespace {

constexpr int kFrames = 588;

// MCI_MAKE_TMSF and MCI_MAKE_MSF.
std::uint32_t tmsf(std::uint32_t t, std::uint32_t m, std::uint32_t s, std::uint32_t f)
{
    return t | (m << 8) | (s << 16) | (f << 24);
}
std::uint32_t msfValue(std::uint32_t m, std::uint32_t s, std::uint32_t f)
{
    return m | (s << 8) | (f << 16);
}

// Two audio tracks and a data track: 200 + 150 + 75 sectors.
const std::vector<TCdImageTrack> kDisc = {{200, true, 11}, {150, true, 22}, {75, false, 0}};

class CdAudioTest : public TMciTest {
protected:
    MCIDEVICEID openCd(const QString &cue)
    {
        cdrom_.reset();
        cdrom_ = std::make_unique<TCdromVariable>(cue);
        MCI_OPEN_PARMS open{};
        open.lpstrDeviceType = "cdaudio";
        const MCIERROR error = mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT,
                                              reinterpret_cast<std::uintptr_t>(&open));
        EXPECT_EQ(error, 0u) << qPrintable(errorText(error));
        return open.wDeviceID;
    }

    MCIERROR setFormat(MCIDEVICEID id, std::uint32_t format)
    {
        MCI_SET_PARMS set{};
        set.dwTimeFormat = format;
        return mciSendCommand(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT,
                              reinterpret_cast<std::uintptr_t>(&set));
    }

    MCIERROR play(MCIDEVICEID id, std::uintptr_t flags, std::uint32_t from = 0,
                  std::uint32_t to = 0)
    {
        MCI_PLAY_PARMS parms{};
        parms.dwCallback = notices.callback();
        parms.dwFrom = from;
        parms.dwTo = to;
        return mciSendCommand(id, MCI_PLAY, flags, reinterpret_cast<std::uintptr_t>(&parms));
    }

    MCIERROR seek(MCIDEVICEID id, std::uint32_t to)
    {
        MCI_SEEK_PARMS parms{};
        parms.dwTo = to;
        return mciSendCommand(id, MCI_SEEK, MCI_TO | MCI_WAIT,
                              reinterpret_cast<std::uintptr_t>(&parms));
    }

    QString identityOf(MCIDEVICEID id, MCIERROR *error = nullptr)
    {
        char buffer[64] = "";
        MCI_INFO_PARMS info{0, buffer, sizeof buffer};
        const MCIERROR e = mciSendCommand(id, MCI_INFO, MCI_INFO_MEDIA_IDENTITY | MCI_WAIT,
                                          reinterpret_cast<std::uintptr_t>(&info));
        if (error) *error = e;
        return QString::fromUtf8(buffer);
    }

    std::uintptr_t status(MCIDEVICEID id, std::uint32_t item, std::uint32_t flags = 0,
                          std::uint32_t track = 0)
    {
        std::uintptr_t value = 0;
        const MCIERROR error = statusItem(id, item, value, flags, track);
        return error == 0 ? value : 0xDEAD;
    }

    // The output as written so far, once the device has stopped.
    std::vector<float> outputAfterEnd(MCIDEVICEID id)
    {
        EXPECT_TRUE(WaitUntil([&] { return notices.notices.size() >= 1; }, 20000));
        EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
        closeDevice(id);
        TMciLayer::shutdown(); // the WAV file is complete once its output is gone
        return readStereoWav(wav_);
    }

    void useWav()
    {
        wav_ = env.scratch() + QStringLiteral("out.wav");
        useOutput(QStringLiteral("wav:") + wav_);
    }

    // Where the first `count` frames of `seed`'s track, from its frame `from`, start in `out`;
    // -1 when they are not there.
    static long find(const std::vector<float> &out, std::uint32_t seed, std::int64_t from)
    {
        const float want = float(CdImageSample(seed, from, 0)) / 32768.0f;
        for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
            if (out[i] == want && out[i + 1] == float(CdImageSample(seed, from, 1)) / 32768.0f)
                return long(i / 2);
        }
        return -1;
    }

    // Frames of `out` from `at` that equal the track's frames from `from`, in a row.
    static long matching(const std::vector<float> &out, long at, std::uint32_t seed,
                         std::int64_t from)
    {
        long n = 0;
        while (std::size_t(at + n) * 2 + 1 < out.size()) {
            const std::int64_t f = from + n;
            if (out[std::size_t(at + n) * 2] != float(CdImageSample(seed, f, 0)) / 32768.0f ||
                out[std::size_t(at + n) * 2 + 1] != float(CdImageSample(seed, f, 1)) / 32768.0f)
                break;
            ++n;
        }
        return n;
    }

    TNoticeRecorder notices;
    QString wav_;
    std::unique_ptr<TCdromVariable> cdrom_;
};

TEST_F(CdAudioTest, TheTableOfContentsReadsInMillisecondsAndTracks)
{
    const MCIDEVICEID id = openCd(WriteCdImage(env.scratch(), QStringLiteral("disc"), kDisc));
    EXPECT_EQ(status(id, MCI_STATUS_MEDIA_PRESENT), 1u);
    EXPECT_EQ(status(id, MCI_STATUS_READY), 1u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(status(id, MCI_STATUS_NUMBER_OF_TRACKS), 3u);
    EXPECT_EQ(devCaps(id, MCI_GETDEVCAPS_DEVICE_TYPE), MCI_DEVTYPE_CD_AUDIO);
    EXPECT_EQ(devCaps(id, MCI_GETDEVCAPS_USES_FILES), 0u);
    EXPECT_EQ(devCaps(id, MCI_GETDEVCAPS_CAN_EJECT), 0u); // an image has no tray

    // Sector s starts at s / 75 seconds, rounded up to the millisecond.
    struct Row {
        std::uint32_t track, startMs, lengthMs, startTmsf, lengthMsf;
    };
    const Row rows[] = {
        {1, 0, 2667, tmsf(1, 0, 0, 0), msfValue(0, 2, 50)},
        {2, 2667, 2000, tmsf(2, 0, 0, 0), msfValue(0, 2, 0)},
        {3, 4667, 1000, tmsf(3, 0, 0, 0), msfValue(0, 1, 0)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.track);
        ASSERT_EQ(setFormat(id, MCI_FORMAT_MILLISECONDS), 0u);
        EXPECT_EQ(status(id, MCI_STATUS_POSITION, MCI_TRACK, row.track), row.startMs);
        EXPECT_EQ(status(id, MCI_STATUS_LENGTH, MCI_TRACK, row.track), row.lengthMs);
        ASSERT_EQ(setFormat(id, MCI_FORMAT_TMSF), 0u);
        EXPECT_EQ(status(id, MCI_STATUS_POSITION, MCI_TRACK, row.track), row.startTmsf);
        EXPECT_EQ(status(id, MCI_STATUS_LENGTH, MCI_TRACK, row.track), row.lengthMsf);
    }
    EXPECT_EQ(status(id, MCI_STATUS_TIME_FORMAT), MCI_FORMAT_TMSF);
    EXPECT_EQ(status(id, MCI_STATUS_LENGTH), msfValue(0, 5, 50));
    EXPECT_EQ(status(id, MCI_STATUS_POSITION, MCI_STATUS_START), tmsf(1, 0, 0, 0));
    EXPECT_EQ(status(id, MCI_STATUS_POSITION, MCI_TRACK, 4), 0xDEADu);

    // A position set in one format reads back in the other.
    ASSERT_EQ(seek(id, tmsf(2, 0, 1, 30)), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_POSITION), tmsf(2, 0, 1, 30));
    EXPECT_EQ(status(id, MCI_STATUS_CURRENT_TRACK), 2u);
    ASSERT_EQ(setFormat(id, MCI_FORMAT_MILLISECONDS), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_POSITION), 2667u + 1400u);
    EXPECT_EQ(status(id, MCI_STATUS_LENGTH), 5667u);
    EXPECT_EQ(status(id, MCI_STATUS_POSITION, MCI_STATUS_START), 0u);

    EXPECT_EQ(setFormat(id, MCI_FORMAT_SAMPLES), MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(seek(id, 5668), MCIERR_OUTOFRANGE);
    EXPECT_EQ(closeDevice(id), 0u);
}

TEST_F(CdAudioTest, PlayingTrackTwoGivesTrackTwosSamples)
{
    useWav();
    const MCIDEVICEID id = openCd(WriteCdImage(env.scratch(), QStringLiteral("disc"), kDisc));
    ASSERT_EQ(setFormat(id, MCI_FORMAT_TMSF), 0u);
    // From track 2 to the end of the disc: the data track is not played.
    ASSERT_EQ(play(id, MCI_FROM | MCI_NOTIFY, tmsf(2, 0, 0, 0)), 0u);
    const std::vector<float> out = outputAfterEnd(id);
    ASSERT_EQ(notices.codes(), std::vector<unsigned>{MCI_NOTIFY_SUCCESSFUL});

    const long at = find(out, 22, 0);
    ASSERT_GE(at, 0) << "track 2's first frame is not in the output";
    // Nothing of track 1 before it, and the whole track (but for the last frames the output
    // interpolates towards) after it.
    EXPECT_EQ(firstSound(out, 0.0f), at);
    EXPECT_GE(matching(out, at, 22, 0), 150 * kFrames - 2);
    EXPECT_EQ(firstSound(out, 0.0f, at + 150 * kFrames), -1);
}

TEST_F(CdAudioTest, SeekPauseAndResumeKeepTheSoundInOneUnbrokenRun)
{
    useWav();
    const MCIDEVICEID id = openCd(WriteCdImage(env.scratch(), QStringLiteral("disc"), kDisc));
    ASSERT_EQ(setFormat(id, MCI_FORMAT_TMSF), 0u);
    // One second into track 1, to the end of that track.
    ASSERT_EQ(seek(id, tmsf(1, 0, 1, 0)), 0u);
    ASSERT_EQ(play(id, MCI_TO | MCI_NOTIFY, 0, tmsf(2, 0, 0, 0)), 0u);
    ASSERT_TRUE(
        WaitUntil([&] { return status(id, MCI_STATUS_POSITION) != tmsf(1, 0, 1, 0); }, 5000));
    ASSERT_EQ(mciSendCommand(id, MCI_PAUSE, MCI_WAIT, 0), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_PAUSE);
    const std::uintptr_t paused = settledPosition(id);
    RunEvents(200);
    EXPECT_EQ(status(id, MCI_STATUS_POSITION), paused);
    // The paused play's notice was aborted; the resumed one ends the track.
    MCI_GENERIC_PARMS resume{notices.callback()};
    ASSERT_EQ(mciSendCommand(id, MCI_RESUME, MCI_NOTIFY, reinterpret_cast<std::uintptr_t>(&resume)),
              0u);
    ASSERT_TRUE(WaitUntil([&] { return notices.notices.size() >= 2; }, 20000));
    EXPECT_EQ(notices.codes(), (std::vector<unsigned>{MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUCCESSFUL}));
    notices.notices.clear();
    notices.notices.push_back({MCI_NOTIFY_SUCCESSFUL, id});
    const std::vector<float> out = outputAfterEnd(id);

    // The sound is track 1 from its second 1 on, with a silence in between but nothing lost or
    // repeated.
    const long at = find(out, 11, 44100);
    ASSERT_GE(at, 0);
    EXPECT_EQ(firstSound(out, 0.0f), at);
    const long before = matching(out, at, 11, 44100);
    ASSERT_GT(before, 0);
    ASSERT_LT(before, 200 * kFrames - 44100);
    const long resumed = firstSound(out, 0.0f, at + before);
    ASSERT_GT(resumed, at + before);
    EXPECT_GE(before + matching(out, resumed, 11, 44100 + before), 200 * kFrames - 44100 - 2);
}

TEST_F(CdAudioTest, DataTracksAreRefused)
{
    const MCIDEVICEID id = openCd(WriteCdImage(env.scratch(), QStringLiteral("disc"), kDisc));
    ASSERT_EQ(setFormat(id, MCI_FORMAT_TMSF), 0u);
    EXPECT_EQ(play(id, MCI_FROM, tmsf(3, 0, 0, 0)), MCIERR_NONAPPLICABLE_FUNCTION);
    ASSERT_EQ(seek(id, tmsf(3, 0, 0, 10)), 0u);
    EXPECT_EQ(play(id, 0), MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(play(id, MCI_FROM, tmsf(4, 0, 0, 0)), MCIERR_OUTOFRANGE);
}

TEST_F(CdAudioTest, TheIdentityIsTheDiscsOwn)
{
    const QString first = WriteCdImage(env.scratch(), QStringLiteral("a"), kDisc);
    const QString copy = WriteCdImage(env.scratch(), QStringLiteral("b"), kDisc);
    const QString other =
        WriteCdImage(env.scratch(), QStringLiteral("c"), {{200, true, 11}, {151, true, 22}});
    QStringList identities;
    for (const QString &cue : {first, first, copy, other}) {
        const MCIDEVICEID id = openCd(cue);
        MCIERROR error = 0;
        identities << identityOf(id, &error);
        EXPECT_EQ(error, 0u);
        closeDevice(id);
    }
    EXPECT_EQ(identities[0].size(), 16);
    EXPECT_EQ(identities[0], identities[1]); // across opens
    EXPECT_EQ(identities[0], identities[2]); // the same disc in another image
    EXPECT_NE(identities[0], identities[3]);
}

TEST_F(CdAudioTest, WithoutADiscTheDeviceOpensAndIsNotReady)
{
    EXPECT_TRUE(deviceNames().contains(QStringLiteral("cdaudio")));
    const MCIDEVICEID id = openCd(env.scratch() + QStringLiteral("missing.cue"));
    EXPECT_EQ(status(id, MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_READY), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_NOT_READY);
    std::uintptr_t value = 0;
    EXPECT_EQ(statusItem(id, MCI_STATUS_LENGTH, value), MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(play(id, 0), MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(seek(id, 0), MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(mciSendCommand(id, MCI_STOP, MCI_WAIT, 0), MCIERR_DEVICE_NOT_READY);
    MCIERROR error = 0;
    identityOf(id, &error);
    EXPECT_EQ(error, MCIERR_DEVICE_NOT_READY);
    // Neither an image nor a missing drive has a tray to open.
    EXPECT_NE(mciSendCommand(id, MCI_SET, MCI_SET_DOOR_OPEN | MCI_WAIT, 0), 0u);
    EXPECT_EQ(closeDevice(id), 0u);

    // The device takes no file.
    MCIDEVICEID fileId = 0;
    EXPECT_EQ(openFile(env.scratch() + QStringLiteral("x.cue"), fileId, "cdaudio"),
              MCIERR_NO_ELEMENT_ALLOWED);
}

} // namespace

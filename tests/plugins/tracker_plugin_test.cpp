// The tracker-module plug-in driven through its PIProc by a host of the test's own, as the
// player drives a plug-in device: the probe at start-up, open, play, pause, seek, stop, close,
// completion notices, and files that are not modules.
#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"
#include "platform/mci/mcitestsupport.h"
#include "trackerfiles.h"
#include "trackerhost.h"

#include <dlfcn.h>

#include <cmath>
#include <random>

namespace {

class TrackerPluginTest : public TMciTest {
protected:
    void SetUp() override
    {
        TMciTest::SetUp();
        TTestPluginHost::NextDeviceId = 7;
        host = std::make_unique<TTestPluginHost>(TRACKER_PLUGIN);
        ASSERT_TRUE(host->loaded()) << dlerror();
    }
    void TearDown() override
    {
        host.reset();
        TMciTest::TearDown();
    }

    MCIERROR play(std::uintptr_t flags, std::uint32_t from = 0, std::uint32_t to = 0)
    {
        MCI_PLAY_PARMS params{recorder.callback(), from, to};
        return host->command(MCI_PLAY, flags, &params);
    }
    MCIERROR seek(std::uint32_t to)
    {
        MCI_SEEK_PARMS params{recorder.callback(), to};
        return host->command(MCI_SEEK, MCI_NOTIFY | MCI_TO, &params);
    }
    MCIERROR generic(std::uint32_t command, std::uintptr_t flags = MCI_WAIT)
    {
        MCI_GENERIC_PARMS params{recorder.callback()};
        return host->command(command, flags, &params);
    }
    // Waits for `count` notices; the plug-in sends them when the host calls it.
    bool waitForNotices(std::size_t count, int timeoutMs = 10000)
    {
        return WaitUntil(
            [&] {
                host->status(MCI_STATUS_MODE);
                return recorder.notices.size() >= count;
            },
            timeoutMs);
    }

    std::unique_ptr<TTestPluginHost> host;
    TNoticeRecorder recorder;
};

} // namespace

TEST_F(TrackerPluginTest, RegistersItsDeviceAndAnswersTheTextQueries)
{
    EXPECT_EQ(TTestPluginHost::RegisteredBy, 3u);
    EXPECT_EQ(host->text(PI_GETNAME), "Tracker modules");
    EXPECT_FALSE(host->text(PI_GETTITLE).isEmpty());
    EXPECT_TRUE(host->text(PI_GETABOUT).contains("libopenmpt"));
    const QStringList extensions = host->extensions().split(',');
    for (const char *wanted : {"mod", "xm", "s3m", "it"})
        EXPECT_TRUE(extensions.contains(wanted)) << wanted;
    EXPECT_FALSE(host->extensions().contains(';'));

    // A buffer too small gets as much as fits, still terminated.
    char small[4] = {'x', 'x', 'x', 'x'};
    host->send(PI_GETNAME, reinterpret_cast<uintptr_t>(small), sizeof small);
    EXPECT_STREQ(small, "Tra");

    // A host that refuses the device (after start-up) gets a refusal of PI_SETHOST.
    TTestPluginHost::NextDeviceId = -1;
    TTestPluginHost refused(TRACKER_PLUGIN);
    EXPECT_FALSE(refused.loaded());
}

TEST_F(TrackerPluginTest, AnswersTheProbeOfTheDeviceWithoutAFile)
{
    MCI_OPEN_PARMS open{0, 4, "tracker", "", nullptr};
    ASSERT_EQ(host->command(MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, &open), 0u);
    MCI_GETDEVCAPS_PARMS caps{0, 0, MCI_GETDEVCAPS_DEVICE_TYPE};
    ASSERT_EQ(host->command(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT, &caps), 0u);
    EXPECT_EQ(caps.dwReturn, MCI_DEVTYPE_OTHER); // never a sequencer: no MIDI reset first
    caps.dwItem = MCI_GETDEVCAPS_USES_FILES;
    ASSERT_EQ(host->command(MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT, &caps), 0u);
    EXPECT_EQ(caps.dwReturn, 1u);
    char text[300] = {};
    MCI_INFO_PARMS info{0, text, sizeof text};
    ASSERT_EQ(host->command(MCI_INFO, MCI_INFO_PRODUCT | MCI_WAIT, &info), 0u);
    EXPECT_STREQ(text, "Tracker modules");
    MCI_SYSINFO_PARMS sysInfo{0, text, sizeof text, 5, 0};
    ASSERT_EQ(host->command(MCI_SYSINFO, MCI_SYSINFO_NAME | MCI_WAIT, &sysInfo), 0u);
    EXPECT_STREQ(text, "tracker");
    EXPECT_EQ(host->status(MCI_STATUS_MODE), MCI_MODE_NOT_READY);
    EXPECT_EQ(host->status(MCI_STATUS_LENGTH), 0xDEADu);
    MCI_PLAY_PARMS noFile{};
    EXPECT_EQ(host->command(MCI_PLAY, 0, &noFile), MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(generic(MCI_CLOSE), 0u);
}

TEST_F(TrackerPluginTest, FilesThatAreNotModulesAreRefusedAndTheDeviceStaysUsable)
{
    useOutput("null");
    const QByteArray mod = TrackerFiles::Mod(2, 16);
    std::mt19937 random(13);
    QByteArray garbage(4096, '\0');
    for (char &c : garbage)
        c = char(random());
    const struct {
        const char *name;
        QByteArray bytes;
        MCIERROR expected;
    } cases[] = {
        {"empty.mod", QByteArray(), MCIERR_INVALID_FILE},
        {"garbage.xm", garbage, MCIERR_INVALID_FILE},
        {"header.mod", mod.left(600), MCIERR_INVALID_FILE},
        {"text.it", "MThd and nothing of a module", MCIERR_INVALID_FILE},
    };
    for (const auto &c : cases)
        EXPECT_EQ(host->open(writeMedia(c.name, c.bytes)), c.expected) << c.name;
    EXPECT_EQ(host->open(env.scratch() + "missing.mod"), MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(host->open(env.scratch()), MCIERR_INVALID_FILE);
    EXPECT_EQ(host->status(MCI_STATUS_READY), 0u);
    EXPECT_EQ(host->open(writeMedia("good.mod", mod)), 0u);
    EXPECT_EQ(host->status(MCI_STATUS_READY), 1u);
}

TEST_F(TrackerPluginTest, ModAndXmPlayToTheirEndIntoTheMix)
{
    const QString out = env.scratch() + "out.wav";
    TAudioOutput *output = useOutput("render:" + out);
    ASSERT_NE(output, nullptr);
    const QByteArray mod = TrackerFiles::Mod(2, 16);
    // A module whose last bytes are missing still plays as far as it goes.
    const struct {
        const char *name;
        QByteArray bytes;
    } files[] = {{"tune.mod", mod},
                 {"tune.xm", TrackerFiles::Xm(2, 16)},
                 {"cut.mod", mod.left(mod.size() - 40)}};
    for (const auto &file : files) {
        SCOPED_TRACE(file.name);
        recorder.notices.clear();
        ASSERT_EQ(host->open(writeMedia(file.name, file.bytes)), 0u);
        EXPECT_EQ(host->status(MCI_STATUS_TIME_FORMAT), MCI_FORMAT_MILLISECONDS);
        EXPECT_EQ(host->status(MCI_STATUS_LENGTH), 2u * 16 * TrackerFiles::RowMs);
        EXPECT_EQ(host->status(MCI_STATUS_LENGTH, MCI_TRACK), 2u * 16 * TrackerFiles::RowMs);
        EXPECT_EQ(host->status(MCI_STATUS_NUMBER_OF_TRACKS), 1u);
        ASSERT_EQ(play(MCI_NOTIFY), 0u);
        ASSERT_TRUE(waitForNotices(1));
        EXPECT_EQ(recorder.codes(), std::vector<unsigned>{MCI_NOTIFY_SUCCESSFUL});
        EXPECT_EQ(recorder.notices[0].device, 4u); // the ID the open was given
        // The player's end-of-title check: stopped, at the length.
        EXPECT_EQ(host->status(MCI_STATUS_MODE), MCI_MODE_STOP);
        EXPECT_EQ(host->status(MCI_STATUS_POSITION), host->status(MCI_STATUS_LENGTH));
        EXPECT_EQ(generic(MCI_CLOSE), 0u);
    }
    output->stop();
    int rate = 0;
    const std::vector<float> samples = readStereoWav(out, &rate);
    ASSERT_GT(rate, 0);
    // Three plays of about two seconds each: some 57 tenths of a second of sound.
    int sounding = 0;
    const std::size_t tenth = std::size_t(rate / 10) * 2;
    for (std::size_t start = 0; start + tenth <= samples.size(); start += tenth) {
        float peak = 0;
        for (std::size_t i = start; i < start + tenth; ++i)
            peak = std::max(peak, std::fabs(samples[i]));
        if (peak > 0.05f) ++sounding;
    }
    EXPECT_GE(sounding, 54);
}

TEST_F(TrackerPluginTest, PositionPauseSeekAndStopOnTheClock)
{
    useOutput("null");
    ASSERT_EQ(host->open(writeMedia("long.xm", TrackerFiles::Xm(4, 32))), 0u);
    const std::uintptr_t length = host->status(MCI_STATUS_LENGTH);
    EXPECT_EQ(length, 4u * 32 * TrackerFiles::RowMs);
    ASSERT_EQ(play(MCI_NOTIFY), 0u);
    ASSERT_TRUE(WaitUntil([&] { return host->status(MCI_STATUS_POSITION) >= 200; }));
    EXPECT_EQ(host->status(MCI_STATUS_MODE), MCI_MODE_PLAY);

    // The player pauses with a notice of its own: the play's notice is superseded.
    ASSERT_EQ(generic(MCI_PAUSE, MCI_NOTIFY | MCI_WAIT), 0u);
    EXPECT_EQ(host->status(MCI_STATUS_MODE), MCI_MODE_PAUSE);
    const std::uintptr_t paused = host->status(MCI_STATUS_POSITION);
    RunEvents(150);
    EXPECT_EQ(host->status(MCI_STATUS_POSITION), paused);
    EXPECT_GE(paused, 200u);
    EXPECT_LT(paused, length);

    // A paused device stays paused at the target (the module moves to the row's start).
    ASSERT_EQ(seek(3000), 0u);
    EXPECT_EQ(host->status(MCI_STATUS_MODE), MCI_MODE_PAUSE);
    const std::uintptr_t target = host->status(MCI_STATUS_POSITION);
    EXPECT_GE(target, 3000u - TrackerFiles::RowMs);
    EXPECT_LE(target, 3000u + TrackerFiles::RowMs);
    ASSERT_EQ(generic(MCI_RESUME, MCI_NOTIFY), 0u);
    ASSERT_TRUE(WaitUntil([&] { return host->status(MCI_STATUS_POSITION) > target + 100; }));

    // A playing device stops at the target of a seek; out of range is refused.
    ASSERT_EQ(seek(1000), 0u);
    EXPECT_EQ(host->status(MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(seek(std::uint32_t(length) + 1), MCIERR_OUTOFRANGE);

    // Stop cuts a play short: its notice says aborted.
    ASSERT_EQ(play(MCI_NOTIFY), 0u);
    ASSERT_EQ(generic(MCI_STOP, MCI_WAIT), 0u);
    EXPECT_EQ(host->status(MCI_STATUS_MODE), MCI_MODE_STOP);
    ASSERT_TRUE(waitForNotices(6));
    EXPECT_EQ(recorder.codes(),
              (std::vector<unsigned>{MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_SUCCESSFUL,
                                     MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_SUPERSEDED,
                                     MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_ABORTED}));

    // Closing while a play is owed its notice aborts it as well.
    ASSERT_EQ(play(MCI_NOTIFY), 0u);
    ASSERT_EQ(generic(MCI_CLOSE), 0u);
    ASSERT_TRUE(waitForNotices(7));
    EXPECT_EQ(recorder.codes().back(), MCI_NOTIFY_ABORTED);
}

TEST_F(TrackerPluginTest, PlayFromToAndCommandsOutsideTheDevice)
{
    useOutput("render:" + env.scratch() + "out.wav");
    ASSERT_EQ(host->open(writeMedia("tune.mod", TrackerFiles::Mod(2, 16))), 0u);
    EXPECT_EQ(play(MCI_FROM | MCI_TO, 2000, 2100), MCIERR_OUTOFRANGE);
    EXPECT_EQ(play(MCI_FROM | MCI_TO, 900, 800), MCIERR_OUTOFRANGE);
    // A play with MCI_WAIT returns at its end.
    ASSERT_EQ(play(MCI_FROM | MCI_TO | MCI_WAIT, 480, 900), 0u);
    EXPECT_EQ(host->status(MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(host->status(MCI_STATUS_POSITION), 900u);
    // The next play goes on from there to the end.
    ASSERT_EQ(play(MCI_WAIT), 0u);
    EXPECT_EQ(host->status(MCI_STATUS_POSITION), 1920u);
    EXPECT_EQ(host->status(MCI_STATUS_POSITION, MCI_STATUS_START), 0u);

    MCI_SET_PARMS format{0, MCI_FORMAT_MILLISECONDS, 0};
    EXPECT_EQ(host->command(MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &format), 0u);
    format.dwTimeFormat = MCI_FORMAT_FRAMES;
    EXPECT_EQ(host->command(MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &format),
              MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(host->command(MCI_SET, MCI_SET_DOOR_OPEN, &format), MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(host->command(MCI_PLAY, MCI_NOTIFY, nullptr), MCIERR_NULL_PARAMETER_BLOCK);
    EXPECT_EQ(host->command(MCI_STATUS, MCI_STATUS_ITEM, nullptr), MCIERR_NULL_PARAMETER_BLOCK);
    MCI_RECORD_PARMS record{};
    EXPECT_EQ(host->command(MCI_RECORD, 0, &record), MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(host->status(MCI_STATUS_LENGTH, MCI_TRACK), 1920u);
    MCI_STATUS_PARMS track2{0, 0, MCI_STATUS_LENGTH, 2};
    EXPECT_EQ(host->command(MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, &track2), MCIERR_OUTOFRANGE);
}

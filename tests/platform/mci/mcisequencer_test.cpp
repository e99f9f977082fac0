#include "mcitestsupport.h"

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"
#include "platform/midi/smfbuilder.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <cmath>
#include <cstdio>

namespace {

// 120 bpm for the first two beats (1000 ms), then 240 bpm for two more (500 ms): 1500 ms.
QByteArray tempoSong()
{
    TSmfBuilder smf(1, 480);
    smf.track().tempo(0, 500000).tempo(960, 250000).endOfTrack(960);
    smf.track().event(0, {0xC0, 0}).noteOn(480, 0, 60, 127).noteOff(480, 0, 60).endOfTrack(960);
    return smf.build();
}

// A steady 120 bpm song of `beats` beats, a note on every beat.
QByteArray steadySong(int beats)
{
    TSmfBuilder smf(0, 480);
    smf.track().tempo(0, 500000);
    for (int i = 0; i < beats; ++i)
        smf.noteOn(0, 0, 60 + i % 12).noteOff(480, 0, 60 + i % 12);
    smf.endOfTrack(0);
    return smf.build();
}

// Silence, then one loud note at 500 ms: the onset is known to the sample.
QByteArray onsetSong()
{
    TSmfBuilder smf(0, 480);
    smf.track().tempo(0, 500000).event(0, {0xC0, 0}).noteOn(480, 0, 72, 127).noteOff(480, 0, 72);
    smf.endOfTrack(0);
    return smf.build();
}

// A loud chord held for 300 ms, with the reverb up: a tail that rings well after the end.
QByteArray chordSong()
{
    TSmfBuilder smf(0, 480);
    smf.track().tempo(0, 500000).event(0, {0xC0, 48}).event(0, {0xB0, 91, 127});
    for (int key : {48, 55, 60, 64})
        smf.noteOn(0, 0, key, 127);
    smf.noteOff(288, 0, 48).noteOff(0, 0, 55).noteOff(0, 0, 60).noteOff(0, 0, 64).endOfTrack(0);
    return smf.build();
}

// True when the sound never stops dead: no frame that is exactly silent right after one above
// -60 dBFS (a source taken out of the mix while it still sounded leaves such a step).
bool fadesOutEverywhere(const std::vector<float> &stereo)
{
    for (std::size_t i = 2; i + 1 < stereo.size(); i += 2) {
        const bool silentNow = stereo[i] == 0.0f && stereo[i + 1] == 0.0f;
        const bool loudBefore = std::max(std::fabs(stereo[i - 2]), std::fabs(stereo[i - 1])) > 1e-3f;
        if (silentNow && loudBefore) {
            std::printf("[ step     ] to silence at frame %zu from %g\n", i / 2,
                        double(std::max(std::fabs(stereo[i - 2]), std::fabs(stereo[i - 1]))));
            return false;
        }
    }
    return true;
}

MCIERROR play(MCIDEVICEID id, std::uintptr_t flags, std::uintptr_t callback = 0,
              std::uint32_t from = 0, std::uint32_t to = 0)
{
    MCI_PLAY_PARMS parms{callback, from, to};
    return mciSendCommand(id, MCI_PLAY, flags, reinterpret_cast<std::uintptr_t>(&parms));
}

MCIERROR simple(MCIDEVICEID id, std::uint32_t command, std::uintptr_t flags,
                std::uintptr_t callback = 0)
{
    MCI_GENERIC_PARMS parms{callback};
    return mciSendCommand(id, command, flags, reinterpret_cast<std::uintptr_t>(&parms));
}

MCIERROR seek(MCIDEVICEID id, std::uintptr_t flags, std::uint32_t to = 0)
{
    MCI_SEEK_PARMS parms{0, to};
    return mciSendCommand(id, MCI_SEEK, flags, reinterpret_cast<std::uintptr_t>(&parms));
}

} // namespace

using MciSequencerTest = TMciTest;

TEST_F(MciSequencerTest, LengthFollowsTheTempoMapAndAFileIsOneTrack)
{
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("tempo.mid", tempoSong()), id), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_LENGTH), 1500u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(statusOf(id, MCI_STATUS_READY), 1u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_NUMBER_OF_TRACKS), 1u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_CURRENT_TRACK), 1u);
    std::uintptr_t value = 0;
    EXPECT_EQ(statusItem(id, MCI_STATUS_LENGTH, value, MCI_TRACK, 1), 0u);
    EXPECT_EQ(value, 1500u);
    EXPECT_EQ(statusItem(id, MCI_STATUS_POSITION, value, MCI_STATUS_START), 0u);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(statusItem(id, MCI_STATUS_POSITION, value, MCI_TRACK, 1), 0u);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(statusItem(id, MCI_STATUS_LENGTH, value, MCI_TRACK, 2), MCIERR_OUTOFRANGE);
    EXPECT_EQ(statusItem(id, MCI_SEQ_STATUS_TEMPO, value), 0u);
    EXPECT_EQ(value, 120u);
    EXPECT_EQ(statusItem(id, 0x7777, value), MCIERR_UNSUPPORTED_FUNCTION);

    // Seek into the fast part: the tempo there is twice as high.
    ASSERT_EQ(seek(id, MCI_TO | MCI_WAIT, 1200), 0u);
    EXPECT_EQ(statusItem(id, MCI_SEQ_STATUS_TEMPO, value), 0u);
    EXPECT_EQ(value, 240u);
}

TEST_F(MciSequencerTest, PlayToTheEndNotifiesAndStopsAtTheLength)
{
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("tempo.mid", tempoSong()), id), 0u);
    TNoticeRecorder receiver;
    ASSERT_EQ(play(id, MCI_NOTIFY, receiver.callback()), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return !receiver.notices.empty(); }, 6000));
    EXPECT_EQ(receiver.codes(), std::vector<unsigned>{MCI_NOTIFY_SUCCESSFUL});
    EXPECT_EQ(receiver.notices[0].device, id);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 1500u);

    // From and to: play stops exactly at `to`.
    ASSERT_EQ(play(id, MCI_FROM | MCI_TO | MCI_NOTIFY, receiver.callback(), 200, 600), 0u);
    ASSERT_TRUE(WaitUntil([&] { return receiver.notices.size() == 2; }, 4000));
    EXPECT_EQ(receiver.notices[1].code, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 600u);
    EXPECT_EQ(play(id, MCI_FROM, 0, 1501), MCIERR_OUTOFRANGE);
    EXPECT_EQ(play(id, MCI_FROM | MCI_TO, 0, 900, 800), MCIERR_OUTOFRANGE);
}

TEST_F(MciSequencerTest, PauseHoldsThePositionAndResumeGoesOn)
{
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("steady.mid", steadySong(8)), id), 0u);
    ASSERT_EQ(statusOf(id, MCI_STATUS_LENGTH), 4000u);
    ASSERT_EQ(play(id, 0), 0u);
    // The play has begun once the position moves (the synthesizer may still be loading before).
    ASSERT_TRUE(WaitUntil([&] { return statusOf(id, MCI_STATUS_POSITION) > 300; }));
    ASSERT_EQ(simple(id, MCI_PAUSE, MCI_WAIT), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_PAUSE);
    const std::uintptr_t paused = settledPosition(id);
    EXPECT_GT(paused, 200u);
    EXPECT_LT(paused, 2000u);
    RunEvents(300);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), paused);

    ASSERT_EQ(simple(id, MCI_RESUME, 0), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return statusOf(id, MCI_STATUS_POSITION) > paused + 100; }));

    // Stop keeps the position; resume on a stopped device changes nothing.
    ASSERT_EQ(simple(id, MCI_STOP, MCI_WAIT), 0u);
    const std::uintptr_t stopped = settledPosition(id);
    ASSERT_EQ(simple(id, MCI_RESUME, 0), 0u);
    RunEvents(100);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), stopped);
}

TEST_F(MciSequencerTest, SeekStopsAPlayingDeviceAndLeavesAPausedOnePaused)
{
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("steady.mid", steadySong(8)), id), 0u);
    ASSERT_EQ(play(id, 0), 0u);
    RunEvents(100);
    ASSERT_EQ(seek(id, MCI_TO | MCI_WAIT, 2500), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 2500u);
    RunEvents(100);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 2500u);

    ASSERT_EQ(play(id, 0), 0u);
    RunEvents(100);
    ASSERT_EQ(simple(id, MCI_PAUSE, MCI_WAIT), 0u);
    ASSERT_EQ(seek(id, MCI_TO | MCI_WAIT, 500), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_PAUSE);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 500u);
    ASSERT_EQ(simple(id, MCI_RESUME, 0), 0u);
    ASSERT_TRUE(WaitUntil([&] { return statusOf(id, MCI_STATUS_POSITION) > 600; }));

    ASSERT_EQ(seek(id, MCI_SEEK_TO_END | MCI_WAIT), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 4000u);
    ASSERT_EQ(seek(id, MCI_SEEK_TO_START | MCI_WAIT), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 0u);
    EXPECT_EQ(seek(id, MCI_TO, 4001), MCIERR_OUTOFRANGE);
    EXPECT_EQ(seek(id, MCI_TO | MCI_SEEK_TO_START, 10), MCIERR_FLAGS_NOT_COMPATIBLE);
    EXPECT_EQ(seek(id, MCI_WAIT), MCIERR_MISSING_PARAMETER);
}

TEST_F(MciSequencerTest, NoticesAreSupersededOrAbortedAsTheNextCommandDecides)
{
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("steady.mid", steadySong(8)), id), 0u);
    TNoticeRecorder first, second, third, fourth;

    // A new play that asks for a notice supersedes the pending one; stop without one aborts.
    ASSERT_EQ(play(id, MCI_NOTIFY, first.callback()), 0u);
    ASSERT_EQ(play(id, MCI_NOTIFY, second.callback()), 0u);
    ASSERT_EQ(simple(id, MCI_STOP, MCI_WAIT), 0u);
    RunEvents(50);
    EXPECT_EQ(first.codes(), std::vector<unsigned>{MCI_NOTIFY_SUPERSEDED});
    EXPECT_EQ(second.codes(), std::vector<unsigned>{MCI_NOTIFY_ABORTED});

    // The player's pause: with notify and wait; the play's notice is superseded, then the
    // pause's own notice arrives.
    ASSERT_EQ(play(id, MCI_NOTIFY, third.callback()), 0u);
    ASSERT_EQ(simple(id, MCI_PAUSE, MCI_NOTIFY | MCI_WAIT, third.callback()), 0u);
    RunEvents(50);
    EXPECT_EQ(third.codes(), (std::vector<unsigned>{MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_SUCCESSFUL}));

    // Close aborts a pending notice; the notice names the device.
    ASSERT_EQ(simple(id, MCI_RESUME, MCI_NOTIFY, fourth.callback()), 0u);
    ASSERT_EQ(closeDevice(id), 0u);
    RunEvents(50);
    ASSERT_EQ(fourth.codes(), std::vector<unsigned>{MCI_NOTIFY_ABORTED});
    EXPECT_EQ(fourth.notices[0].device, id);

    // A receiver destroyed before its notice is simply skipped.
    MCIDEVICEID again = 0;
    ASSERT_EQ(openFile(env.scratch() + "steady.mid", again), 0u);
    {
        TNoticeRecorder gone;
        ASSERT_EQ(play(again, MCI_NOTIFY, gone.callback()), 0u);
    }
    ASSERT_EQ(simple(again, MCI_STOP, 0), 0u);
    RunEvents(50);
}

TEST_F(MciSequencerTest, PlayWithWaitReturnsAtTheEnd)
{
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("reset.mid", steadySong(1)), id, "sequencer",
                       "Tonaria_Sonoric_Player_alias"),
              0u);
    TNoticeRecorder receiver;
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(play(id, MCI_WAIT | MCI_NOTIFY, receiver.callback()), 0u);
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, 400); // 500 ms of music, on the null output's clock
    EXPECT_LT(elapsed, 3000);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 500u);
    RunEvents(30);
    EXPECT_EQ(receiver.codes(), std::vector<unsigned>{MCI_NOTIFY_SUCCESSFUL});
    EXPECT_EQ(closeDevice(id), 0u);
}

TEST_F(MciSequencerTest, PlayWithWaitOnADeadOutputFailsInsteadOfHanging)
{
    TAudioOutput *output = useOutput("null");
    ASSERT_NE(output, nullptr);
    output->stop(); // as a sound card that went away
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("song.mid", steadySong(4)), id), 0u);
    TNoticeRecorder receiver;
    EXPECT_EQ(play(id, MCI_WAIT | MCI_NOTIFY, receiver.callback()), MCIERR_HARDWARE);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    RunEvents(30);
    EXPECT_EQ(receiver.codes(), std::vector<unsigned>{MCI_NOTIFY_FAILURE});
}

// A note at 500 ms starts at output frame start + 500 ms: checked in the unpaced render output
// and in the real-time WAV output. FluidSynth starts a note at the beginning of its next
// 64-frame block, so the onset may be up to 63 frames late; never early.
TEST_F(MciSequencerTest, ANoteStartsAtItsSampleInRenderAndRealTimeOutput)
{
    const QString song = writeMedia("onset.mid", onsetSong());
    for (const char *kind : {"render:", "wav:"}) {
        const QString wav = env.scratch() + (kind[0] == 'r' ? "render.wav" : "realtime.wav");
        TAudioOutput *output = useOutput(QString::fromLatin1(kind) + wav);
        ASSERT_NE(output, nullptr);
        MCIDEVICEID id = 0;
        ASSERT_EQ(openFile(song, id), 0u);
        ASSERT_EQ(play(id, MCI_WAIT), 0u);
        const std::int64_t start = output->startFrame(TMciLayer::instance().sourceOf(id));
        ASSERT_GE(start, 0);
        ASSERT_EQ(closeDevice(id), 0u);
        output->stop();

        int rate = 0;
        const std::vector<float> samples = readStereoWav(wav, &rate);
        ASSERT_GT(rate, 0);
        const long expected = long(start) + rate / 2;
        const long onset = firstSound(samples, 1e-6f, long(start));
        ASSERT_GE(onset, 0) << kind;
        std::printf("[ onset    ] %s output: note expected at frame %ld, heard at %ld (%+ld)\n",
                    kind, expected, onset, onset - expected);
        EXPECT_GE(onset, expected) << kind;
        EXPECT_LT(onset, expected + 64) << kind;
    }
}

// Two titles one after the other, as the jukebox plays them: the first one's chord rings on while
// the second opens, and dies away by itself; at the end the program waits for the last tail.
TEST_F(MciSequencerTest, AnEndedTitleRingsOutWhileTheNextOpensAndTheProgramEndsAfterTheTail)
{
    for (bool next : {true, false}) {
        const QString wav = env.scratch() + (next ? "two.wav" : "close.wav");
        TAudioOutput *output = useOutput(QStringLiteral("wav:") + wav);
        ASSERT_NE(output, nullptr);
        MCIDEVICEID first = 0;
        ASSERT_EQ(openFile(writeMedia("chord.mid", chordSong()), first), 0u);
        ASSERT_EQ(play(first, MCI_WAIT), 0u);
        const std::int64_t start = output->startFrame(TMciLayer::instance().sourceOf(first));
        ASSERT_EQ(closeDevice(first), 0u);
        const std::int64_t closed = output->framesRendered();
        if (next) {
            // The next title, still silent when it is closed.
            MCIDEVICEID second = 0;
            ASSERT_EQ(openFile(writeMedia("late.mid", onsetSong()), second), 0u);
            ASSERT_EQ(play(second, 0), 0u);
            RunEvents(300);
            ASSERT_EQ(closeDevice(second), 0u);
        }
        TMciLayer::shutdown(); // as at the end of the program: the WAV is finished

        int rate = 0;
        const std::vector<float> samples = readStereoWav(wav, &rate);
        ASSERT_GT(rate, 0);
        const long ended = long(start) + rate * 3 / 10;
        // The tail is heard after the medium was closed, and never stops dead.
        EXPECT_GT(firstSound(samples, 1e-3f, long(closed) + rate / 20), 0) << next;
        EXPECT_TRUE(fadesOutEverywhere(samples)) << next;
        EXPECT_GT(long(samples.size() / 2), ended + rate / 5) << next;
    }
}

// The render tool writes exactly the medium's length, with the note in its place.
TEST_F(MciSequencerTest, TheRenderToolWritesTheMediumExactly)
{
    const QString tool = qEnvironmentVariable("TONARIA_BINARY_DIR") + "/tools/tonaria-render";
    if (!QFileInfo::exists(tool)) GTEST_SKIP() << "tonaria-render is not built";
    const QString song = writeMedia("onset.mid", onsetSong());
    const QString wav = env.scratch() + "tool.wav";
    QProcess process;
    process.start(tool, {QStringLiteral("--rate"), QStringLiteral("48000"), song, wav});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().contains("times real time"));

    int rate = 0;
    const std::vector<float> samples = readStereoWav(wav, &rate);
    ASSERT_EQ(rate, 48000);
    EXPECT_EQ(samples.size(), std::size_t(48000) * 2); // 1000 ms
    const long onset = firstSound(samples, 1e-6f);
    std::printf("[ onset    ] tonaria-render: note expected at frame 24000, heard at %ld (%+ld)\n",
                onset, onset - 24000);
    EXPECT_GE(onset, 24000);
    EXPECT_LT(onset, 24000 + 64);

    // A file it cannot play is reported with the error text, and fails.
    process.start(tool, {env.scratch() + "missing.mid", wav});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                    .contains(errorText(MCIERR_FILE_NOT_FOUND)));
}

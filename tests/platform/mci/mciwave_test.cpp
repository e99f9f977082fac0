#include "mcitestsupport.h"

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"

#include <QFile>

#include <sndfile.h>

#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Half a second of a 441 Hz sine at 22050 Hz, mono: the output (44.1 or 48 kHz) resamples it.
QByteArray sineWav()
{
    return MakeWav(22050, 1, 11025,
                   [](int n, int) { return 0.5 * std::sin(2 * kPi * 441.0 * n / 22050.0); });
}

} // namespace

using MciWaveTest = TMciTest;

TEST_F(MciWaveTest, AGeneratedWavPlaysResampledOnBothChannels)
{
    const QString out = env.scratch() + "out.wav";
    TAudioOutput *output = useOutput("render:" + out);
    ASSERT_NE(output, nullptr);
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(writeMedia("sine.wav", sineWav()), id), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_LENGTH), 500u);
    EXPECT_EQ(statusOf(id, MCI_WAVE_STATUS_CHANNELS), 1u);
    EXPECT_EQ(statusOf(id, MCI_WAVE_STATUS_SAMPLESPERSEC), 22050u);
    MCI_PLAY_PARMS play{};
    ASSERT_EQ(mciSendCommand(id, MCI_PLAY, MCI_WAIT, reinterpret_cast<std::uintptr_t>(&play)), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 500u);
    const std::int64_t start = output->startFrame(TMciLayer::instance().sourceOf(id));
    ASSERT_EQ(closeDevice(id), 0u);
    output->stop();

    int rate = 0;
    const std::vector<float> samples = readStereoWav(out, &rate);
    ASSERT_GE(samples.size(), std::size_t(start + rate / 2) * 2);
    double worst = 0;
    for (long n = 0; n < rate / 2 - 2; ++n) {
        const double expected = 0.5 * std::sin(2 * kPi * 441.0 * n / rate);
        const float left = samples[std::size_t(start + n) * 2];
        const float right = samples[std::size_t(start + n) * 2 + 1];
        worst = std::max(worst, std::fabs(left - expected));
        EXPECT_EQ(left, right);
    }
    EXPECT_LT(worst, 0.01); // linear interpolation of a slow sine stays close
    // After the end nothing more is heard.
    EXPECT_EQ(firstSound(samples, 1e-4f, long(start) + rate / 2 + 2), -1);
}

TEST_F(MciWaveTest, PauseSeekAndEndOnTheClock)
{
    const QString path =
        writeMedia("tone.wav", MakeWav(48000, 2, 48000, [](int n, int c) {
                       return (c ? 0.25 : 0.5) * std::sin(2 * kPi * 440.0 * n / 48000.0);
                   }));
    MCIDEVICEID id = 0;
    ASSERT_EQ(openFile(path, id), 0u);
    ASSERT_EQ(statusOf(id, MCI_STATUS_LENGTH), 1000u);
    TNoticeRecorder receiver;
    MCI_PLAY_PARMS play{receiver.callback(), 0, 0};
    ASSERT_EQ(mciSendCommand(id, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<std::uintptr_t>(&play)),
              0u);
    RunEvents(200);
    MCI_GENERIC_PARMS generic{};
    ASSERT_EQ(mciSendCommand(id, MCI_PAUSE, MCI_WAIT, reinterpret_cast<std::uintptr_t>(&generic)),
              0u);
    const std::uintptr_t paused = settledPosition(id);
    EXPECT_GT(paused, 50u);
    EXPECT_LT(paused, 900u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_PAUSE);
    EXPECT_EQ(receiver.codes(), std::vector<unsigned>{MCI_NOTIFY_ABORTED});

    MCI_SEEK_PARMS seek{0, 800};
    ASSERT_EQ(mciSendCommand(id, MCI_SEEK, MCI_TO, reinterpret_cast<std::uintptr_t>(&seek)), 0u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 800u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_PAUSE);
    generic.dwCallback = receiver.callback();
    ASSERT_EQ(
        mciSendCommand(id, MCI_RESUME, MCI_NOTIFY, reinterpret_cast<std::uintptr_t>(&generic)), 0u);
    ASSERT_TRUE(WaitUntil([&] { return receiver.notices.size() == 2; }, 3000));
    EXPECT_EQ(receiver.notices[1].code, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), 1000u);
    EXPECT_EQ(statusOf(id, MCI_STATUS_MODE), MCI_MODE_STOP);
}

// Every compressed format of the extension table opens and plays to its end (files written with
// libsndfile here; a format this libsndfile cannot write is skipped).
TEST_F(MciWaveTest, CompressedFormatsOpenByExtension)
{
    struct TFormat {
        const char *name;
        int format;
    };
    const TFormat formats[] = {
        {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"tone.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
        {"tone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
        {"tone.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    };
    useOutput("render:" + env.scratch() + "out.wav");
    for (const TFormat &format : formats) {
        const QString path = env.scratch() + format.name;
        SF_INFO info{};
        info.samplerate = 48000;
        info.channels = 2;
        info.format = format.format;
        SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        if (!file) {
            std::printf("[ skipped  ] %s: libsndfile cannot write it here\n", format.name);
            continue;
        }
        std::vector<float> tone(48000 * 2);
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = float(0.3 * std::sin(2 * kPi * 440.0 * double(i / 2) / 48000.0));
        sf_writef_float(file, tone.data(), 48000);
        sf_close(file);

        MCIDEVICEID id = 0;
        ASSERT_EQ(openFile(path, id), 0u) << format.name;
        const std::uintptr_t length = statusOf(id, MCI_STATUS_LENGTH);
        EXPECT_GT(length, 900u) << format.name; // encoders may pad or trim a little
        EXPECT_LT(length, 1100u) << format.name;
        ASSERT_EQ(mciSendCommand(id, MCI_PLAY, MCI_WAIT, 0), 0u) << format.name;
        EXPECT_EQ(statusOf(id, MCI_STATUS_POSITION), length) << format.name;
        EXPECT_EQ(closeDevice(id), 0u);
    }
}

// The real program started as the shell starts it, headless, writing its sound into a WAV file:
// play and close, a termination signal, and a second start that asks the first to close.
#include "library/album.h"
#include "library/albumfile.h"
#include "playback/player_support.h"
#include "support/testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct TRecording {
    bool ok = false;
    double seconds = 0;
    float peak = 0;
};

TRecording ReadRecording(const QString &path)
{
    TRecording result;
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) return result;
    std::vector<float> samples(std::size_t(info.frames) * std::size_t(info.channels));
    const sf_count_t got = sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    result.ok = got == info.frames && info.samplerate > 0;
    result.seconds = double(got) / info.samplerate;
    for (const float sample : samples)
        result.peak = std::max(result.peak, std::abs(sample));
    return result;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QProcess *Launch(const QStringList &arguments, const QString &wav)
    {
        auto *process = new QProcess;
        processes.emplace_back(process);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("TONARIA_AUDIO"), QStringLiteral("wav:") + wav);
        environment.insert(QStringLiteral("TONARIA_HOME"), env.home());
        environment.insert(QStringLiteral("TONARIA_CONFIG"), env.config());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("TONARIA_SOUNDFONT"),
                           QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2"));
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(TONARIA_EXE), arguments);
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }

    // The system album as the program left it.
    QStringList SystemAlbumFiles()
    {
        const QString folder = env.home() + QStringLiteral("Albums/");
        TAlbumFile albums(TAlbumFile::TContext{folder, {}, {}});
        auto album = TAlbum::CreateAlbum();
        album->FileName = folder + QStringLiteral("00000000.tal");
        QStringList files;
        if (!albums.Load(*album)) return files;
        for (const TTitle *title : album->Titles)
            files << title->FileName;
        return files;
    }

    // Waits until the WAV file has grown past `bytes` (the program is playing).
    static bool WaitForSound(const QString &wav, qint64 bytes, int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (QFileInfo(wav).size() <= bytes) {
            if (timer.elapsed() > timeoutMs) return false;
            QThread::msleep(20);
        }
        return true;
    }

    void TearDown() override
    {
        for (auto &process : processes)
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
    }

    TTestEnvironment env;
    QTemporaryDir runtime;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(ProgramTest, PlayAndCloseRecordsTheTitleAndEndsWell)
{
    const QString song = env.writeFile(QStringLiteral("a.mid"), MidiFileBytes(1500));
    const QString wav = env.scratch() + QStringLiteral("out.wav");
    QProcess *tonaria = Launch({QStringLiteral("/play"), QStringLiteral("/close"), song}, wav);
    ASSERT_TRUE(tonaria->waitForFinished(20000));
    EXPECT_EQ(tonaria->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tonaria->exitCode(), 0);

    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    EXPECT_GT(recording.peak, 0.01f);
    EXPECT_GT(recording.seconds, 1.4);
    EXPECT_LT(recording.seconds, 3.5); // it did not play twice
    EXPECT_EQ(SystemAlbumFiles(), QStringList({song}));
}

TEST_F(ProgramTest, TerminationSignalClosesAfterSaving)
{
    const QString song = env.writeFile(QStringLiteral("long.mid"), MidiFileBytes(20000));
    const QString wav = env.scratch() + QStringLiteral("out.wav");
    QProcess *tonaria = Launch({QStringLiteral("/play"), song}, wav);
    ASSERT_TRUE(WaitForSound(wav, 100000, 10000));
    tonaria->terminate(); // SIGTERM
    ASSERT_TRUE(tonaria->waitForFinished(10000));
    EXPECT_EQ(tonaria->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tonaria->exitCode(), 0);
    // The titles live only in memory until the shut-down saves the album.
    EXPECT_EQ(SystemAlbumFiles(), QStringList({song}));
    QFile config(env.config());
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    EXPECT_TRUE(config.readAll().contains("\"CurAlbum\"=dword:00000000"));
}

TEST_F(ProgramTest, ASecondStartWithCloseEndsTheFirstAfterItsTitle)
{
    const QString song = env.writeFile(QStringLiteral("b.mid"), MidiFileBytes(2500));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({QStringLiteral("/play"), song}, wav);
    ASSERT_TRUE(WaitForSound(wav, 20000, 10000));

    QProcess *second =
        Launch({QStringLiteral("/close")}, env.scratch() + QStringLiteral("second.wav"));
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running); // the title is still playing

    // A one-title program would repeat for ever; the request ends it after this pass.
    ASSERT_TRUE(first->waitForFinished(15000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    EXPECT_GT(recording.seconds, 2.4);
    EXPECT_LT(recording.seconds, 4.8);
    EXPECT_FALSE(QFileInfo::exists(env.scratch() + QStringLiteral("second.wav")));
}

} // namespace

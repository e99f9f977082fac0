// The real program started as the shell starts it, headless, writing its sound into a WAV file:
// play and close, a termination signal, and a second start that asks the first to close.
#include "core/program_support.h"
#include "playback/player_support.h"

#include <QFile>
#include <QFileInfo>

namespace {

using ProgramTest = TProgramTest;

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

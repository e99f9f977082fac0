// The real program started as the shell starts it, headless, writing its sound into a WAV file:
// play and close, a termination signal, and a second start that asks the first to close.
#include "core/program_support.h"
#include "playback/player_support.h"

#include <QFile>
#include <QFileInfo>

namespace {

using ProgramTest = TProgramTest;

// The tone of the titles (A4), and the keys told apart in the recordings.
constexpr int kKey = 69;
const std::vector<int> kKeys = {kKey};

TEST_F(ProgramTest, PlayAndCloseRecordsTheTitleAndEndsWell)
{
    const QString song = env.writeFile(QStringLiteral("a.mid"), ToneMidiBytes(1500, kKey));
    const QString wav = env.scratch() + QStringLiteral("out.wav");
    QProcess *tonaria = Launch({QStringLiteral("/play"), QStringLiteral("/close"), song}, wav);
    ASSERT_TRUE(tonaria->waitForFinished(60000));
    EXPECT_EQ(tonaria->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tonaria->exitCode(), 0);

    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    EXPECT_GT(recording.peak, 0.01f);
    // The title was heard whole, and once: a second pass would follow it without a break.
    const std::vector<TPassage> passages = FindPassages(recording, kKeys);
    ASSERT_EQ(passages.size(), 1u);
    EXPECT_GT(passages[0].end - passages[0].start, 1.3);
    EXPECT_LT(passages[0].end - passages[0].start, 2.4);
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
    // A tone and a pause in each pass, so that the passes are told apart in the recording.
    const QString song = env.writeFile(QStringLiteral("b.mid"), ToneMidiBytes(1000, kKey, 800));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({QStringLiteral("/play"), song}, wav);
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 1, 60000));

    QProcess *second =
        Launch({QStringLiteral("/close")}, env.scratch() + QStringLiteral("second.wav"));
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitCode(), 0);
    const std::size_t heardBefore = FindPassages(ReadLiveRecording(wav), kKeys).size();

    // A one-title program would repeat for ever; the request ends it after the pass it came in.
    ASSERT_TRUE(first->waitForFinished(60000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    const std::vector<TPassage> passages = FindPassages(recording, kKeys);
    ASSERT_GE(passages.size(), heardBefore);
    EXPECT_LE(passages.size(), heardBefore + 1);
    // The last pass was played to its end, not cut short.
    EXPECT_GT(passages.back().end - passages.back().start, 0.8);
    EXPECT_LT(passages.back().end - passages.back().start, 1.6);
    EXPECT_FALSE(QFileInfo::exists(env.scratch() + QStringLiteral("second.wav")));
}

} // namespace

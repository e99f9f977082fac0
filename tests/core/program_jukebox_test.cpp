// The real program as a jukebox: titles following each other, hand-offs from further starts
// while it plays, the pause between titles and a zip package among the titles. The sound is
// observed in the WAV file the program writes; each title is a tone of its own pitch.
#include "core/program_support.h"
#include "library/album.h"
#include "library/albumfile.h"
#include "packages/testarchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <algorithm>

namespace {

using ProgramJukeboxTest = TProgramTest;

// Keys of the tones: E4, A4, E5, A5.
constexpr int kLow = 64;
constexpr int kMiddle = 69;
constexpr int kHigh = 76;
constexpr int kTop = 81;
const std::vector<int> kKeys = {kLow, kMiddle, kHigh, kTop};

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

TEST_F(ProgramJukeboxTest, TwoTitlesAlternateUntilASecondStartClosesAfterTheCurrentOne)
{
    const QString a = env.writeFile(QStringLiteral("a.mid"), ToneMidiBytes(1200, kLow));
    const QString b = env.writeFile(QStringLiteral("b.kar"), ToneMidiBytes(1200, kHigh));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({QStringLiteral("/play"), a, b}, wav);
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 3, 60000));

    QProcess *second = Launch({QStringLiteral("/close")}, env.scratch() + QStringLiteral("x.wav"));
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    const std::size_t heardBefore = FindPassages(ReadLiveRecording(wav), kKeys).size();

    ASSERT_TRUE(first->waitForFinished(30000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    const std::vector<TPassage> passages = FindPassages(recording, kKeys);
    const std::vector<int> keys = KeysOf(passages);
    ASSERT_GE(keys.size(), 3u);
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(keys[i], i % 2 ? kHigh : kLow) << "title " << i;
    // The title that was playing when the request came was the last one, and played to its end.
    EXPECT_LE(keys.size(), heardBefore + 1);
    EXPECT_GT(passages.back().end - passages.back().start, 1.0);
    EXPECT_LT(TrailingSilence(recording), 1.5);
    EXPECT_EQ(SystemAlbumFiles(), QStringList({a, b}));
}

TEST_F(ProgramJukeboxTest, SecondStartsAddTheirFilesAndPlayStartsAStoppedPlayer)
{
    const QString a = env.writeFile(QStringLiteral("a.mid"), ToneMidiBytes(1500, kLow));
    const QString c = env.writeFile(QStringLiteral("c.mid"), ToneMidiBytes(1500, kHigh));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({a}, wav);
    ASSERT_TRUE(WaitForSound(wav, 100000, 20000)); // the output runs: the station is up

    // A file alone is added to the system album; the stopped player stays stopped.
    QProcess *add = Launch({c}, env.scratch() + QStringLiteral("x.wav"));
    ASSERT_TRUE(add->waitForFinished(10000));
    EXPECT_EQ(add->exitCode(), 0);
    const TRecording quiet = ReadLiveRecording(wav);
    ASSERT_TRUE(quiet.ok);
    EXPECT_LT(quiet.peak, 0.001f);

    // "/play" starts it, with the title that was loaded first.
    QProcess *play = Launch({QStringLiteral("/play"), c}, env.scratch() + QStringLiteral("y.wav"));
    ASSERT_TRUE(play->waitForFinished(10000));
    EXPECT_EQ(play->exitCode(), 0);
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 2, 30000));
    const std::vector<int> keys = KeysOf(FindPassages(ReadLiveRecording(wav), kKeys));
    EXPECT_EQ(keys.at(0), kLow);
    EXPECT_EQ(keys.at(1), kHigh);

    first->terminate();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_EQ(SystemAlbumFiles(), QStringList({a, c, c}));
}

TEST_F(ProgramJukeboxTest, AFileHandedOverMakesTheSystemAlbumCurrentAgain)
{
    // An album of the user's is current when the program starts.
    const QString x = env.writeFile(QStringLiteral("x.mid"), ToneMidiBytes(1000, kTop));
    const QString folder = env.home() + QStringLiteral("Albums/");
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        auto album = TAlbum::CreateAlbum();
        album->Caption = QStringLiteral("Mine");
        TTitle *title = album->AddTitle();
        title->FileName = x;
        title->Caption = QStringLiteral("X");
        album->RefreshInternalPrograms();
        album->CurrentTitle = title;
        TAlbumFile files(TAlbumFile::TContext{folder, {}, {}});
        ASSERT_FALSE(files.SaveToFile(*album, folder + QStringLiteral("00000001.tal")).isEmpty());
    }
    QFile config(env.config());
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("REGEDIT4\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\"
                 "Invisible]\r\n"
                 "\"CurAlbum\"=dword:00000001\r\n");
    config.close();

    const QString c = env.writeFile(QStringLiteral("c.mid"), ToneMidiBytes(1000, kHigh));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({}, wav);
    ASSERT_TRUE(WaitForSound(wav, 100000, 20000));
    QProcess *add = Launch({c}, env.scratch() + QStringLiteral("x.wav"));
    ASSERT_TRUE(add->waitForFinished(10000));
    EXPECT_EQ(add->exitCode(), 0);

    first->terminate();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_EQ(SystemAlbumFiles(), QStringList({c}));
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    EXPECT_TRUE(config.readAll().contains("\"CurAlbum\"=dword:00000000"));
    // The user's album was saved as it was when it was put away.
    TAlbumFile files(TAlbumFile::TContext{folder, {}, {}});
    auto mine = TAlbum::CreateAlbum();
    mine->FileName = folder + QStringLiteral("00000001.tal");
    ASSERT_TRUE(files.Load(*mine));
    ASSERT_EQ(mine->Titles.size(), 1u);
    EXPECT_EQ(mine->Titles.front()->FileName, x);
}

TEST_F(ProgramJukeboxTest, TenSimultaneousSecondStartsLoseNoFile)
{
    const QString song = env.writeFile(QStringLiteral("long.mid"), ToneMidiBytes(30000, kLow));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({QStringLiteral("/play"), song}, wav);
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 1, 30000));

    QStringList handed;
    std::vector<QProcess *> starts;
    for (int i = 0; i < 10; ++i) {
        handed << env.writeFile(QStringLiteral("f%1.mid").arg(i), ToneMidiBytes(1000, kHigh));
        starts.push_back(
            Launch({handed.back()}, env.scratch() + QStringLiteral("s%1.wav").arg(i)));
    }
    for (QProcess *start : starts) {
        ASSERT_TRUE(start->waitForFinished(60000));
        EXPECT_EQ(start->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(start->exitCode(), 0);
    }
    EXPECT_EQ(first->state(), QProcess::Running);

    first->terminate();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitCode(), 0);
    const QStringList files = SystemAlbumFiles();
    ASSERT_EQ(files.size(), 11);
    EXPECT_EQ(files.front(), song);
    EXPECT_EQ(Sorted(files.mid(1)), Sorted(handed));
}

TEST_F(ProgramJukeboxTest, PauseBetweenTitlesIsSilentAndAnswersSecondStarts)
{
    QFile config(env.config());
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("REGEDIT4\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\"
                 "Visible]\r\n"
                 "\"PauseDelay\"=dword:00000bb8\r\n");
    config.close();
    const QString a = env.writeFile(QStringLiteral("a.mid"), ToneMidiBytes(1200, kLow));
    const QString b = env.writeFile(QStringLiteral("b.mid"), ToneMidiBytes(1200, kHigh));
    const QString c = env.writeFile(QStringLiteral("c.mid"), ToneMidiBytes(1200, kTop));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({QStringLiteral("/play"), a, b}, wav);
    // The first title has ended and the pause runs.
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 1, 60000, 1.0));

    // A start during the pause is answered then, not after it; its "/play" leaves the
    // sequence alone (the player is only between titles).
    QProcess *second =
        Launch({QStringLiteral("/play"), c}, env.scratch() + QStringLiteral("x.wav"));
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 0);
    const double answeredAt = ReadLiveRecording(wav).seconds;

    ASSERT_TRUE(WaitForPassages(wav, kKeys, 2, 60000, 0.3));
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitCode(), 0);

    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    const std::vector<TPassage> passages = FindPassages(recording, kKeys);
    ASSERT_EQ(KeysOf(passages), std::vector<int>({kLow, kHigh}));
    const double pause = passages[1].start - passages[0].end;
    EXPECT_GT(pause, 2.5); // the output drops time when the machine stalls it
    EXPECT_LT(pause, 5.0);
    EXPECT_LT(answeredAt, passages[1].start);
    // The pause that ran on was not started again by the "/play".
    EXPECT_LT(passages[1].start - answeredAt, 2.8);
    EXPECT_EQ(SystemAlbumFiles(), QStringList({a, b, c}));
}

TEST_F(ProgramJukeboxTest, ZipTitlePlaysItsMembersThenMovesOnAndLeavesNoFileBehind)
{
    const QByteArray nested = MakeZip({{"inner.mid", ToneMidiBytes(1000, kTop)}});
    const QString package = env.writeFile(
        QStringLiteral("songs.zip"), MakeZip({{"a.mid", ToneMidiBytes(1200, kLow)},
                                              {"b.zip", nested},
                                              {"c.kar", ToneMidiBytes(1200, kMiddle)}}));
    const QString d = env.writeFile(QStringLiteral("d.mid"), ToneMidiBytes(1200, kHigh));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({QStringLiteral("/play"), package, d}, wav);

    // While the package plays, its member is unpacked in the private folder.
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 1, 60000));
    const QString temp = TempFolder();
    EXPECT_TRUE(QFile::exists(temp + QStringLiteral("/a.mid")) ||
                QFile::exists(temp + QStringLiteral("/c.kar")));

    // Round the program once and into the package again, then end there.
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 4, 60000));
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_EQ(first->exitCode(), 0);

    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    const std::vector<int> keys = KeysOf(FindPassages(recording, kKeys));
    ASSERT_GE(keys.size(), 4u);
    EXPECT_EQ(std::vector<int>(keys.begin(), keys.begin() + 4),
              std::vector<int>({kLow, kMiddle, kHigh, kLow}));

    QStringList left;
    QDirIterator it(temp, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (!file.startsWith(temp + QStringLiteral("/instance/"))) left << file;
    }
    EXPECT_EQ(left, QStringList());
}

// A 4 GiB file that only pretends to be an archive and a zip bomb of 2 GiB are refused without
// being read through or unpacked; play moves on to the title after them, and the close asked
// for comes when that one ends.
TEST_F(ProgramJukeboxTest, HostilePackagesAreSkippedAndTheProgramStillCloses)
{
    const QString fake = env.writeFile(QStringLiteral("fake.zip"), "not an archive");
    {
        QFile file(fake);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.resize(qint64(4) << 30)); // sparse
    }
    const QString bomb = env.writeFile(QStringLiteral("bomb.zip"),
                                       MakeZeroBomb("zeros.wav", quint32(1) << 31));
    const QString d = env.writeFile(QStringLiteral("d.mid"), ToneMidiBytes(1200, kHigh));
    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({QStringLiteral("/play"), QStringLiteral("/close"), fake, bomb, d}, wav);
    ASSERT_TRUE(first->waitForFinished(60000));
    EXPECT_EQ(first->exitCode(), 0);

    const TRecording recording = ReadRecording(wav);
    ASSERT_TRUE(recording.ok);
    EXPECT_EQ(KeysOf(FindPassages(recording, kKeys)), std::vector<int>({kHigh}));
    EXPECT_EQ(SystemAlbumFiles(), QStringList({fake, bomb, d}));
}

} // namespace

// Faults once seen in the running jukebox, checked on the real program as a user meets them:
// titles that cannot be played, the album's current title after a start without files, text in a
// Windows code page, a file name holding ">", and a stopped program that keeps waking up.
#include "core/program_support.h"
#include "library/album.h"
#include "library/albumfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

#include <vector>

namespace {

using ProgramFaultsTest = TProgramTest;

constexpr int kLow = 64;
constexpr int kHigh = 76;
const std::vector<int> kKeys = {kLow, kHigh};

void WriteConfig(const QString &path, const QByteArray &values, const char *section)
{
    QFile config(path);
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\"
                            "CurrentVersion\\Preferences\\") +
                 section + "]\r\n" + values);
}

// An album of the user's in the program folder's albums folder, saved as file `number`.
QString SaveAlbum(const QString &home, int number, const QString &caption,
                  const QStringList &files, int currentTitle)
{
    const QString folder = home + QStringLiteral("Albums/");
    QDir().mkpath(folder);
    auto album = TAlbum::CreateAlbum();
    album->Caption = caption;
    for (const QString &file : files) {
        TTitle *title = album->AddTitle();
        title->FileName = file;
        title->Caption = QFileInfo(file).baseName();
    }
    album->RefreshInternalPrograms();
    album->CurrentTitle = album->Titles.at(std::size_t(currentTitle));
    TAlbumFile albumFiles(TAlbumFile::TContext{folder, {}, {}});
    const QString path = folder + QStringLiteral("%1.tal").arg(number, 8, 10, QLatin1Char('0'));
    albumFiles.SaveToFile(*album, path);
    return path;
}

// Voluntary and forced switches of every thread of a running process so far.
long ContextSwitches(qint64 pid)
{
    long total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.contains("ctxt_switches:")) total += line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return total;
}

// A title that cannot be opened is passed over; when no title of a pass plays, play stops and the
// close asked for ends the program.
TEST_F(ProgramFaultsTest, TitlesThatCannotBePlayedArePassedOverAndTheCloseStillComes)
{
    const QString a = env.writeFile(QStringLiteral("a.mid"), ToneMidiBytes(1000, kLow));
    const QString b = env.writeFile(QStringLiteral("b.mid"), ToneMidiBytes(1000, kHigh));
    const QString missing = env.scratch() + QStringLiteral("missing.mid");
    const QString broken = env.writeFile(QStringLiteral("broken.mid"), "MThd, but no more");

    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({QStringLiteral("/play"), a, missing, b}, wav);
    EXPECT_TRUE(WaitForPassages(wav, kKeys, 2, 20000));
    const std::vector<int> keys = KeysOf(FindPassages(ReadLiveRecording(wav), kKeys));
    EXPECT_EQ(std::vector<int>(keys.begin(), keys.begin() + std::min<std::size_t>(keys.size(), 2)),
              std::vector<int>({kLow, kHigh}));
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(20000));

    for (const QStringList &files : {QStringList{missing}, QStringList{broken, missing}}) {
        SCOPED_TRACE(files.join(QStringLiteral(" ")).toStdString());
        QFile::remove(env.home() + QStringLiteral("Albums/00000000.tal"));
        const QString silent = env.scratch() + QStringLiteral("%1.wav").arg(files.size());
        QProcess *tonaria =
            Launch(QStringList({QStringLiteral("/play"), QStringLiteral("/close")}) + files, silent);
        ASSERT_TRUE(tonaria->waitForFinished(20000));
        EXPECT_EQ(tonaria->exitCode(), 0);
        EXPECT_EQ(KeysOf(FindPassages(ReadRecording(silent), kKeys)), std::vector<int>());
    }
}

// A start without files opens the album's current title, so a later "/play" plays that one and
// the album keeps it as its current title.
TEST_F(ProgramFaultsTest, APlayHandedOverAfterAStartWithoutFilesPlaysTheAlbumsCurrentTitle)
{
    const QString a = env.writeFile(QStringLiteral("a.mid"), ToneMidiBytes(1000, kLow));
    const QString b = env.writeFile(QStringLiteral("b.mid"), ToneMidiBytes(20000, kHigh));
    const QString mine = SaveAlbum(env.home(), 1, QStringLiteral("Mine"), {a, b}, 1);
    WriteConfig(env.config(), "\"CurAlbum\"=dword:00000001\r\n", "Invisible");

    const QString wav = env.scratch() + QStringLiteral("first.wav");
    QProcess *first = Launch({}, wav);
    ASSERT_TRUE(WaitForSound(wav, 50000, 20000));
    QProcess *play = Launch({QStringLiteral("/play")}, env.scratch() + QStringLiteral("x.wav"));
    ASSERT_TRUE(play->waitForFinished(10000));
    ASSERT_TRUE(WaitForPassages(wav, kKeys, 1, 20000));
    EXPECT_EQ(KeysOf(FindPassages(ReadLiveRecording(wav), kKeys)).at(0), kHigh);

    first->terminate();
    ASSERT_TRUE(first->waitForFinished(20000));
    EXPECT_TRUE(TTestEnvironment::readFile(mine).contains("CurTitle=1"));
}

// Text written on another system in a Windows code page keeps its characters when the program
// writes it back: an album's caption and a stored password.
TEST_F(ProgramFaultsTest, TextInAWindowsCodePageIsWrittenBackWithItsCharacters)
{
    const QString a = env.writeFile(QStringLiteral("a.mid"), ToneMidiBytes(1000, kLow));
    const QString mine = SaveAlbum(env.home(), 1, QStringLiteral("Caf\u00e9"), {a}, 0);
    QByteArray album = TTestEnvironment::readFile(mine);
    ASSERT_TRUE(album.contains("Caf\xc3\xa9"));
    album.replace("Caf\xc3\xa9", "Caf\xe9");
    QFile albumFile(mine);
    ASSERT_TRUE(albumFile.open(QIODevice::WriteOnly));
    albumFile.write(album);
    albumFile.close();
    WriteConfig(env.config(),
                "\"SUProxyPassword\"=\"p\xe4ss\"\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\Brimvel\\Tonaria\\CurrentVersion\\Preferences\\"
                "Invisible]\r\n\"CurAlbum\"=dword:00000001\r\n",
                "Visible");

    const QString wav = env.scratch() + QStringLiteral("out.wav");
    QProcess *tonaria = Launch({}, wav);
    ASSERT_TRUE(WaitForSound(wav, 50000, 20000));
    tonaria->terminate();
    ASSERT_TRUE(tonaria->waitForFinished(20000));

    const QByteArray config = TTestEnvironment::readFile(env.config());
    EXPECT_FALSE(config.contains("\xef\xbf\xbd"));
    EXPECT_TRUE(config.contains("p\xc3\xa4ss") || config.contains("p\xe4ss"));
    album = TTestEnvironment::readFile(mine);
    EXPECT_FALSE(album.contains("\xef\xbf\xbd"));
    EXPECT_TRUE(album.contains("Caf\xc3\xa9") || album.contains("Caf\xe9"));
}

// A Linux file name may hold ">": its caption is the file's own name, not the folder path.
TEST_F(ProgramFaultsTest, AFileNameHoldingAGreaterThanSignIsCaptionedByItsName)
{
    const QString song = env.writeFile(QStringLiteral("Rock > Pop.mid"), ToneMidiBytes(300, kLow));
    QProcess *tonaria = Launch({QStringLiteral("/play"), QStringLiteral("/close"), song},
                               env.scratch() + QStringLiteral("out.wav"));
    ASSERT_TRUE(tonaria->waitForFinished(20000));
    TAlbumFile albums(TAlbumFile::TContext{env.home() + QStringLiteral("Albums/"), {}, {}});
    auto album = TAlbum::CreateAlbum();
    album->FileName = env.home() + QStringLiteral("Albums/00000000.tal");
    ASSERT_TRUE(albums.Load(*album));
    ASSERT_EQ(album->Titles.size(), 1u);
    EXPECT_EQ(album->Titles.front()->Caption.toStdString(), "Rock > Pop");
}

// With nothing playing and no window showing moving contents, no timer ticks and no audio clock
// runs: the stopped program hardly ever wakes up.
TEST_F(ProgramFaultsTest, AStoppedProgramStaysAsleep)
{
    QProcess *tonaria = Launch({}, QString()); // no sound output at all
    // Once the start-up is over, a whole second passes with hardly a wake-up.
    long last = ContextSwitches(tonaria->processId());
    long fewest = -1;
    for (int second = 0; second < 15 && !(fewest >= 0 && fewest < 20); ++second) {
        QThread::msleep(1000);
        const long now = ContextSwitches(tonaria->processId());
        if (fewest < 0 || now - last < fewest) fewest = now - last;
        last = now;
    }
    EXPECT_LT(fewest, 20);
    tonaria->terminate();
    ASSERT_TRUE(tonaria->waitForFinished(20000));
}

} // namespace

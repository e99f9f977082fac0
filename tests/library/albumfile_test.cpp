#include "library/album.h"
#include "library/albumfile.h"
#include "library/albumheader.h"
#include "library/uniquefilename.h"
#include "platform/system/messageservice.h"
#include "support/filesizelimit.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <unordered_set>

namespace {

const QByteArray kEvening = "[Album]\r\n"
                            "Caption=Evening\r\n"
                            "AlbumType=0\r\n"
                            "CurProgramIndex=3\r\n"
                            "CurTitle=1\r\n"
                            "DeviceName=\r\n"
                            "MediaID=\r\n"
                            "[Titles]\r\n"
                            "Nocturne,C:\\Music\\nocturne.mid,-1,\r\n"
                            "\"Slow Waltz\",\"C:\\Music\\slow waltz.mid\",-1,\r\n"
                            "[IProg]\r\n"
                            "Caption=Normal\r\n"
                            "ProgramType=1\r\n"
                            "Links=0 1\r\n"
                            "[IProg]\r\n"
                            "Caption=Shuffle\r\n"
                            "ProgramType=2\r\n"
                            "Links=1 0\r\n"
                            "[IProg]\r\n"
                            "Caption=Reverse\r\n"
                            "ProgramType=3\r\n"
                            "Links=1 0\r\n"
                            "[CProg]\r\n"
                            "Caption=Favourites\r\n"
                            "ProgramType=0\r\n"
                            "Links=1 1 0\r\n";

std::vector<int> Links(const TAlbum &album, const TProgram &program)
{
    std::vector<int> out;
    for (const TTitle *t : program.Titles)
        out.push_back(static_cast<int>(album.TitleIndex(t)));
    return out;
}

// Everything a loaded album promises, whatever file it came from.
void ExpectConsistent(const TAlbum &album)
{
    ASSERT_TRUE(album.Loaded);
    ASSERT_EQ(album.InternalPrograms.size(), 3u);
    const std::unordered_set<const TTitle *> titles(album.Titles.begin(), album.Titles.end());
    for (int i = 0; i < 3; ++i) {
        const TProgram &p = *album.InternalPrograms[i];
        EXPECT_EQ(p.ProgramType, i + 1);
        EXPECT_EQ(p.Titles.size(), album.Titles.size());
        EXPECT_EQ(std::unordered_set<const TTitle *>(p.Titles.begin(), p.Titles.end()), titles);
    }
    for (const auto &p : album.CustomPrograms) {
        EXPECT_EQ(p->ProgramType, ptCustom);
        for (const TTitle *t : p->Titles)
            EXPECT_TRUE(titles.contains(t));
    }
    ASSERT_NE(album.CurrentProgram, nullptr);
    EXPECT_GE(album.CurrentProgram->ProgramIndex(), 0);
    EXPECT_TRUE(!album.CurrentTitle || titles.contains(album.CurrentTitle));
    EXPECT_LE(album.MediaID.size(), TAlbum::kMediaIDLength);
}

class AlbumFileTest : public ::testing::Test {
protected:
    QString albums() const { return env.home() + QStringLiteral("Albums/"); }

    TAlbumFile Files()
    {
        return TAlbumFile({albums(), [this](const TAlbum &a) { return &a == systemAlbum; },
                           [this](TAlbum &a) { loaded.push_back(&a); }});
    }

    // Loads text given as the file's bytes.
    std::unique_ptr<TAlbum> LoadBytes(const QByteArray &bytes)
    {
        auto album = TAlbum::CreateAlbum();
        album->FileName = env.writeFile(QStringLiteral("in.tal"), bytes);
        Files().Load(*album);
        return album;
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    const TAlbum *systemAlbum = nullptr;
    std::vector<TAlbum *> loaded;
};

} // namespace

TEST_F(AlbumFileTest, EveningIsWrittenByteForByteAndReadsBack)
{
    auto album = TAlbum::CreateAlbum();
    album->Caption = QStringLiteral("Evening");
    TTitle *nocturne = album->AddTitle();
    nocturne->Caption = QStringLiteral("Nocturne");
    nocturne->FileName = QStringLiteral("C:\\Music\\nocturne.mid");
    TTitle *waltz = album->AddTitle();
    waltz->Caption = QStringLiteral("Slow Waltz");
    waltz->FileName = QStringLiteral("C:\\Music\\slow waltz.mid");
    album->InternalPrograms[0]->Titles = {nocturne, waltz};
    album->InternalPrograms[1]->Titles = {waltz, nocturne};
    album->InternalPrograms[2]->Titles = {waltz, nocturne};
    auto favourites = album->CreateProgram();
    favourites->Caption = QStringLiteral("Favourites");
    favourites->Titles = {waltz, waltz, nocturne};
    album->CustomPrograms.push_back(std::move(favourites));
    album->CurrentProgram = album->CustomPrograms[0].get();
    album->CurrentTitle = waltz;

    const QString path = albums() + QStringLiteral("evening.tal");
    EXPECT_EQ(Files().SaveToFile(*album, path), path);
    EXPECT_EQ(TTestEnvironment::readFile(path), kEvening);

    auto back = TAlbum::CreateAlbum();
    back->FileName = path;
    ASSERT_TRUE(Files().Load(*back));
    ExpectConsistent(*back);
    EXPECT_EQ(back->CurrentProgram, back->CustomPrograms.at(0).get());
    EXPECT_EQ(back->CurrentTitle, back->Titles.at(1));
    EXPECT_EQ(loaded, (std::vector<TAlbum *>{back.get()}));
    EXPECT_TRUE(boxes.boxes().empty());

    // Written again, the file is the same: every value was read.
    EXPECT_EQ(Files().SaveToFile(*back, path), path);
    EXPECT_EQ(TTestEnvironment::readFile(path), kEvening);

    // Line ends of any kind are read, and a byte order mark is skipped.
    for (const char *end : {"\n", "\r"}) {
        auto other = LoadBytes(QByteArray(kEvening).replace("\r\n", end));
        EXPECT_EQ(Links(*other, *other->CustomPrograms.at(0)), (std::vector<int>{1, 1, 0}));
    }
    EXPECT_EQ(LoadBytes("\xEF\xBB\xBF" + kEvening)->Caption, QStringLiteral("Evening"));
}

TEST_F(AlbumFileTest, ValuesRoundTripWhateverTheyHold)
{
    auto album = TAlbum::CreateAlbum();
    album->Caption = QStringLiteral("a=b = c");
    album->AlbumType = -7;
    album->MediaID = QStringLiteral("0123456789ABCDEFGH");
    TTitle *t = album->AddTitle();
    t->Caption = QStringLiteral("[Titles]"); // must not read back as a section header
    t->FileName = QStringLiteral("/m/\"q\", x.mid");
    t->Track = 4;
    t->DeviceName = QStringLiteral("dev one");
    album->AddTitle()->Caption = QStringLiteral("line\r\nbreak \u00e9t\u00e9");
    album->AddTitle()->Caption = QString();

    const QString path = Files().SaveToFile(*album, QString());
    ASSERT_FALSE(path.isEmpty());
    auto back = TAlbum::CreateAlbum();
    back->FileName = path;
    ASSERT_TRUE(Files().Load(*back));
    ExpectConsistent(*back);
    EXPECT_EQ(back->Caption, QStringLiteral("a=b = c"));
    EXPECT_EQ(back->AlbumType, -7);
    EXPECT_EQ(back->MediaID, QStringLiteral("0123456789ABCDEF"));
    ASSERT_EQ(back->Titles.size(), 3u);
    EXPECT_EQ(back->Titles[0]->Caption, QStringLiteral("[Titles]"));
    EXPECT_EQ(back->Titles[0]->FileName, QStringLiteral("/m/\"q\", x.mid"));
    EXPECT_EQ(back->Titles[0]->Track, 4);
    EXPECT_EQ(back->Titles[0]->DeviceName, QStringLiteral("dev one"));
    // A line break cannot live in a line: it is kept as blanks.
    EXPECT_EQ(back->Titles[1]->Caption, QStringLiteral("line  break \u00e9t\u00e9"));
    EXPECT_TRUE(back->Titles[2]->Caption.isEmpty());
}

TEST_F(AlbumFileTest, ReaderIsTolerantAsDescribed)
{
    // Keys are not trimmed. A bare album loads with the internal programs and Normal current.
    auto album = LoadBytes("[Album]\r\nCaption = Evening\r\n");
    ExpectConsistent(*album);
    EXPECT_EQ(album->Caption, QStringLiteral("Default Album name"));
    EXPECT_EQ(album->CurrentProgram, album->InternalPrograms[0].get());
    EXPECT_EQ(album->CurrentTitle, nullptr);

    album = LoadBytes("[Album]\nCurProgramIndex=9\nCurTitle=-1\n[Titles]\na\nb\nc\n"
                      "[CProg]\nCaption=Mine\nProgramType=2\nLinks=0 0 7\n");
    ExpectConsistent(*album);
    EXPECT_EQ(album->CurrentProgram, album->CustomPrograms.at(0).get()); // 9 clamped to 3
    EXPECT_EQ(Links(*album, *album->CurrentProgram), (std::vector<int>{0, 0}));
    EXPECT_EQ(album->CurrentTitle, album->Titles[0]); // the current program's first

    // Odd title lines still give titles; an unreadable track stays -1.
    album = LoadBytes("[Titles]\nonly\n\"Name\",file,x12,dev,extra\n[]\n");
    ASSERT_EQ(album->Titles.size(), 3u);
    EXPECT_EQ(album->Titles[1]->Track, -1);
    EXPECT_EQ(album->Titles[1]->DeviceName, QStringLiteral("dev"));
    EXPECT_EQ(album->Titles[2]->Caption, QStringLiteral("[]"));

    // The stored shuffle order stays; titles it lacks are appended; repeats go.
    album = LoadBytes("[Titles]\na\nb\nc\n[IProg]\nProgramType=1\nLinks=\n"
                      "[IProg]\nProgramType=2\nLinks=2,1 2\n");
    ExpectConsistent(*album);
    EXPECT_EQ(Links(*album, *album->InternalPrograms[1]), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(Links(*album, *album->InternalPrograms[2]), (std::vector<int>{2, 1, 0}));
}

TEST_F(AlbumFileTest, HostileFilesNeverBreakTheAlbum)
{
    const QByteArray odd[] = {
        "[Album]\nCurProgramIndex=99999999999999999999\nCurTitle=2147483648\n"
        "AlbumType=-2147483649\n[Titles]\na\n[CProg]\nLinks=4294967296 -1 2147483647 0 x\n",
        "[IProg]\nProgramType=-5\n[IProg]\nProgramType=0\n[IProg]\nProgramType=3\n"
        "[IProg]\nProgramType=3\n[IProg]\nProgramType=2\nLinks=0 0 0\n[Titles]\na\n",
        "Links=0\nCaption=x\n[CProg\n[Titles\n]\n[[]]\n=\n==\n\"\n,,,,\n",
        QByteArray(1000, '\0'),
        "[Titles]\n\"" + QByteArray(5000, '"'),
    };
    for (const QByteArray &bytes : odd)
        ExpectConsistent(*LoadBytes(bytes));

    // Every truncation of a good file, and random mixtures of file fragments and bytes.
    for (int cut = 0; cut <= kEvening.size(); ++cut)
        ExpectConsistent(*LoadBytes(kEvening.left(cut)));
    const QList<QByteArray> pieces =
        QByteArray("[Album]|[Titles]|[IProg]|[CProg]|Links=|CurTitle=|CurProgramIndex=|"
                   "ProgramType=|Caption=|\r\n|\n|\r|\"|,| |0|1|-1|7|99999999999|\xff\xfe")
            .split('|');
    std::mt19937 random(2024);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        for (int i = static_cast<int>(random() % 60); i > 0; --i) {
            if (random() % 5 == 0)
                bytes += static_cast<char>(random() % 256);
            else
                bytes += pieces[random() % pieces.size()];
        }
        ExpectConsistent(*LoadBytes(bytes));
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(AlbumFileTest, MissingAndUnreadableFilesAreReported)
{
    auto album = TAlbum::CreateAlbum();
    album->AddTitle();
    const QString missing = albums() + QStringLiteral("gone.tal");
    EXPECT_FALSE(Files().LoadFromFile(*album, missing));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Cannot find \"" + missing + "\".");
    EXPECT_FALSE(album->Loaded);
    EXPECT_TRUE(album->Titles.empty() && album->InternalPrograms.empty());
    EXPECT_TRUE(loaded.empty());

    // A file that cannot be read: Retry reads again, Cancel loads the album empty.
    const QString unreadable = albums() + QStringLiteral("dir.tal");
    ASSERT_TRUE(QDir().mkpath(unreadable));
    boxes.clear();
    boxes.queueAnswer(IDRETRY);
    boxes.queueAnswer(IDCANCEL);
    EXPECT_FALSE(Files().LoadFromFile(*album, unreadable));
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_TRUE(boxes.boxes()[1].text.startsWith("Error loading file \"" + unreadable + "\".\r\r"));
    EXPECT_EQ(boxes.boxes()[1].flags, MB_RETRYCANCEL | MB_ICONERROR);
    ExpectConsistent(*album);
    EXPECT_EQ(loaded.size(), 1u);

    // Saving the album that loaded empty puts the unread file aside instead of writing over it.
    album->FileName = unreadable;
    album->AddTitle()->Caption = QStringLiteral("new");
    ASSERT_TRUE(Files().Save(*album));
    EXPECT_TRUE(QFileInfo(unreadable + QStringLiteral(".unreadable")).isDir());
    EXPECT_TRUE(TTestEnvironment::readFile(unreadable).contains("new"));
    EXPECT_FALSE(album->FileUnread);
}

TEST_F(AlbumFileTest, SavingNamesNewFilesMarksTheSystemAlbumAndReportsFailures)
{
    auto album = TAlbum::CreateAlbum();
    album->Caption = QStringLiteral("Temporary");
    systemAlbum = album.get();
    ASSERT_TRUE(Files().Save(*album));
    ASSERT_TRUE(Files().Save(*album)); // keeps its file
    EXPECT_EQ(album->FileName, albums() + QStringLiteral("00000000.tal"));
    EXPECT_TRUE(TTestEnvironment::readFile(album->FileName)
                    .startsWith("[Album]\r\nSysAlbum=1\r\nCaption=Temporary\r\n"));
    auto other = TAlbum::CreateAlbum();
    ASSERT_TRUE(Files().Save(*other));
    EXPECT_EQ(other->FileName, albums() + QStringLiteral("00000001.tal"));
    EXPECT_FALSE(TTestEnvironment::readFile(other->FileName).contains("SysAlbum"));

    const QString blocked = env.writeFile(QStringLiteral("plainfile"), "x") + "/a.tal";
    other->FileName = blocked;
    EXPECT_FALSE(Files().Save(*other));
    EXPECT_EQ(other->FileName, blocked);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(boxes.boxes()[0].text.startsWith(QStringLiteral("Error saving file")));
}

TEST_F(AlbumFileTest, AFileFromAWindowsCodePageKeepsItsCharacters)
{
    // Written on Windows in its Western code page: not UTF-8, and no character may be lost.
    const QByteArray windows = "[Album]\r\nCaption=Caf\xe9 \x96 Ni\xf1o\r\n[Titles]\r\n"
                               "\"M\xf6tley \x93Live\x94\",/m/\xe9t\xe9.mid,-1,\r\n";
    const QString caption = QStringLiteral("Caf\u00e9 \u2013 Ni\u00f1o");
    auto album = LoadBytes(windows);
    EXPECT_EQ(album->Caption, caption);
    ASSERT_EQ(album->Titles.size(), 1u);
    EXPECT_EQ(album->Titles[0]->Caption, QStringLiteral("M\u00f6tley \u201cLive\u201d"));
    EXPECT_EQ(album->Titles[0]->FileName, QStringLiteral("/m/\u00e9t\u00e9.mid"));
    EXPECT_EQ(ReadAlbumHeader(album->FileName).Caption, caption);

    // Saved back as UTF-8, without a replacement character, and read the same again.
    ASSERT_TRUE(Files().Save(*album));
    const QByteArray saved = TTestEnvironment::readFile(album->FileName);
    EXPECT_TRUE(saved.contains("Caption=Caf\xc3\xa9 \xe2\x80\x93 Ni\xc3\xb1o\r\n"));
    EXPECT_FALSE(saved.contains("\xef\xbf\xbd"));
    EXPECT_EQ(LoadBytes(saved)->Caption, caption);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(AlbumFileTest, OversizedFilesAreRefusedAndFailedWritesKeepTheOldFile)
{
    // A file larger than any album is not read: the list passes over it, a load reports it.
    const QString huge = env.writeFile(QStringLiteral("huge.tal"), "[Album]\nCaption=Huge\n");
    ASSERT_TRUE(QFile::resize(huge, TAlbumFile::kMaxFileSize + 1)); // sparse
    EXPECT_TRUE(ReadAlbumHeader(huge).Unreadable);
    auto album = TAlbum::CreateAlbum();
    boxes.queueAnswer(IDCANCEL);
    EXPECT_FALSE(Files().LoadFromFile(*album, huge));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(boxes.boxes()[0].text.endsWith(QStringLiteral("larger than 64 MiB.")));

    // A write the system refuses (here: past the file size the process may write, as on a
    // full disk) names the system's reason, and the album file is still the old one, whole.
    album = LoadBytes(kEvening);
    for (int i = 0; i < 200; ++i)
        album->AddTitle()->FileName = QStringLiteral("/music/a rather long file name.mid");
    boxes.clear();
    {
        TFileSizeLimit limit(4096);
        EXPECT_FALSE(Files().Save(*album));
    }
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Error saving file \"" + album->FileName + "\".\r\r" +
                                         QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(TTestEnvironment::readFile(album->FileName), kEvening);
    EXPECT_EQ(QDir(env.scratch()).entryList(QDir::Files),
              (QStringList{QStringLiteral("huge.tal"), QStringLiteral("in.tal")}));
}

TEST_F(AlbumFileTest, HeaderScanTrimsAndStopsAtTheCaption)
{
    auto header = [this](const QByteArray &bytes) {
        return ReadAlbumHeader(env.writeFile(QStringLiteral("h.tal"), bytes));
    };
    EXPECT_EQ(header("[Album]\r\n  Caption = Evening  \r\n").Caption, QStringLiteral("Evening"));
    EXPECT_TRUE(header("[Album]\rSysAlbum = 1\rCaption=T\r").SystemAlbum);
    EXPECT_FALSE(header("[Album]\nCaption=T\nSysAlbum=1\n").SystemAlbum); // after: not seen
    EXPECT_EQ(header("[Album]\n[Titles]\nCaption=No\n").Caption,
              QStringLiteral("Default Album name"));
    const TAlbumHeader missing = ReadAlbumHeader(env.scratch() + QStringLiteral("none.tal"));
    EXPECT_EQ(missing.Caption, QStringLiteral("Default Album name"));
    EXPECT_FALSE(missing.SystemAlbum || missing.Unreadable);
    ASSERT_TRUE(QDir().mkpath(env.scratch() + QStringLiteral("d.tal")));
    EXPECT_TRUE(ReadAlbumHeader(env.scratch() + QStringLiteral("d.tal")).Unreadable);
}

TEST_F(AlbumFileTest, UniqueNamesCountInBase36)
{
    const QString folder = env.scratch();
    auto take = [&](const QString &name) { env.writeFile(name + QStringLiteral(".tal"), ""); };
    // Each name taken in turn: 0..9, then A..Z, then 10.
    const QString digits = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    for (const QChar digit : digits) {
        const QString name = QStringLiteral("0000000") + digit;
        ASSERT_EQ(UniqueFileName(folder, ".tal"), folder + name + ".tal");
        take(name);
    }
    EXPECT_EQ(UniqueFileName(folder, ".tal"), folder + "00000010.tal");
    EXPECT_EQ(UniqueFileName(folder, ".tui"), folder + "00000000.tui");
}

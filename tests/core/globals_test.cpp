#include "core/tonariaglobals.h"
#include "localisation/showmessage.h"
#include "platform/midi/midifile.h"
#include "platform/system/messageservice.h"
#include "playback/sonoricplayer.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QByteArray AlbumText(const QByteArray &caption, bool system)
{
    QByteArray text = "[Album]\r\n";
    if (system) text += "SysAlbum=1\r\n";
    return text + "Caption=" + caption + "\r\n";
}

void WriteAlbum(const TTonariaGlobals &g, const QString &name, const QByteArray &bytes)
{
    QFile f(g.AlbumsFolder + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList Captions(const TTonariaGlobals &g)
{
    QStringList captions;
    for (const auto &album : g.Albums)
        captions << album->Caption;
    return captions;
}

// Each test in a fresh program folder, with message boxes answered by script.
class GlobalsTest : public ::testing::Test {
protected:
    TTestEnvironment env;
    TScriptedMessageService boxes;
    TTonariaGlobals g{QStringLiteral("/nonexistent/tonaria")};
};

} // namespace

TEST_F(GlobalsTest, FoldersLiveBelowTheProgramFolderWhichGetsTheShippedFiles)
{
    EXPECT_EQ(g.ExeFolder, env.home());
    EXPECT_EQ(g.AlbumsFolder, env.home() + QStringLiteral("Albums/"));
    EXPECT_EQ(g.DefaultThemeFolder, env.home() + QStringLiteral("Themes/Default/"));
    EXPECT_TRUE(QFileInfo::exists(g.LangFolder + QStringLiteral("English.tlg")));
    EXPECT_TRUE(QFileInfo(g.TempFolder).isDir());
    EXPECT_EQ(&Globals(), &g);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(g.PadNumber(1234, 3), QStringLiteral("1234")); // never cut
}

TEST_F(GlobalsTest, EmptyAlbumsFolderYieldsTheTemporarySystemAlbum)
{
    g.LoadAlbumList();
    ASSERT_EQ(g.Albums.size(), 1u);
    EXPECT_EQ(g.SystemAlbum, g.Albums[0].get());
    EXPECT_EQ(g.CurrentAlbum, g.SystemAlbum);
    EXPECT_EQ(g.SystemAlbum->Caption, QStringLiteral("Temporary"));
    EXPECT_EQ(QFileInfo(g.SystemAlbum->FileName).fileName(), QStringLiteral("00000000.tal"));

    // The station's next save writes the mark; a new album list finds it again.
    g.SetCurrentAlbum(g.SystemAlbum);
    g.SetCurrentAlbum(nullptr);
    g.LoadAlbumList();
    ASSERT_EQ(g.Albums.size(), 1u);
    ASSERT_NE(g.SystemAlbum, nullptr);
    EXPECT_EQ(g.SystemAlbum->Caption, QStringLiteral("Temporary"));
}

TEST_F(GlobalsTest, SystemAlbumComesFirstAndTheOthersByCaption)
{
    WriteAlbum(g, QStringLiteral("00000001.tal"), AlbumText("beta", false));
    WriteAlbum(g, QStringLiteral("00000002.tal"), AlbumText("Alpha", false));
    WriteAlbum(g, QStringLiteral("00000003.tal"), AlbumText("gamma", false));
    WriteAlbum(g, QStringLiteral("00000004.tal"), AlbumText("Temporary", true));
    g.LoadAlbumList();
    EXPECT_EQ(Captions(g), (QStringList{"Temporary", "Alpha", "beta", "gamma"}));
    EXPECT_EQ(g.CurrentAlbum, g.Albums[0].get());
}

TEST_F(GlobalsTest, LaterSystemMarkWinsAndUnreadableFilesArePassedOver)
{
    WriteAlbum(g, QStringLiteral("00000001.tal"), AlbumText("First", true));
    WriteAlbum(g, QStringLiteral("00000002.tal"), AlbumText("Second", true));
    // A folder with an album file's name cannot be read as one.
    QDir().mkpath(g.AlbumsFolder + QStringLiteral("00000003.tal"));
    g.LoadAlbumList();
    ASSERT_NE(g.SystemAlbum, nullptr);
    EXPECT_EQ(g.SystemAlbum->Caption, QStringLiteral("Second"));
    EXPECT_EQ(Captions(g), (QStringList{"Second", "First"}));
}

TEST_F(GlobalsTest, SwitchingToTheCurrentAlbumNeitherSavesNorReloads)
{
    g.LoadAlbumList();
    TAlbum *album = g.CurrentAlbum;
    g.CurrentAlbum = nullptr;
    g.SetCurrentAlbum(album);
    ASSERT_TRUE(album->Loaded);
    album->AddTitle()->Caption = QStringLiteral("unsaved");
    int updates = 0;
    g.OnUpdateControls = [&] { ++updates; };
    g.SetCurrentAlbum(album);
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(album->Titles.size(), 1u);
    EXPECT_FALSE(TTestEnvironment::readFile(album->FileName).contains("unsaved"));

    // Switching away saves it.
    g.SetCurrentAlbum(nullptr);
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(TTestEnvironment::readFile(album->FileName).contains("unsaved"));
}

TEST(Globals, PreferencesRoundTripThroughTheRegistryFile)
{
    TTestEnvironment env;
    TScriptedMessageService boxes;
    {
        TTonariaGlobals g(QStringLiteral("/nonexistent/tonaria"));
        g.LoadPreferences();
        EXPECT_EQ(g.Lang, QStringLiteral("English"));
        EXPECT_TRUE(g.LoadLanguage());
        g.LoadAlbumList();
        g.PauseDelay = 3000;
        EXPECT_TRUE(g.SavePreferences());
        EXPECT_EQ(g.CurAlbum, 0);
    }
    TTonariaGlobals g(QStringLiteral("/nonexistent/tonaria"));
    g.LoadPreferences();
    EXPECT_EQ(g.PauseDelay, 3000);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(GlobalsTest, ApplyingPreferencesLoadsTheLanguageAndSetsTheResetFile)
{
    TSonoricPlayer player;
    g.Player = &player;

    g.Reset = true;
    g.ResetFile = QStringLiteral("GM Reset.mid");
    g.ApplyPreferences();
    EXPECT_EQ(player.FileMIDIReset(), g.ResetFolder + QStringLiteral("GM Reset.mid"));
    EXPECT_TRUE(QFileInfo::exists(player.FileMIDIReset()));
    EXPECT_FALSE(
        GetMessageText(QStringLiteral("ErrFileLoad")).startsWith(QStringLiteral("[Cannot")));

    g.Reset = false;
    g.ApplyPreferences();
    EXPECT_TRUE(player.FileMIDIReset().isEmpty());
    EXPECT_TRUE(boxes.boxes().empty());
    g.Player = nullptr;
}

TEST(Globals, AFirstStartHasTheDemoAlbumAndItsPiecesPlay)
{
    TTestEnvironment env;
    QDir(env.home()).rmdir(QStringLiteral("Albums")); // a home that has never had a library
    TScriptedMessageService boxes;
    {
        TTonariaGlobals g(QStringLiteral("/nonexistent/tonaria"));
        g.LoadAlbumList();
        ASSERT_EQ(Captions(g), (QStringList{"Temporary", "Demo"}));

        TAlbum &demo = *g.Albums[1];
        ASSERT_TRUE(g.AlbumFile().Load(demo));
        ASSERT_EQ(demo.Titles.size(), 3u);
        for (const auto &title : demo.Titles) {
            const QString path = g.TitleFilePath(title->FileName);
            EXPECT_TRUE(QDir::isAbsolutePath(path)) << path.toStdString();
            TMidiFile music;
            ASSERT_TRUE(music.load(path)) << path.toStdString();
            EXPECT_GT(music.lengthMs(), 20000u) << path.toStdString();
        }

        // The demo is a welcome, not a fixture: once the user has a library, a deleted demo album
        // stays deleted.
        QFile::remove(demo.FileName);
    }
    TTonariaGlobals again(QStringLiteral("/nonexistent/tonaria"));
    again.LoadAlbumList();
    EXPECT_FALSE(Captions(again).contains(QStringLiteral("Demo")));
    EXPECT_TRUE(boxes.boxes().empty());
}

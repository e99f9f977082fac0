// The station in the test's own process: the start-up with and without files, the album it
// starts on, drops, hand-offs, the recent files, the deferred commands and the close.
#include "core/recentfiles.h"
#include "core/station.h"
#include "core/stationevents.h"
#include "core/stationkeys.h"
#include "core/stationlists.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/albumfile.h"
#include "library/commatext.h"
#include "platform/system/messageservice.h"
#include "platform/system/registry.h"
#include "playback/player_support.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QStringList Files(const TAlbum &album)
{
    QStringList names;
    for (const TTitle *title : album.Titles)
        names << title->FileName;
    return names;
}

QStringList Rows(const QListWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

class StationTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSoundFont(); }

    std::unique_ptr<TfStation> Start(const QStringList &arguments)
    {
        return std::make_unique<TfStation>(ParseCommandLine(arguments),
                                           QStringLiteral("/nonexistent/tonaria"), 24);
    }
    QString Midi(const QString &name, std::uint32_t lengthMs = 1000)
    {
        return env.writeFile(name, MidiFileBytes(lengthMs));
    }
    // An album file of the given caption in the program folder.
    void WriteAlbum(const QString &fileName, const QByteArray &caption)
    {
        QDir().mkpath(env.home() + QStringLiteral("Albums"));
        QFile file(env.home() + QStringLiteral("Albums/") + fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Album]\r\nCaption=" + caption + "\r\n");
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
};

TEST_F(StationTest, FilesOnTheCommandLineBecomeTheSystemAlbumAndPlayAtTheFirstShowing)
{
    const QString a = Midi(QStringLiteral("first_song.mid"));
    const QString b = Midi(QStringLiteral("SECOND.mid"));
    {
        auto station = Start({QStringLiteral("/PLAY"), a, QString(), QStringLiteral("/other"), b});
        TTonariaGlobals &g = station->GlobalState();
        ASSERT_EQ(g.CurrentAlbum, g.SystemAlbum);
        EXPECT_EQ(Files(*g.CurrentAlbum), QStringList({a, b}));
        EXPECT_EQ(g.CurrentAlbum->Titles[0]->Caption, QStringLiteral("First Song"));
        EXPECT_EQ(Rows(station->Lists().lbTitles()),
                  QStringList({QStringLiteral("First Song"), QStringLiteral("Second")}));
        EXPECT_EQ(g.LoadedTitleSource, g.CurrentAlbum->Titles[0]); // opened, not started
        EXPECT_TRUE(g.PlayRequested);
        EXPECT_FALSE(g.CloseRequested);

        station->FirstShow();
        EXPECT_FALSE(g.PlayRequested);
        EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);
    }
    // The next start without arguments finds the system album emptied.
    EXPECT_TRUE(Start({})->GlobalState().SystemAlbum->Titles.empty());
}

TEST_F(StationTest, OnlyPlayGivenStartsOnAnEmptySystemAlbumAndPlaysNothing)
{
    WriteAlbum(QStringLiteral("aaaaaaaa.tal"), "Jazz");
    {
        auto station = Start({});
        TTonariaGlobals &g = station->GlobalState();
        g.SetCurrentAlbum(g.Albums[1].get());
    }
    auto station = Start({QStringLiteral("/play")});
    TTonariaGlobals &g = station->GlobalState();
    EXPECT_EQ(g.CurrentAlbum, g.SystemAlbum);
    EXPECT_TRUE(g.CurrentAlbum->Titles.empty());
    station->FirstShow();
    EXPECT_FALSE(g.PlayRequested);
    EXPECT_FALSE(station->Player().Opened());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(StationTest, TheSavedAlbumPositionIsClampedToTheList)
{
    WriteAlbum(QStringLiteral("aaaaaaaa.tal"), "Jazz");
    WriteAlbum(QStringLiteral("bbbbbbbb.tal"), "Blues");
    {
        auto station = Start({});
        TTonariaGlobals &g = station->GlobalState();
        ASSERT_EQ(g.Albums.size(), 3u);
        EXPECT_EQ(g.CurrentAlbum, g.SystemAlbum); // no preference yet: the first
        g.SetCurrentAlbum(g.Albums[2].get());
    }
    {
        auto station = Start({});
        TTonariaGlobals &g = station->GlobalState();
        EXPECT_EQ(g.CurrentAlbum->Caption, QStringLiteral("Jazz"));
        EXPECT_TRUE(g.CurrentAlbum->Loaded);
    }
    // A stale position past the end gives the last album, a negative one the first.
    for (const int stored : {7, -1}) {
        TRegistryStore store(env.config());
        ASSERT_TRUE(store.load());
        TRegistry registry(store);
        ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Software\\Brimvel\\Tonaria\\CurrentVersion\\"
                                                    "Preferences\\Invisible"),
                                     true));
        registry.WriteInteger(QStringLiteral("CurAlbum"), stored);
        ASSERT_TRUE(registry.Flush());
        auto station = Start({});
        EXPECT_EQ(station->GlobalState().CurrentAlbum->Caption,
                  stored == 7 ? QStringLiteral("Jazz") : QStringLiteral("Temporary"));
    }
}

TEST_F(StationTest, DroppedFilesJoinTheAlbumAndACustomProgramOnly)
{
    auto station = Start({});
    TTonariaGlobals &g = station->GlobalState();
    station->FirstShow();
    TAlbum &album = *g.CurrentAlbum;
    const QString a = Midi(QStringLiteral("a.mid")), b = Midi(QStringLiteral("b.mid")),
                  c = Midi(QStringLiteral("c.mid"));

    // On the Shuffle program: the album takes them, the shuffle order picks them up.
    album.SetCurrentProgram(album.InternalPrograms[1].get());
    station->DropFiles({a, b, c});
    EXPECT_EQ(Files(album), QStringList({a, b, c}));
    EXPECT_EQ(album.CurrentProgram->Titles.size(), 3u);
    EXPECT_EQ(Rows(station->Lists().lbTitles()).size(), 3);
    // Nothing was loaded: the first title of the program is opened and is the current one, so
    // that Play plays it.
    ASSERT_NE(g.LoadedTitleSource, nullptr);
    EXPECT_EQ(album.CurrentTitle, g.LoadedTitleSource);
    station->aPlay->trigger();
    EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);

    // On a custom program the titles join it too; Normal follows the album.
    auto custom = album.CreateProgram();
    TProgram *mine = custom.get();
    album.CustomPrograms.push_back(std::move(custom));
    album.SetCurrentProgram(mine);
    const QString d = Midi(QStringLiteral("d.mid"));
    station->DropFiles({d});
    EXPECT_EQ(mine->Titles.size(), 1u);
    EXPECT_EQ(album.InternalPrograms[0]->Titles.size(), 4u);

    album.AlbumType = 1; // not a file album: drops are ignored
    station->DropFiles({a});
    EXPECT_EQ(album.Titles.size(), 4u);
}

TEST_F(StationTest, HandOffSwitchesToTheSystemAlbumCommitsAndPlays)
{
    WriteAlbum(QStringLiteral("aaaaaaaa.tal"), "Jazz");
    auto station = Start({});
    TTonariaGlobals &g = station->GlobalState();
    station->FirstShow();
    g.SetCurrentAlbum(g.Albums[1].get());
    const QString a = Midi(QStringLiteral("a.mid")), b = Midi(QStringLiteral("b.mid"));

    station->setPlayRequested();
    station->setCloseRequested();
    station->handoffAddFile(a);
    EXPECT_EQ(g.CurrentAlbum, g.SystemAlbum);
    station->handoffAddFile(b);
    EXPECT_EQ(Files(*g.CurrentAlbum), QStringList({a, b}));
    EXPECT_FALSE(station->Player().Opened()); // selection waits for the commit
    station->handoffCommit();
    EXPECT_EQ(g.LoadedTitleSource, g.CurrentAlbum->Titles[0]);
    EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);
    EXPECT_FALSE(g.PlayRequested);
    EXPECT_TRUE(g.CloseRequested);

    // A transport command of the user cancels the close request.
    station->aPlayPause->trigger();
    EXPECT_FALSE(g.CloseRequested);
    // A paused title stays paused through a later "/play".
    station->setPlayRequested();
    station->handoffCommit();
    EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PAUSE);
}

TEST_F(StationTest, RecentFilesKeepTheTenNewestOnceEachAcrossRuns)
{
    TRecentFiles recent;
    for (int i = 1; i <= 12; ++i)
        recent.Add(QStringLiteral("/music/%1.mid").arg(i), i);
    recent.Add(QStringLiteral("/music/5.mid"), 50);
    recent.Add(QString());
    ASSERT_EQ(recent.Items().size(), 10u);
    EXPECT_EQ(recent.Items()[0].Name, QStringLiteral("/music/5.mid"));
    EXPECT_EQ(recent.Items()[0].Data, 50);
    EXPECT_EQ(recent.Items()[1].Name, QStringLiteral("/music/12.mid"));
    EXPECT_EQ(recent.Items()[9].Name, QStringLiteral("/music/3.mid"));

    const QString a = Midi(QStringLiteral("my song.mid")), b = Midi(QStringLiteral("b.mid"));
    {
        auto station = Start({});
        station->FirstShow();
        station->OpenFiles(QuoteCommaItem(a) + QStringLiteral(", ") + QuoteCommaItem(b),
                           &AnyDeviceInfo);
        TTonariaGlobals &g = station->GlobalState();
        EXPECT_EQ(Files(*g.SystemAlbum), QStringList({a, b}));
        EXPECT_EQ(g.LoadedTitleSource, g.SystemAlbum->Titles[0]);
        EXPECT_EQ(station->ReopenMenu()->actions().size(), 2);
    }
    auto station = Start({});
    const auto &items = station->RecentFiles().Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Name, b);
    EXPECT_EQ(items[1].Name, a);
    // Reopening a name with a blank in it: it stays one file.
    station->FirstShow();
    station->OpenRecent(1);
    TTonariaGlobals &g = station->GlobalState();
    EXPECT_EQ(Files(*g.SystemAlbum), QStringList({a}));
    EXPECT_EQ(station->RecentFiles().Items()[0].Name, a);
}

TEST_F(StationTest, TheCloseWaitsForTheStartUpAndForModalDialogsAndSavesOnDestruction)
{
    const QString a = Midi(QStringLiteral("a.mid"), 300);
    {
        auto station = Start({QStringLiteral("/close"), a});
        TTonariaGlobals &g = station->GlobalState();
        int closings = 0;
        station->OnClosing = [&] { ++closings; };
        station->Exit(); // still starting up
        EXPECT_FALSE(station->Closed());
        station->FirstShow();

        QDialog dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        EXPECT_FALSE(station->RequestClose());
        EXPECT_FALSE(g.ShuttingDown);
        dialog.hide();

        // The title ends with the close request: the station closes through the ticker.
        station->aPlay->trigger(); // a command given before the end cancels the request...
        EXPECT_FALSE(g.CloseRequested);
        g.CloseRequested = true; // ...so ask again
        ASSERT_TRUE(WaitUntil([&] { return station->Closed(); }, 5000));
        EXPECT_EQ(closings, 1);
        EXPECT_TRUE(g.ShuttingDown);
        EXPECT_FALSE(station->Player().Opened());
        station->Exit();
        EXPECT_EQ(closings, 1);
        g.SystemAlbum->Caption = QStringLiteral("Renamed");
    }
    // The destruction saved the current album.
    TAlbumFile albums(TAlbumFile::TContext{env.home() + QStringLiteral("Albums/"), {}, {}});
    auto album = TAlbum::CreateAlbum();
    album->FileName = env.home() + QStringLiteral("Albums/00000000.tal");
    ASSERT_TRUE(albums.Load(*album));
    EXPECT_EQ(album->Caption, QStringLiteral("Renamed"));
    EXPECT_EQ(Files(*album), QStringList({a}));
}

TEST_F(StationTest, ExitDuringThePauseBetweenTitlesClosesAtOnce)
{
    auto station = Start({Midi(QStringLiteral("a.mid"), 250), Midi(QStringLiteral("b.mid"), 250)});
    TTonariaGlobals &g = station->GlobalState();
    g.PauseDelay = 5000;
    station->FirstShow();
    station->aPlay->trigger();
    ASSERT_TRUE(WaitUntil([&] { return g.Sleeping; }, 5000));
    // The program still answers: the user's Exit goes through at once.
    station->Exit();
    EXPECT_TRUE(station->Closed());
    EXPECT_FALSE(g.Transport().MovePending());
    EXPECT_EQ(g.LoadedTitleSource, g.SystemAlbum->Titles[0]);
    EXPECT_FALSE(station->Player().Opened());
}

TEST_F(StationTest, SeekActionsStepOnceAndSeekButtonsRunWhileHeld)
{
    auto station = Start({QStringLiteral("/close"), Midi(QStringLiteral("a.mid"), 12000)});
    TTonariaGlobals &g = station->GlobalState();
    station->aPlayFF->trigger();
    EXPECT_FALSE(g.Seeking);
    EXPECT_FALSE(g.CloseRequested);
    ASSERT_TRUE(WaitUntil([&] { return station->Player().GetPosition() == 5000; }, 2000));
    station->aPlayFB->trigger();
    ASSERT_TRUE(WaitUntil([&] { return station->Player().GetPosition() == 0; }, 2000));

    g.CloseRequested = true;
    station->SeekButtonDown(2);
    EXPECT_TRUE(g.Seeking && g.SeekDirection == 2);
    EXPECT_FALSE(g.CloseRequested);
    station->SeekButtonUp(2);
    EXPECT_FALSE(g.Seeking);
}

TEST_F(StationTest, ATerminationSignalDismissesModalDialogsAndCloses)
{
    auto station = Start({});
    station->FirstShow();
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    station->CloseForSignal();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(WaitUntil([&] { return station->Closed(); }, 2000));
    EXPECT_TRUE(station->GlobalState().ShuttingDown);
}

TEST_F(StationTest, KeysAndListsReachTheTransport)
{
    const QString a = Midi(QStringLiteral("a.mid")), b = Midi(QStringLiteral("b.mid"));
    auto station = Start({a, b});
    TTonariaGlobals &g = station->GlobalState();
    station->FirstShow();
    // The digit 2 of two titles is taken at once.
    EXPECT_TRUE(station->Keys().KeyPressed(Qt::Key_2, Qt::NoModifier, QStringLiteral("2")));
    EXPECT_EQ(g.LoadedTitleSource, g.SystemAlbum->Titles[1]);
    // A row chosen in the titles list opens that title.
    station->Lists().ChooseTitle(0);
    EXPECT_EQ(g.LoadedTitleSource, g.SystemAlbum->Titles[0]);
    station->ExecuteAction(TStationAction::aPlay);
    EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);
    EXPECT_TRUE(station->ActionEnabled(TStationAction::aPlayStop));
}

TEST_F(StationTest, DeferredCommandsAndTheTrayMenu)
{
    auto station = Start({Midi(QStringLiteral("a.mid"))});
    TTonariaGlobals &g = station->GlobalState();
    g.DisplayPosted = false;
    QCoreApplication::postEvent(station.get(), new TStationCommandEvent(StationCommandDisplay));
    QCoreApplication::postEvent(station.get(), new TStationCommandEvent(99));
    QCoreApplication::processEvents();
    EXPECT_TRUE(station->ApplicationTitle().startsWith(QStringLiteral("A - ")));
    EXPECT_TRUE(station->ApplicationTitle().endsWith(QStringLiteral(" - Tonaria")));
    EXPECT_TRUE(g.DisplayPosted);

    QPointer<QWidget> slot = new QWidget;
    QWidget *window = slot.data();
    QCoreApplication::postEvent(station.get(),
                                new TStationCommandEvent(StationCommandForgetWindow, &slot));
    QCoreApplication::processEvents();
    EXPECT_TRUE(slot.isNull());
    delete window;

    QStringList items;
    for (const QAction *action : station->TrayMenu()->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(items, QStringList({"Show main window", "-", "Play", "Pause", "Stop", "Previous",
                                  "Rewind", "Next", "-", "Preferences...", "-", "Exit"}));
    EXPECT_TRUE(QFileInfo(station->HelpFile()).isFile());
}

TEST(StationExtensions, PluginDeviceExtensionLists)
{
    const struct {
        const char *list, *file;
        bool supported;
    } cases[] = {{"mid,kar", "/a/x.KAR", true},  {"\"mid\" kar", "x.mid", true},
                 {"mid,kar", "x.wav", false},    {"m,kar", "x.m", false},
                 {"mid", "/my.mid/file", false}, {"", "x.mid", false}};
    for (const auto &c : cases)
        EXPECT_EQ(ExtensionListSupports(QString::fromUtf8(c.list), QString::fromUtf8(c.file)),
                  c.supported)
            << c.list << " " << c.file;
}

} // namespace

// The jukebox in the test's own process, on a clock the test drives: the start-up with and
// without files, the album it starts on, drops, hand-offs, the recent files, the deferred
// commands, the close, and what the running jukebox must not do.
#include "core/recentfiles.h"
#include "core/jukebox.h"
#include "core/ticker.h"
#include "core/stationkeys.h"
#include "core/stationlists.h"
#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/albumfile.h"
#include "library/commatext.h"
#include "platform/system/messageservice.h"
#include "platform/system/registry.h"
#include "playback/player_support.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QCoreApplication>
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

QStringList Rows(const TStationListModel &list)
{
    return list.Rows();
}

class JukeboxTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSoundFont(); }

    std::unique_ptr<TJukebox> Start(const QStringList &arguments)
    {
        auto jukebox =
            std::make_unique<TJukebox>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
        jukebox->StartUp(ParseCommandLine(arguments));
        return jukebox;
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
    TDrivenClock clock;
};

TEST_F(JukeboxTest, FilesOnTheCommandLineBecomeTheSystemAlbumAndPlayAtTheFirstShowing)
{
    const QString a = Midi(QStringLiteral("first_song.mid"));
    const QString b = Midi(QStringLiteral("SECOND.mid"));
    {
        auto station = Start({QStringLiteral("/PLAY"), a, QString(), QStringLiteral("/other"), b});
        TTonariaGlobals &g = station->GlobalState();
        ASSERT_EQ(g.CurrentAlbum, g.SystemAlbum);
        EXPECT_EQ(Files(*g.CurrentAlbum), QStringList({a, b}));
        EXPECT_EQ(g.CurrentAlbum->Titles[0]->Caption, QStringLiteral("First Song"));
        EXPECT_EQ(Rows(station->Lists().Titles()),
                  QStringList({QStringLiteral("First Song"), QStringLiteral("Second")}));
        EXPECT_EQ(g.LoadedTitleSource, g.CurrentAlbum->Titles[0]); // opened, not started
        EXPECT_TRUE(g.PlayRequested);
        EXPECT_FALSE(g.CloseRequested);

        station->FinishStartUp();
        EXPECT_FALSE(g.PlayRequested);
        EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);
    }
    // The next start without arguments finds the system album emptied.
    EXPECT_TRUE(Start({})->GlobalState().SystemAlbum->Titles.empty());
}

TEST_F(JukeboxTest, OnlyPlayGivenStartsOnAnEmptySystemAlbumAndPlaysNothing)
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
    station->FinishStartUp();
    EXPECT_FALSE(g.PlayRequested);
    EXPECT_FALSE(station->Player().Opened());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(JukeboxTest, TheSavedAlbumPositionIsClampedToTheList)
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

TEST_F(JukeboxTest, DroppedFilesJoinTheAlbumAndACustomProgramOnly)
{
    auto station = Start({});
    TTonariaGlobals &g = station->GlobalState();
    station->FinishStartUp();
    TAlbum &album = *g.CurrentAlbum;
    const QString a = Midi(QStringLiteral("a.mid")), b = Midi(QStringLiteral("b.mid")),
                  c = Midi(QStringLiteral("c.mid"));

    // On the Shuffle program: the album takes them, the shuffle order picks them up.
    album.SetCurrentProgram(album.InternalPrograms[1].get());
    station->DropFiles({a, b, c});
    EXPECT_EQ(Files(album), QStringList({a, b, c}));
    EXPECT_EQ(album.CurrentProgram->Titles.size(), 3u);
    EXPECT_EQ(Rows(station->Lists().Titles()).size(), 3);
    // Nothing was loaded: the first title of the program is opened and is the current one, so
    // that Play plays it.
    ASSERT_NE(g.LoadedTitleSource, nullptr);
    EXPECT_EQ(album.CurrentTitle, g.LoadedTitleSource);
    station->ExecuteAction(TStationAction::aPlay);
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

TEST_F(JukeboxTest, HandOffIsAnsweredFirstThenSwitchesToTheSystemAlbumCommitsAndPlays)
{
    WriteAlbum(QStringLiteral("aaaaaaaa.tal"), "Jazz");
    auto station = Start({});
    TTonariaGlobals &g = station->GlobalState();
    station->FinishStartUp();
    g.SetCurrentAlbum(g.Albums[1].get());
    const QString a = Midi(QStringLiteral("a.mid")), b = Midi(QStringLiteral("b.mid"));

    station->setPlayRequested();
    station->setCloseRequested();
    station->handoffAddFile(a);
    station->handoffAddFile(b);
    station->handoffCommit();
    // Every call returned before any album or file was touched: the second start is answered
    // at once.
    EXPECT_NE(g.CurrentAlbum, g.SystemAlbum);
    EXPECT_FALSE(station->Player().Opened());
    EXPECT_FALSE(g.PlayRequested);
    QCoreApplication::processEvents();
    EXPECT_EQ(g.CurrentAlbum, g.SystemAlbum);
    EXPECT_EQ(Files(*g.CurrentAlbum), QStringList({a, b}));
    EXPECT_EQ(g.LoadedTitleSource, g.CurrentAlbum->Titles[0]);
    EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);
    EXPECT_FALSE(g.PlayRequested);
    EXPECT_TRUE(g.CloseRequested);

    // A transport command of the user cancels the close request.
    station->ExecuteAction(TStationAction::aPlayPause);
    EXPECT_FALSE(g.CloseRequested);
    // A paused title stays paused through a later "/play".
    station->setPlayRequested();
    station->handoffCommit();
    QCoreApplication::processEvents();
    EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PAUSE);
}

TEST_F(JukeboxTest, RecentFilesKeepTheTenNewestOnceEachAcrossRuns)
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
        station->FinishStartUp();
        station->OpenFiles(QuoteCommaItem(a) + QStringLiteral(", ") + QuoteCommaItem(b),
                           &AnyDeviceInfo);
        TTonariaGlobals &g = station->GlobalState();
        EXPECT_EQ(Files(*g.SystemAlbum), QStringList({a, b}));
        EXPECT_EQ(g.LoadedTitleSource, g.SystemAlbum->Titles[0]);
        EXPECT_EQ(station->RecentFiles().Items().size(), 2u);
    }
    auto station = Start({});
    const auto &items = station->RecentFiles().Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Name, b);
    EXPECT_EQ(items[1].Name, a);
    // Reopening a name with a blank in it: it stays one file.
    station->FinishStartUp();
    station->OpenRecent(1);
    TTonariaGlobals &g = station->GlobalState();
    EXPECT_EQ(Files(*g.SystemAlbum), QStringList({a}));
    EXPECT_EQ(station->RecentFiles().Items()[0].Name, a);
}

TEST_F(JukeboxTest, TheCloseWaitsForTheStartUpAndForTheFormsAndSavesOnDestruction)
{
    const QString a = Midi(QStringLiteral("a.mid"), 300);
    {
        auto station = Start({QStringLiteral("/close"), a});
        TTonariaGlobals &g = station->GlobalState();
        int closings = 0;
        QObject::connect(station.get(), &TJukebox::closing, [&] { ++closings; });
        station->Exit(); // still starting up
        EXPECT_FALSE(station->Closed());
        station->FinishStartUp();

        bool modal = true;
        station->CloseAllowed = [&] { return !modal; };
        EXPECT_FALSE(station->RequestClose());
        EXPECT_FALSE(g.ShuttingDown);
        modal = false;

        // The title ends with the close request: the jukebox closes.
        station->ExecuteAction(TStationAction::aPlay); // a command given before the end cancels the request...
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

TEST_F(JukeboxTest, ExitDuringThePauseBetweenTitlesClosesAtOnce)
{
    auto station = Start({Midi(QStringLiteral("a.mid"), 250), Midi(QStringLiteral("b.mid"), 250)});
    TTonariaGlobals &g = station->GlobalState();
    g.PauseDelay = 5000;
    station->FinishStartUp();
    station->ExecuteAction(TStationAction::aPlay);
    ASSERT_TRUE(WaitUntil([&] { return g.Sleeping; }, 5000));
    // The program still answers: the user's Exit goes through at once.
    station->Exit();
    EXPECT_TRUE(station->Closed());
    EXPECT_FALSE(station->Transport().MovePending());
    EXPECT_EQ(g.LoadedTitleSource, g.SystemAlbum->Titles[0]);
    EXPECT_FALSE(station->Player().Opened());
}

TEST_F(JukeboxTest, SeekActionsStepOnceAndSeekButtonsRunWhileHeld)
{
    auto station = Start({QStringLiteral("/close"), Midi(QStringLiteral("a.mid"), 12000)});
    TTonariaGlobals &g = station->GlobalState();
    station->ExecuteAction(TStationAction::aPlayFF);
    EXPECT_FALSE(station->Transport().Seeking());
    EXPECT_FALSE(g.CloseRequested);
    ASSERT_TRUE(WaitUntil([&] { return station->Player().GetPosition() == 5000; }, 2000));
    station->ExecuteAction(TStationAction::aPlayFB);
    ASSERT_TRUE(WaitUntil([&] { return station->Player().GetPosition() == 0; }, 2000));

    g.CloseRequested = true;
    station->SeekButtonDown(TSeekDirection::Forward);
    EXPECT_EQ(station->Transport().SeekDirection(), TSeekDirection::Forward);
    EXPECT_FALSE(g.CloseRequested);
    station->SeekButtonUp(TSeekDirection::Forward);
    EXPECT_FALSE(station->Transport().Seeking());
}

TEST_F(JukeboxTest, KeysAndListsReachTheTransport)
{
    const QString a = Midi(QStringLiteral("a.mid")), b = Midi(QStringLiteral("b.mid"));
    auto station = Start({a, b});
    TTonariaGlobals &g = station->GlobalState();
    station->FinishStartUp();
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

TEST_F(JukeboxTest, DeferredCommandsWaitOneOfEachKindAndRunInTheEventLoop)
{
    auto station = Start({Midi(QStringLiteral("a.mid"))});
    int displays = 0;
    QObject::connect(station.get(), &TJukebox::displayChanged, [&] { ++displays; });
    station->Post(TStationCommand::Display);
    station->Post(TStationCommand::Display);
    EXPECT_EQ(displays, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(displays, 1);
    EXPECT_TRUE(station->ApplicationTitle().startsWith(QStringLiteral("A - ")));
    EXPECT_TRUE(station->ApplicationTitle().endsWith(QStringLiteral(" - Tonaria")));
    EXPECT_TRUE(QFileInfo(station->HelpFile()).isFile());
}

TEST_F(JukeboxTest, LoadingAnAlbumOpensItsCurrentTitleAndAHandOffPlaysIt)
{
    const QString a = Midi(QStringLiteral("a.mid")), b = Midi(QStringLiteral("b.mid"));
    {
        auto station = Start({a, b});
        TTonariaGlobals &g = station->GlobalState();
        station->FinishStartUp();
        station->ExecuteAction(TStationAction::aPlayNext); // the second title is current
        ASSERT_EQ(g.SystemAlbum->CurrentTitle, g.SystemAlbum->Titles[1]);
        // Another album is current at the end; the system album keeps its current title.
        WriteAlbum(QStringLiteral("aaaaaaaa.tal"), "Jazz");
        g.LoadAlbumList();
        g.CurrentAlbum = nullptr;
        TAlbum *jazz = g.Albums[1].get();
        g.SetCurrentAlbum(jazz);
        for (const QString &file : {a, b}) {
            TTitle *title = jazz->AddTitle();
            title->FileName = file;
            title->Caption = file;
        }
        jazz->RefreshInternalPrograms();
        jazz->CurrentTitle = jazz->Titles[1];
    }
    auto station = Start({});
    TTonariaGlobals &g = station->GlobalState();
    ASSERT_EQ(g.CurrentAlbum->Caption, QStringLiteral("Jazz"));
    ASSERT_EQ(g.CurrentAlbum->CurrentTitle, g.CurrentAlbum->Titles[1]);
    EXPECT_EQ(g.LoadedTitleSource, g.CurrentAlbum->Titles[1]);
    EXPECT_EQ(station->Player().Filename(), b);
    station->FinishStartUp();
    EXPECT_TRUE(station->ActionEnabled(TStationAction::aPlay));
    EXPECT_TRUE(station->ActionEnabled(TStationAction::aPlayNext));

    // "/play" from a second start plays the stored title, not the first.
    station->setPlayRequested();
    station->handoffCommit();
    QCoreApplication::processEvents();
    EXPECT_EQ(g.LoadedTitleSource, g.CurrentAlbum->Titles[1]);
    EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);
}

TEST_F(JukeboxTest, PlayAndCloseWithAFileThatCannotBeOpenedToldOnceAndCloses)
{
    auto station = Start({QStringLiteral("/play"), QStringLiteral("/close"),
                          env.home() + QStringLiteral("missing.mid")});
    int closings = 0;
    QObject::connect(station.get(), &TJukebox::closing, [&] { ++closings; });
    station->FinishStartUp();
    EXPECT_EQ(closings, 1);
    EXPECT_TRUE(station->Closed());
    EXPECT_EQ(boxes.boxes().size(), 1u);
}

TEST_F(JukeboxTest, PlayGoesOnPastATitleThatCannotBeOpened)
{
    const QString a = Midi(QStringLiteral("a.mid"), 150), b = Midi(QStringLiteral("b.mid"), 150);
    auto station = Start({QStringLiteral("/play"), a, env.home() + QStringLiteral("gone.mid"), b});
    TTonariaGlobals &g = station->GlobalState();
    station->FinishStartUp();
    ASSERT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);
    ASSERT_TRUE(WaitUntil([&] { return g.LoadedTitleSource == g.SystemAlbum->Titles[2]; }, 5000));
    EXPECT_EQ(station->Player().GetMode(), MCI_MODE_PLAY);
    EXPECT_EQ(boxes.boxes().size(), 1u);
}

TEST_F(JukeboxTest, NoTimerTicksWhileNothingPlaysAndNoWindowShowsMovingContents)
{
    auto station = Start({Midi(QStringLiteral("a.mid"), 5000)});
    station->FinishStartUp();
    EXPECT_EQ(clock.ActiveTimers(), 0);
    station->ExecuteAction(TStationAction::aPlay);
    EXPECT_FALSE(station->Ticker().Idle());
    int displays = 0;
    QObject::connect(station.get(), &TJukebox::displayChanged, [&] { ++displays; });
    clock.Advance(station->Ticker().DisplayInterval());
    EXPECT_EQ(displays, 1);
    station->ExecuteAction(TStationAction::aPlayStop);
    EXPECT_EQ(clock.ActiveTimers(), 0);
    // A window that shows the times keeps them fresh while stopped, and no longer once gone.
    station->SetMovingContentsShown(true);
    EXPECT_FALSE(station->Ticker().Idle());
    station->SetMovingContentsShown(false);
    EXPECT_EQ(clock.ActiveTimers(), 0);
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

// The transport over the real player and media-control layer with generated MIDI files, paced
// by the real ticker: moving through a program and a package, the end of a title, the pause
// between titles, the close request, the seek runs and the typed title number.
#include "core/stationevents.h"
#include "core/timerthread.h"
#include "core/tonariaglobals.h"
#include "core/transport.h"
#include "library/album.h"
#include "localisation/messageformat.h"
#include "localisation/showmessage.h"
#include "packages/testarchive.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "playback/sonoricplayer.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Stands in for the station: takes the ticker's requests on the main thread.
class TTickerHost : public QObject {
public:
    explicit TTickerHost(TTonariaGlobals &g) : g_(g) {}
    int Displays = 0;
    int EndChecks = 0;
    bool Answer = true; // handle the requests (raising the posted flags again)

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == StationCommandEventType) {
            const int code = static_cast<TStationCommandEvent *>(e)->Code;
            if (code == StationCommandDisplay) {
                ++Displays;
                if (Answer) g_.DisplayPosted = true;
            } else if (code == StationCommandEndCheck) {
                ++EndChecks;
                if (Answer) g_.Transport().CheckEndOfTitle();
            } else if (code == StationCommandPeakMeter) {
                g_.MeterPosted = true;
            }
            return true;
        }
        if (e->type() == TickerCallEventType) {
            TTimerThread::Serve(*static_cast<TTickerCallEvent *>(e), [this](TTickerRequest r) {
                if (r == TTickerRequest::QuickNumberCommit)
                    g_.Transport().QuickNumberCommit();
                else
                    g_.Transport().SeekStep(r == TTickerRequest::SeekBackward ? 1 : 2);
            });
            return true;
        }
        return QObject::event(e);
    }

private:
    TTonariaGlobals &g_;
};

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestSoundFont();
        g.Player = &player;
        g.LoadAlbumList();
        g.CurrentAlbum = nullptr;
        g.SetCurrentAlbum(g.SystemAlbum);
        g.LibraryReady = true;
        t().OnCloseRequest = [this] { ++closes; };
        t().OnProgramsRegenerated = [this] { ++passes; };
    }
    void TearDown() override
    {
        ticker.Terminate();
        t().CloseTitle();
        TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
    }

    TTransport &t() { return g.Transport(); }
    TAlbum &album() { return *g.CurrentAlbum; }

    // Titles of generated MIDI files, lengthMs each, in the album's Normal program.
    std::vector<TTitle *> AddTitles(int count, std::uint32_t lengthMs)
    {
        std::vector<TTitle *> titles;
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("t%1.mid").arg(album().Titles.size() + 1);
            TTitle *title = album().AddTitle();
            title->FileName = env.writeFile(name, MidiFileBytes(lengthMs));
            title->Caption = name;
            titles.push_back(title);
        }
        album().RefreshInternalPrograms();
        return titles;
    }
    bool Playing() { return player.GetMode() == MCI_MODE_PLAY; }
    void SeekTo(std::uint32_t ms)
    {
        player.Seek(ms);
        ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() == ms; }, 2000));
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TTonariaGlobals g{QStringLiteral("/nonexistent/tonaria")};
    TSonoricPlayer player;
    TTickerHost host{g};
    TTimerThread ticker{g, &host};
    int closes = 0;
    int passes = 0;
};

TEST_F(TransportTest, PreviousAndNextWrapRoundAndNextOpensAPickedTitle)
{
    const auto titles = AddTitles(3, 1000);
    album().CurrentTitle = titles[0];
    t().SelectTitle(titles[0]);
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_EQ(player.Filename(), titles[0]->FileName);

    t().Previous(); // the first goes back to the last
    EXPECT_EQ(g.LoadedTitleSource, titles[2]);
    EXPECT_EQ(album().CurrentTitle, titles[2]);
    t().Next(); // the last goes on to the first
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_FALSE(Playing()); // a stopped player is only given the title

    // A relative file name is taken from the program folder.
    QDir().mkpath(env.home() + QStringLiteral("Demo"));
    QFile::copy(titles[1]->FileName, env.home() + QStringLiteral("Demo/piece.mid"));
    titles[1]->FileName = QStringLiteral("Demo/piece.mid");
    t().Next();
    EXPECT_EQ(player.Filename(), env.home() + QStringLiteral("Demo/piece.mid"));
    t().Previous();

    // The user picks the third title in the list without opening it: Next goes there.
    album().CurrentTitle = titles[2];
    t().Next();
    EXPECT_EQ(g.LoadedTitleSource, titles[2]);
    // While playing, a move starts the new title at once.
    t().Play();
    EXPECT_TRUE(Playing());
    EXPECT_FALSE(g.StoppedAtEnd);
    t().Next();
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_TRUE(Playing());
    t().Stop();
    EXPECT_TRUE(g.StoppedAtEnd);
}

TEST_F(TransportTest, AnEndedTitleMovesOnAndPlaysButAStoppedOneStays)
{
    const auto titles = AddTitles(2, 300);
    ticker.Resume();
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(Playing());
    ASSERT_TRUE(WaitUntil([&] { return g.LoadedTitleSource == titles[1] && Playing(); }, 5000));
    EXPECT_EQ(album().CurrentTitle, titles[1]);
    EXPECT_FALSE(g.StoppedAtEnd);
    // The second title ends the pass: a new order, and the first title again.
    ASSERT_TRUE(WaitUntil([&] { return g.LoadedTitleSource == titles[0] && Playing(); }, 5000));
    EXPECT_EQ(passes, 1);

    t().Stop(); // in the middle
    RunEvents(1200);
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_FALSE(Playing());
    EXPECT_EQ(closes, 0);
}

TEST_F(TransportTest, AOneTitleProgramRepeats)
{
    const auto titles = AddTitles(1, 250);
    ticker.Resume();
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return passes >= 2 && Playing(); }, 6000));
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
}

TEST_F(TransportTest, TheCloseRequestClosesAtTheEndInsteadOfMovingOn)
{
    const auto titles = AddTitles(2, 300);
    ticker.Resume();
    g.CloseRequested = true;
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return closes == 1; }, 5000));
    EXPECT_FALSE(g.CloseRequested);
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    RunEvents(700);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(Playing());
}

TEST_F(TransportTest, ThePauseBetweenTitlesWaitsWithoutBlockingAndACommandTakesOver)
{
    const auto titles = AddTitles(3, 300);
    g.PauseDelay = 3000;
    g.CloseRequested = true;
    int displays = 0;
    g.OnUpdateDisplay = [&] { ++displays; };
    ticker.Resume();
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return g.Sleeping; }, 5000));
    EXPECT_TRUE(t().MovePending());
    EXPECT_GT(displays, 0); // the sleep text went up at once

    // The program answers during the pause.
    bool answered = false;
    QTimer::singleShot(50, [&] { answered = true; });
    ASSERT_TRUE(WaitUntil([&] { return answered; }, 1500));
    EXPECT_TRUE(g.Sleeping);

    // The user goes back a title: the pending move and its close are forgotten.
    g.CloseRequested = false; // as the station's actions do
    t().Previous();
    EXPECT_FALSE(t().MovePending());
    EXPECT_FALSE(g.Sleeping);
    EXPECT_EQ(g.LoadedTitleSource, titles[2]);
    RunEvents(3200); // past the end of the pause that was cancelled
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(g.LoadedTitleSource, titles[2]);

    // Left alone, the pause passes and the next title plays.
    g.PauseDelay = 800;
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return g.Sleeping; }, 5000));
    QElapsedTimer slept;
    slept.start();
    ASSERT_TRUE(WaitUntil([&] { return !g.Sleeping; }, 3000));
    EXPECT_GE(slept.elapsed(), 600);
    EXPECT_EQ(g.LoadedTitleSource, titles[1]);
    EXPECT_TRUE(Playing());
}

TEST_F(TransportTest, StopDuringThePauseStaysOnTheEndedTitle)
{
    const auto titles = AddTitles(2, 250);
    g.PauseDelay = 500;
    ticker.Resume();
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return g.Sleeping; }, 5000));
    t().Stop();
    EXPECT_FALSE(g.Sleeping);
    RunEvents(900);
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_FALSE(Playing());
}

TEST_F(TransportTest, APackagePlaysItsMembersInOrderBeforeTheProgramMovesOn)
{
    const auto titles = AddTitles(1, 250);
    TTitle *package = album().AddTitle();
    package->FileName =
        env.writeFile(QStringLiteral("pack.zip"),
                      MakeZip({{"one.mid", MidiFileBytes(250)}, {"two.mid", MidiFileBytes(250)}}));
    album().RefreshInternalPrograms(); // Normal: t1, pack
    QStringList played;
    player.OnPlayStopped = [&](TSonoricPlayer *) {
        played << QFileInfo(player.Filename()).fileName();
    };
    ticker.Resume();
    album().CurrentTitle = package;
    t().Play();
    EXPECT_TRUE(g.ZipMode);
    ASSERT_TRUE(WaitUntil([&] { return played.size() >= 3; }, 8000));
    EXPECT_EQ(played.mid(0, 3), QStringList({QStringLiteral("one.mid"), QStringLiteral("two.mid"),
                                             QStringLiteral("t1.mid")}));
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_FALSE(g.ZipMode); // closing the package title left package mode

    // Previous inside a package steps back a member; at the first member, to the title before.
    // Members are unpacked off the main thread and open when they are ready.
    const auto opened = [&](const QString &name) {
        return WaitUntil([&] { return QFileInfo(player.Filename()).fileName() == name; }, 5000);
    };
    t().Stop();
    album().CurrentTitle = package;
    t().SelectTitle(package);
    ASSERT_TRUE(opened(QStringLiteral("one.mid")));
    t().Next();
    EXPECT_TRUE(opened(QStringLiteral("two.mid")));
    t().Previous();
    EXPECT_TRUE(opened(QStringLiteral("one.mid")));
    t().Previous();
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_FALSE(g.ZipMode);
}

TEST_F(TransportTest, APackageThatCannotPlayIsReportedOnceAndPlayMovesOn)
{
    TTitle *broken = album().AddTitle();
    broken->FileName = env.writeFile(QStringLiteral("broken.zip"), "not an archive");
    const auto titles = AddTitles(1, 250); // Normal: broken, t1
    const auto reported = [&](int first) {
        QStringList texts;
        for (std::size_t i = std::size_t(first); i < boxes.boxes().size(); ++i) {
            EXPECT_EQ(boxes.boxes()[i].flags & MB_ICONMASK, MB_ICONERROR);
            texts << boxes.boxes()[i].text;
        }
        return texts;
    };
    const auto fileError = [](const QString &file) {
        return FormatMessageText(GetMessageText(QStringLiteral("ErrFileError")), {file});
    };

    album().CurrentTitle = broken;
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return g.LoadedTitleSource == titles[0] && Playing(); }, 5000));
    EXPECT_FALSE(g.ZipMode);
    EXPECT_EQ(reported(0), QStringList({fileError(broken->FileName)}));

    // When no title of a whole pass plays, play stops and a close waiting for the end happens.
    t().Stop();
    titles[0]->FileName = env.writeFile(QStringLiteral("empty.zip"), MakeZip({{"x.zip", "PK"}}));
    album().CurrentTitle = broken;
    g.CloseRequested = true;
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return closes == 1; }, 5000));
    EXPECT_FALSE(Playing());
    EXPECT_FALSE(g.CloseRequested);
    EXPECT_EQ(reported(1), QStringList({fileError(broken->FileName),
                                        fileError(titles[0]->FileName)}));
}

TEST_F(TransportTest, SeekRunsStopAtTheEndsAndRepeatFasterWhileHeld)
{
    const auto titles = AddTitles(1, 12000);
    t().SelectTitle(titles[0]);
    const std::uint32_t length = player.GetLength();

    SeekTo(length - 2000);
    t().StartFastForward();
    t().StopFastForward();
    EXPECT_EQ(player.GetPosition(), length);
    EXPECT_FALSE(g.Seeking);
    EXPECT_EQ(g.SeekCountdown, -1);

    SeekTo(2000);
    t().StartFastBackward();
    t().StopFastBackward();
    EXPECT_EQ(player.GetPosition(), 0u);

    // Held down, the run repeats on the ticker, each pause shorter than the last.
    ticker.Resume();
    SeekTo(0);
    g.FFSkip = 1000;
    g.FFInt = 300;
    g.FFDec = 100;
    t().StartFastForward();
    EXPECT_EQ(player.GetPosition(), 1000u);
    EXPECT_EQ(g.SeekInterval, 200);
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() >= 3000; }, 3000));
    EXPECT_EQ(g.SeekInterval, 100); // never below the decrement
    t().StopFastForward();
    const std::uint32_t stoppedAt = player.GetPosition();
    RunEvents(400);
    EXPECT_EQ(player.GetPosition(), stoppedAt);
}

TEST_F(TransportTest, QuickNumberWithTwelveTitles)
{
    g.QuickNumber = 300;
    t().QuickNumberKey(QLatin1Char('1')); // nothing open: not ready
    EXPECT_TRUE(g.QuickNumberDigits.isEmpty());

    const auto titles = AddTitles(12, 1000);
    album().CurrentTitle = titles[0];
    t().SelectTitle(titles[0]);

    t().QuickNumberKey(QLatin1Char('1')); // 10 to 12 are still possible
    EXPECT_EQ(g.QuickNumberDigits, QStringLiteral("1"));
    EXPECT_EQ(g.QuickNumberCountdown, 300);
    t().QuickNumberKey(QLatin1Char('3')); // 13 is too large: ignored
    EXPECT_EQ(g.QuickNumberDigits, QStringLiteral("1"));
    t().QuickNumberKey(QLatin1Char('2'));
    EXPECT_EQ(g.LoadedTitleSource, titles[11]);
    EXPECT_EQ(album().CurrentTitle, titles[11]);
    EXPECT_TRUE(g.QuickNumberDigits.isEmpty());
    EXPECT_EQ(g.QuickNumberCountdown, -1);

    t().QuickNumberKey(QLatin1Char('5')); // 50 is too large: taken at once
    EXPECT_EQ(g.LoadedTitleSource, titles[4]);
    t().QuickNumberKey(QLatin1Char('0')); // no title 0
    t().QuickNumberKey(QLatin1Char('x'));
    EXPECT_TRUE(g.QuickNumberDigits.isEmpty());

    ticker.Resume();
    t().QuickNumberKey(QLatin1Char('1')); // and the delay passes
    ASSERT_TRUE(WaitUntil([&] { return g.LoadedTitleSource == titles[0]; }, 3000));
    EXPECT_TRUE(g.QuickNumberDigits.isEmpty());
}

TEST_F(TransportTest, TheTickerKeepsOneRequestOfEachKindWaitingAndEndsWhileACallWaits)
{
    host.Answer = false; // nobody raises the flags again
    g.DisplayInterval = 50;
    ticker.Resume();
    RunEvents(600);
    EXPECT_EQ(host.Displays, 1);
    EXPECT_EQ(host.EndChecks, 1);

    // The ticker waits for a seek step that the main thread never comes to run; ending it
    // must not wait for the main thread.
    g.SeekCountdown = 0;
    g.SeekDirection = 2;
    g.Seeking = true;
    QThread::msleep(100);
    QElapsedTimer ending;
    ending.start();
    ticker.Terminate();
    EXPECT_LT(ending.elapsed(), 1000);
    EXPECT_FALSE(ticker.Running());
    QCoreApplication::processEvents(); // the abandoned call is not run
    g.Seeking = false;
}

} // namespace

// The transport over the real player and media-control layer with generated MIDI files, its
// timers on a clock the test drives: moving through a program and a package, the end of a
// title, the pause between titles, the close request, the seek runs and the typed title number.
#include "core/tonariaglobals.h"
#include "core/transport.h"
#include "library/album.h"
#include "localisation/messageformat.h"
#include "localisation/showmessage.h"
#include "packages/testarchive.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "playback/sonoricplayer.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

namespace {

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
        QObject::connect(&t(), &TTransport::closeRequested, [this] { ++closes; });
        QObject::connect(&t(), &TTransport::programsRegenerated, [this] { ++passes; });
        QObject::connect(&t(), &TTransport::titleFailed,
                         [this](const QString &text) { failures << text; });
        // A title that has played to its end is checked at once, as the engine does.
        player.OnPlayStopped = [this](TSonoricPlayer *) {
            QMetaObject::invokeMethod(
                &t(), [this] { t().CheckEndOfTitle(); }, Qt::QueuedConnection);
        };
    }
    void TearDown() override
    {
        player.OnPlayStopped = nullptr;
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
    bool Playing() { return player.Opened() && player.GetMode() == MCI_MODE_PLAY; }
    void SeekTo(std::uint32_t ms)
    {
        player.Seek(ms);
        ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() == ms; }, 2000));
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TDrivenClock clock;
    TTonariaGlobals g{QStringLiteral("/nonexistent/tonaria"), 24, &clock};
    TSonoricPlayer player;
    int closes = 0;
    int passes = 0;
    QStringList failures;
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
    EXPECT_FALSE(t().StoppedAtEnd());
    t().Next();
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_TRUE(Playing());
    t().Stop();
    EXPECT_TRUE(t().StoppedAtEnd());
}

TEST_F(TransportTest, AnEndedTitleMovesOnAndPlaysButAStoppedOneStays)
{
    const auto titles = AddTitles(2, 150);
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(Playing());
    ASSERT_TRUE(WaitUntil([&] { return g.LoadedTitleSource == titles[1] && Playing(); }, 5000));
    EXPECT_EQ(album().CurrentTitle, titles[1]);
    EXPECT_FALSE(t().StoppedAtEnd());
    // The second title ends the pass: a new order, and the first title again.
    ASSERT_TRUE(WaitUntil([&] { return g.LoadedTitleSource == titles[0] && Playing(); }, 5000));
    EXPECT_EQ(passes, 1);

    t().Stop(); // in the middle
    t().CheckEndOfTitle();
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_FALSE(Playing());
    EXPECT_EQ(closes, 0);
}

TEST_F(TransportTest, AOneTitleProgramRepeats)
{
    const auto titles = AddTitles(1, 150);
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return passes >= 2 && Playing(); }, 6000));
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
}

TEST_F(TransportTest, TheCloseRequestClosesAtTheEndInsteadOfMovingOn)
{
    const auto titles = AddTitles(2, 150);
    g.CloseRequested = true;
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return closes == 1; }, 5000));
    EXPECT_FALSE(g.CloseRequested);
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    t().CheckEndOfTitle();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(Playing());
}

TEST_F(TransportTest, ThePauseBetweenTitlesLastsItsDelayAndACommandTakesOver)
{
    const auto titles = AddTitles(3, 150);
    g.PauseDelay = 3000;
    g.CloseRequested = true;
    int displays = 0;
    QObject::connect(&t(), &TTransport::displayChanged, [&] { ++displays; });
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return g.Sleeping; }, 5000));
    EXPECT_TRUE(t().MovePending());
    EXPECT_GT(displays, 0); // the sleep text went up at once

    // The pause lasts its delay to the millisecond, and the close request ends it.
    clock.Advance(2999);
    EXPECT_TRUE(g.Sleeping);
    EXPECT_EQ(closes, 0);
    clock.Advance(1);
    EXPECT_FALSE(g.Sleeping);
    EXPECT_EQ(closes, 1);

    // Left alone, the pause passes and the next title plays.
    g.PauseDelay = 800;
    album().CurrentTitle = titles[0];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return g.Sleeping; }, 5000));
    clock.Advance(800);
    EXPECT_FALSE(g.Sleeping);
    EXPECT_EQ(g.LoadedTitleSource, titles[1]);
    EXPECT_TRUE(Playing());
}

TEST_F(TransportTest, DuringThePausePlayAndNextPlayTheNextTitlePreviousTheOneBeforeStopStays)
{
    const auto titles = AddTitles(3, 150);
    g.PauseDelay = 5000;
    const struct {
        const char *command;
        std::function<void(TTransport &)> run;
        int expected; // the title loaded afterwards
        bool playing;
    } cases[] = {
        {"Play", [](TTransport &t) { t.Play(); }, 1, true},
        {"Next", [](TTransport &t) { t.Next(); }, 1, true},
        {"Previous", [](TTransport &t) { t.Previous(); }, 2, true},
        {"Stop", [](TTransport &t) { t.Stop(); }, 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        t().Stop();
        album().CurrentTitle = titles[0];
        t().SelectTitle(titles[0]);
        t().Play();
        ASSERT_TRUE(WaitUntil([&] { return g.Sleeping; }, 5000));
        c.run(t());
        EXPECT_FALSE(g.Sleeping);
        EXPECT_FALSE(t().MovePending());
        EXPECT_EQ(g.LoadedTitleSource, titles[std::size_t(c.expected)]);
        EXPECT_EQ(Playing(), c.playing);
        // Nothing is left to happen when the pause would have ended.
        clock.Advance(6000);
        EXPECT_EQ(g.LoadedTitleSource, titles[std::size_t(c.expected)]);
    }
}

TEST_F(TransportTest, ATitleThatCannotBePlayedIsToldOnceAndPassedOver)
{
    auto titles = AddTitles(2, 150);
    TTitle *missing = album().AddTitle();
    missing->FileName = env.home() + QStringLiteral("missing.mid");
    missing->Caption = QStringLiteral("missing");
    album().RefreshInternalPrograms(); // Normal: t1, t2, missing
    // Play goes from the first title over the missing one back to the first.
    album().CurrentTitle = titles[1];
    t().Play();
    ASSERT_TRUE(WaitUntil([&] { return g.LoadedTitleSource == titles[0] && Playing(); }, 5000));
    EXPECT_EQ(failures.size(), 1);

    // When no title of a whole pass plays, play stops; a close request then goes ahead.
    t().Stop();
    failures.clear();
    for (TTitle *title : titles)
        title->FileName = env.home() + QStringLiteral("gone.mid");
    g.CloseRequested = true;
    album().CurrentTitle = missing;
    t().PlayFromCurrentTitle();
    EXPECT_EQ(failures.size(), 3);
    EXPECT_FALSE(Playing());
    EXPECT_EQ(closes, 1);
}

TEST_F(TransportTest, APackagePlaysItsMembersInOrderBeforeTheProgramMovesOn)
{
    const auto titles = AddTitles(1, 150);
    TTitle *package = album().AddTitle();
    package->FileName =
        env.writeFile(QStringLiteral("pack.zip"),
                      MakeZip({{"one.mid", MidiFileBytes(150)}, {"two.mid", MidiFileBytes(150)}}));
    album().RefreshInternalPrograms(); // Normal: t1, pack
    QStringList played;
    const TTitle *thirdSource = nullptr;
    bool thirdZipMode = true;
    player.OnPlayStopped = [&](TSonoricPlayer *) {
        played << QFileInfo(player.Filename()).fileName();
        if (played.size() == 3) {
            thirdSource = g.LoadedTitleSource;
            thirdZipMode = g.ZipMode;
        }
        QMetaObject::invokeMethod(
            &t(), [this] { t().CheckEndOfTitle(); }, Qt::QueuedConnection);
    };
    album().CurrentTitle = package;
    t().Play();
    EXPECT_TRUE(g.ZipMode);
    ASSERT_TRUE(WaitUntil([&] { return played.size() >= 3; }, 8000));
    EXPECT_EQ(played.mid(0, 3), QStringList({QStringLiteral("one.mid"), QStringLiteral("two.mid"),
                                             QStringLiteral("t1.mid")}));
    EXPECT_EQ(thirdSource, titles[0]);
    EXPECT_FALSE(thirdZipMode); // closing the package title left package mode

    // Previous inside a package steps back a member; at the first member, to the title before.
    // Members are unpacked off the main thread and open when they are ready.
    const auto opened = [&](const QString &name) {
        return WaitUntil(
            [&] {
                return !g.ZipMan->Busy() && QFileInfo(player.Filename()).fileName() == name;
            },
            5000);
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
    const auto reported = [&](int first) { return failures.mid(first); };
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
    EXPECT_FALSE(t().Seeking());
    EXPECT_EQ(t().SeekInterval(), -1);

    SeekTo(2000);
    t().StartFastBackward();
    t().StopFastBackward();
    EXPECT_EQ(player.GetPosition(), 0u);

    // Held down, the run repeats, each pause shorter than the last and never below the
    // decrement: steps at 0, 200, 300, 400 ms.
    SeekTo(0);
    g.FFSkip = 1000;
    g.FFInt = 300;
    g.FFDec = 100;
    t().StartFastForward();
    EXPECT_EQ(player.GetPosition(), 1000u);
    EXPECT_EQ(t().SeekDirection(), TSeekDirection::Forward);
    EXPECT_EQ(t().SeekInterval(), 200);
    clock.Advance(199);
    EXPECT_EQ(player.GetPosition(), 1000u);
    clock.Advance(1);
    EXPECT_EQ(player.GetPosition(), 2000u);
    EXPECT_EQ(t().SeekInterval(), 100);
    clock.Advance(200);
    EXPECT_EQ(player.GetPosition(), 4000u);
    t().StopFastForward();
    clock.Advance(1000);
    EXPECT_EQ(player.GetPosition(), 4000u);
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
    t().QuickNumberKey(QLatin1Char('3')); // 13 is too large: ignored
    EXPECT_EQ(g.QuickNumberDigits, QStringLiteral("1"));
    t().QuickNumberKey(QLatin1Char('2'));
    EXPECT_EQ(g.LoadedTitleSource, titles[11]);
    EXPECT_EQ(album().CurrentTitle, titles[11]);
    EXPECT_TRUE(g.QuickNumberDigits.isEmpty());

    t().QuickNumberKey(QLatin1Char('5')); // 50 is too large: taken at once
    EXPECT_EQ(g.LoadedTitleSource, titles[4]);
    t().QuickNumberKey(QLatin1Char('0')); // no title 0
    t().QuickNumberKey(QLatin1Char('x'));
    EXPECT_TRUE(g.QuickNumberDigits.isEmpty());

    t().QuickNumberKey(QLatin1Char('1')); // and the delay passes
    clock.Advance(299);
    EXPECT_EQ(g.LoadedTitleSource, titles[4]);
    clock.Advance(1);
    EXPECT_EQ(g.LoadedTitleSource, titles[0]);
    EXPECT_TRUE(g.QuickNumberDigits.isEmpty());
}

} // namespace

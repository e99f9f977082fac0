// The display texts over a real player with generated MIDI files: what the display window, the
// floating bar and the station are told after each update, in the language file's own words.
#include "core/displaysink.h"
#include "core/displaytexts.h"
#include "core/floatingbarsink.h"
#include "core/stationsink.h"
#include "core/tonariaglobals.h"
#include "packages/testarchive.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "playback/sonoricmixer.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

class TRecordingDisplay : public TDisplaySink {
public:
    bool dragging = false;
    std::uint32_t dragPosition = 0;

    std::uint32_t barMaximum = 0, barPosition = 0;
    QString caption, time, time2, total;
    std::map<TDisplayControl, bool> enabled;
    int animationSteps = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> meter;

    bool DraggedPosition(std::uint32_t &position) const override
    {
        if (dragging) position = dragPosition;
        return dragging;
    }
    void SetPositionBar(std::uint32_t maximum, std::uint32_t position) override
    {
        barMaximum = maximum;
        barPosition = position;
    }
    void SetCaption(const QString &text) override { caption = text; }
    void SetTimes(const QString &t, const QString &t2, const QString &tt) override
    {
        time = t;
        time2 = t2;
        total = tt;
    }
    void SetControlEnabled(TDisplayControl control, bool on) override { enabled[control] = on; }
    void AdvanceAnimation() override { ++animationSteps; }
    void SetMeter(std::int32_t left, std::int32_t right) override
    {
        meter.emplace_back(left, right);
    }
};

class TRecordingFloatingBar : public TFloatingBarSink {
public:
    QString caption, time;
    void SetCaption(const QString &text) override { caption = text; }
    void SetTime(const QString &text) override { time = text; }
};

class TRecordingStation : public TStationSink {
public:
    QString title, trayHint;
    int titleWrites = 0;
    std::map<TStationAction, QString> hints;
    std::map<TStationAction, bool> enabled;

    QString ApplicationTitle() const override { return title; }
    void SetApplicationTitle(const QString &text) override
    {
        title = text;
        ++titleWrites;
    }
    void SetTrayHint(const QString &text) override { trayHint = text; }
    void SetActionHint(TStationAction action, const QString &hint) override
    {
        hints[action] = hint;
    }
    void SetActionEnabled(TStationAction action, bool on) override { enabled[action] = on; }
};

class DisplayTextsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestSoundFont();
        g.LoadLanguage();
        g.Player = &player;
        g.StartingUp = false;
        g.LibraryReady = true;
        texts.SetStation(&station);
        texts.SetDisplay(&display);
        texts.SetFloatingBar(&bar);
        QObject::connect(&texts, &TDisplayTexts::notified,
                         [this](std::uint32_t code) { notices.push_back(code); });

        auto owned = TAlbum::CreateAlbum();
        album = owned.get();
        album->Loaded = true;
        g.Albums.push_back(std::move(owned));
        g.CurrentAlbum = album;
    }

    void TearDown() override
    {
        player.Close();
        TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
    }

    // A title of the album over a generated MIDI file `lengthMs` long.
    TTitle *AddSong(const QString &caption, std::uint32_t lengthMs)
    {
        TTitle *title = album->AddTitle();
        title->Caption = caption;
        title->FileName = env.writeFile(caption + QStringLiteral(".mid"), MidiFileBytes(lengthMs));
        album->RefreshInternalPrograms();
        return title;
    }

    // Opens the title in the player as the transport does and marks it loaded.
    void Load(TTitle *title)
    {
        OpenOnAnyDevice(player, title->FileName);
        MarkLoaded(title);
    }

    void MarkLoaded(TTitle *title)
    {
        g.LoadedTitleCopy.Caption = title->Caption;
        g.LoadedTitleCopy.FileName = title->FileName;
        g.LoadedTitle = &g.LoadedTitleCopy;
        g.LoadedTitleSource = title;
    }

    void SeekTo(std::uint32_t position)
    {
        player.Seek(position);
        ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() == position; }));
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TTonariaGlobals g{QStringLiteral("/nonexistent/tonaria")};
    TSonoricPlayer player;
    TDisplayTexts texts{g, player};
    TRecordingDisplay display;
    TRecordingFloatingBar bar;
    TRecordingStation station;
    std::vector<std::uint32_t> notices;
    TAlbum *album = nullptr;
};

} // namespace

TEST_F(DisplayTextsTest, WithNoTitleEveryCaptionSaysSoAndEveryTimeIsZero)
{
    texts.UpdateDisplay();
    const QString zero = QStringLiteral("00:00:00");
    EXPECT_EQ(display.caption, QStringLiteral("(no title)"));
    EXPECT_EQ(display.time + display.time2 + display.total + bar.time, zero + zero + zero + zero);
    EXPECT_EQ(display.barMaximum, 0u);
    EXPECT_EQ(bar.caption, display.caption);
    EXPECT_EQ(station.title, QStringLiteral("(no title) - 00:00:00 - Tonaria"));
    EXPECT_EQ(station.trayHint, station.title);
    EXPECT_EQ(notices, std::vector<std::uint32_t>{kNotifyDisplay});

    // The taskbar text is left alone when it has not changed; the tray hint is set each time.
    station.trayHint.clear();
    texts.UpdateDisplay();
    EXPECT_EQ(station.titleWrites, 1);
    EXPECT_EQ(station.trayHint, station.title);

    // Without windows only the station is written; the update still completes.
    texts.SetDisplay(nullptr);
    texts.SetFloatingBar(nullptr);
    texts.SetStation(nullptr);
    texts.UpdateDisplay();
    EXPECT_EQ(notices.size(), 3u);
}

TEST_F(DisplayTextsTest, ALoadedTitleShowsItsCaptionFileAndTimes)
{
    TTitle *song = AddSong(QStringLiteral("Song"), 90500);
    album->CurrentTitle = song;
    Load(song);
    SeekTo(30000);

    texts.UpdateDisplay();
    EXPECT_EQ(display.caption, QStringLiteral("Song (") + song->FileName + QLatin1Char(')'));
    EXPECT_EQ(display.time, QStringLiteral("00:00:30"));
    EXPECT_EQ(display.time2, QStringLiteral("00:01:00")); // the time left
    EXPECT_EQ(display.total, QStringLiteral("00:01:30"));
    EXPECT_EQ(display.barPosition, 30000u);
    EXPECT_EQ(display.barMaximum, player.GetLength());
    EXPECT_EQ(bar.caption, QStringLiteral("Song"));
    EXPECT_EQ(bar.time, QStringLiteral("00:00:30"));
    EXPECT_EQ(station.title, QStringLiteral("Song - 00:00:30 - Tonaria"));

    // A title without a file name shows its caption alone.
    g.LoadedTitleCopy.FileName.clear();
    texts.UpdateDisplay();
    EXPECT_EQ(display.caption, QStringLiteral("Song"));

    // Swapped, the main time counts down and the other counts up.
    g.TimeSwap = true;
    texts.UpdateDisplay();
    EXPECT_EQ(display.time, QStringLiteral("00:01:00"));
    EXPECT_EQ(display.time2, QStringLiteral("00:00:30"));
    EXPECT_EQ(bar.time, QStringLiteral("00:01:00"));
    g.TimeSwap = false;

    // While the position bar is dragged, its position stands for the player's.
    display.dragging = true;
    display.dragPosition = 45000;
    texts.UpdateDisplay();
    EXPECT_EQ(display.time, QStringLiteral("00:00:45"));
    EXPECT_EQ(display.time2, QStringLiteral("00:00:45"));
    EXPECT_EQ(display.barPosition, 45000u);

    // A position past the length leaves no time, never a wrapped-round one.
    display.dragPosition = 100000;
    texts.UpdateDisplay();
    EXPECT_EQ(display.time2, QStringLiteral("00:00:00"));
    display.dragging = false;

    // Closed, the player is not ready: zero times, the dragged bar still counts.
    player.Close();
    texts.UpdateDisplay();
    EXPECT_EQ(display.time, QStringLiteral("00:00:00"));
    EXPECT_EQ(display.total, QStringLiteral("00:00:00"));
    EXPECT_EQ(display.barMaximum, 0u);
    EXPECT_EQ(bar.caption, QStringLiteral("Song"));
}

TEST_F(DisplayTextsTest, TheTypedNumberAndTheSleepReplaceTimeAndCaption)
{
    for (int i = 1; i <= 12; ++i)
        AddSong(QStringLiteral("Song %1").arg(i), 5000);
    album->CurrentTitle = album->Titles[0];
    Load(album->Titles[0]);
    SeekTo(2000);

    // The digits typed so far, filled with "-" to the width of the largest number.
    g.QuickNumberDigits = QStringLiteral("1");
    texts.UpdateDisplay();
    EXPECT_EQ(display.time, QStringLiteral("1-"));
    EXPECT_EQ(bar.time, QStringLiteral("00:00:02"));
    EXPECT_EQ(station.title, QStringLiteral("Song 1 - 00:00:02 - Tonaria"));
    g.QuickNumberDigits = QStringLiteral("12");
    texts.UpdateDisplay();
    EXPECT_EQ(display.time, QStringLiteral("12"));
    g.QuickNumberDigits.clear();

    // The pause between titles: the message takes the whole seconds of the delay.
    g.Sleeping = true;
    g.PauseDelay = 3500;
    texts.UpdateDisplay();
    EXPECT_EQ(display.caption, QStringLiteral("Next title in 3 seconds..."));
    EXPECT_EQ(bar.caption, display.caption);
    EXPECT_EQ(station.title, QStringLiteral("Next title in 3 seconds... - 00:00:02 - Tonaria"));
}

TEST_F(DisplayTextsTest, APackageShowsItsEntryAndNamesTheEntriesAroundIt)
{
    const QString path = env.writeFile(QStringLiteral("pack.zip"),
                                       MakeZip({{"ONE.MID", MidiFileBytes(1000)},
                                                {"dir/TWO_SONG.MID", MidiFileBytes(1000)},
                                                {"three.mid", MidiFileBytes(1000)}}));
    TTitle *pack = album->AddTitle();
    pack->Caption = QStringLiteral("Pack");
    pack->FileName = path;
    album->RefreshInternalPrograms();
    album->CurrentTitle = pack;
    // Member `index` unpacked as the transport asks for it.
    const auto prepare = [&](int index) {
        int answers = 0;
        bool unpacked = false;
        g.ZipMan->Prepare(path, index, &texts, [&](bool ok) {
            ++answers;
            unpacked = ok;
        });
        return WaitUntil([&] { return answers == 1; }) && unpacked;
    };
    ASSERT_TRUE(prepare(1));
    g.ZipMode = true;
    OpenOnAnyDevice(player, g.ZipMan->CurrentFile());
    MarkLoaded(pack);

    texts.UpdateDisplay();
    const QString entry = g.ZipMan->CurrentCaption();
    EXPECT_FALSE(entry.isEmpty());
    EXPECT_EQ(display.caption,
              entry + QStringLiteral(" (") + g.ZipMan->CurrentSubCaption() + QLatin1Char(')'));
    EXPECT_EQ(bar.caption, entry);
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlayPrev],
              QStringLiteral("Previous: ONE.MID (Ctrl+Left)"));
    EXPECT_EQ(station.hints[TStationAction::aPlayNext],
              QStringLiteral("Next: three.mid (Ctrl+Right)"));

    // At the ends of the package the album's titles are named again.
    ASSERT_TRUE(prepare(2));
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlayNext], QStringLiteral("Next: Pack (Ctrl+Right)"));
    ASSERT_TRUE(prepare(0));
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlayPrev],
              QStringLiteral("Previous: Pack (Ctrl+Left)"));
    player.Close();
    g.ZipMan->ClosePackage();
}

TEST_F(DisplayTextsTest, FormatTimeReadsThePlayersFormatAndIsZeroWhileNotReady)
{
    // Not ready: every part is 0 whatever the pattern asks for.
    EXPECT_EQ(texts.FormatTime(754321, u"S.u U T"), QStringLiteral("0.00 0 0"));
    EXPECT_EQ(texts.FormatPlayerTime(754321), QStringLiteral("00:00:00"));

    TTitle *song = AddSong(QStringLiteral("Song"), 1000);
    Load(song);
    ASSERT_EQ(player.GetTimeFormat(), std::uint32_t(MCI_FORMAT_MILLISECONDS));
    EXPECT_EQ(texts.FormatTime(754321, u"M:s.v"), QStringLiteral("12:34.321"));
    // The sequencer counts a file as one track.
    EXPECT_EQ(texts.FormatTime(754321, u"T t"), QStringLiteral("1 01"));
    EXPECT_EQ(texts.FormatPlayerTime(754321), QStringLiteral("00:12:34"));
}

TEST_F(DisplayTextsTest, ATrackOfZeroOnAMediumWithTracksIsTheCurrentTrack)
{
    TScriptedDevice cd;
    cd.Attach(player);
    // The scripted drive answers in milliseconds.
    player.OnDeviceMessage = [&cd](TSonoricPlayer *, std::int32_t, std::uint32_t uMsg,
                                   std::uint32_t flags, std::uintptr_t param,
                                   std::int32_t &result) {
        auto *status = reinterpret_cast<MCI_STATUS_PARMS *>(param);
        if (uMsg == MCI_STATUS && status->dwItem == MCI_STATUS_TIME_FORMAT) {
            status->dwReturn = MCI_FORMAT_MILLISECONDS;
            result = 0;
            return;
        }
        result = std::int32_t(cd.Handle(uMsg, flags, param));
    };
    player.AnalyzePluginDevices();
    ASSERT_EQ(player.PluginDeviceCount(), 1);
    player.SetDevice(player.Devices().back().get());
    player.SetFilename(QString());
    player.Open();
    ASSERT_TRUE(player.HasTracks());
    player.SetTrack(2);

    EXPECT_EQ(texts.FormatTime(61000, u"T|t|m:s"), QStringLiteral("2|02|01:01"));
    player.Close(); // while the drive still answers
}

TEST_F(DisplayTextsTest, HintsNameTheTitleEachCommandWouldGoTo)
{
    TTitle *a = AddSong(QStringLiteral("Alpha"), 2000);
    TTitle *b = AddSong(QStringLiteral("Beta"), 2000);
    TTitle *c = AddSong(QStringLiteral("Gamma"), 2000);
    (void)b;

    // Nothing chosen or loaded: Previous names the last title, Next the first; all disabled.
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlay], QStringLiteral("Play (Ctrl+Space)"));
    EXPECT_EQ(station.hints[TStationAction::aPlayPrev],
              QStringLiteral("Previous: Gamma (Ctrl+Left)"));
    EXPECT_EQ(station.hints[TStationAction::aPlayNext], QStringLiteral("Next: Alpha (Ctrl+Right)"));
    for (const TStationAction action : kTransportActions)
        EXPECT_FALSE(station.enabled.at(action)) << qPrintable(StationActionName(action));

    // A title chosen but not open: Play starts it, Next opens it.
    album->CurrentTitle = a;
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlay], QStringLiteral("Play Alpha (Ctrl+Space)"));
    EXPECT_EQ(station.hints[TStationAction::aPlayNext], QStringLiteral("Next: Alpha (Ctrl+Right)"));
    EXPECT_TRUE(station.enabled.at(TStationAction::aPlay));
    EXPECT_FALSE(station.enabled.at(TStationAction::aPlayStop));

    // Loaded: Next goes on to the following title; every command but Pause works on it.
    Load(a);
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlayNext], QStringLiteral("Next: Beta (Ctrl+Right)"));
    for (const TStationAction action : kTransportActions)
        EXPECT_EQ(station.enabled.at(action), action != TStationAction::aPlayPause)
            << qPrintable(StationActionName(action));

    // Pause works while playing and while paused.
    player.Play();
    ASSERT_EQ(player.GetMode(), std::uint32_t(MCI_MODE_PLAY));
    texts.UpdateControls();
    EXPECT_TRUE(station.enabled.at(TStationAction::aPlayPause));
    player.Pause();
    ASSERT_TRUE(WaitUntil([&] { return player.GetMode() == MCI_MODE_PAUSE; }));
    texts.UpdateControls();
    EXPECT_TRUE(station.enabled.at(TStationAction::aPlayPause));
    player.Stop();

    // Another title picked in the list while one is loaded: Play and Next both go to it.
    album->CurrentTitle = c;
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlay], QStringLiteral("Play Gamma (Ctrl+Space)"));
    EXPECT_EQ(station.hints[TStationAction::aPlayNext], QStringLiteral("Next: Gamma (Ctrl+Right)"));
    EXPECT_EQ(station.hints[TStationAction::aPlayPrev],
              QStringLiteral("Previous: Beta (Ctrl+Left)"));

    // Before the library is ready no title is named for Previous and Next.
    g.LibraryReady = false;
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlayPrev], QStringLiteral("Previous (Ctrl+Left)"));
    EXPECT_EQ(station.hints[TStationAction::aPlayNext], QStringLiteral("Next (Ctrl+Right)"));

    // The hint's name is text, never a format: a caption with "%s" stays as written.
    g.LibraryReady = true;
    c->Caption = QStringLiteral("100%s");
    texts.UpdateControls();
    EXPECT_EQ(station.hints[TStationAction::aPlayNext], QStringLiteral("Next: 100%s (Ctrl+Right)"));
    EXPECT_EQ(notices.back(), kNotifyControls);
}

TEST_F(DisplayTextsTest, TheDisplaysButtonsFollowTheLoadedTitleAndTheTypedNumber)
{
    for (int i = 1; i <= 12; ++i)
        AddSong(QStringLiteral("Song %1").arg(i), 2000);
    TTitle *first = album->Titles[0];
    TTitle *outside = album->AddTitle(); // in the album, in no custom program
    outside->Caption = QStringLiteral("Outside");
    outside->FileName = first->FileName;
    album->RefreshInternalPrograms();

    auto custom = album->CreateProgram();
    TProgram *program = custom.get();
    program->Titles = {first};
    album->CustomPrograms.push_back(std::move(custom));
    album->CurrentProgram = program;
    album->CurrentTitle = first;

    // Nothing loaded: none of the title buttons; one title in the program: only digit 1.
    texts.UpdateControls();
    for (const auto control : {TDisplayControl::bbAddToProgram, TDisplayControl::bbRemoveFromAlbum,
                               TDisplayControl::bbRemoveFromProgram, TDisplayControl::tpbDisplay})
        EXPECT_FALSE(display.enabled.at(control));
    for (int digit = 0; digit <= 9; ++digit)
        EXPECT_EQ(display.enabled.at(DigitButton(digit)), digit == 1) << digit;

    // The loaded title is in the custom program: it can be removed from it and from the album.
    Load(first);
    texts.UpdateControls();
    EXPECT_FALSE(display.enabled.at(TDisplayControl::bbAddToProgram));
    EXPECT_TRUE(display.enabled.at(TDisplayControl::bbRemoveFromAlbum));
    EXPECT_TRUE(display.enabled.at(TDisplayControl::bbRemoveFromProgram));
    EXPECT_TRUE(display.enabled.at(TDisplayControl::tpbDisplay));
    EXPECT_FALSE(display.enabled.at(TDisplayControl::bbEject)); // the sequencer has no door

    // A title outside the program can be added to it.
    Load(outside);
    texts.UpdateControls();
    EXPECT_TRUE(display.enabled.at(TDisplayControl::bbAddToProgram));
    EXPECT_FALSE(display.enabled.at(TDisplayControl::bbRemoveFromProgram));

    // An internal program is never edited from the display.
    album->CurrentProgram = album->InternalPrograms[0].get();
    Load(first);
    texts.UpdateControls();
    EXPECT_FALSE(display.enabled.at(TDisplayControl::bbRemoveFromProgram));

    // Thirteen titles: with "1" typed, 0 to 3 can still follow; with nothing typed, 1 to 9.
    for (int digit = 0; digit <= 9; ++digit)
        EXPECT_EQ(display.enabled.at(DigitButton(digit)), digit >= 1) << digit;
    g.QuickNumberDigits = QStringLiteral("1");
    texts.UpdateControls();
    for (int digit = 0; digit <= 9; ++digit)
        EXPECT_EQ(display.enabled.at(DigitButton(digit)), digit <= 3) << digit;
    g.QuickNumberDigits.clear();

    // The record behind the loaded title is gone: nothing can be added or removed any more,
    // although the copy keeps the caption on the display.
    album->CurrentProgram = program;
    g.LoadedTitleSource = nullptr;
    texts.UpdateControls();
    EXPECT_FALSE(display.enabled.at(TDisplayControl::bbAddToProgram));
    EXPECT_FALSE(display.enabled.at(TDisplayControl::bbRemoveFromAlbum));
    EXPECT_TRUE(display.enabled.at(TDisplayControl::tpbDisplay));

    // While starting up or shutting down the buttons are left as they are; the hints are not.
    display.enabled.clear();
    station.hints.clear();
    g.ShuttingDown = true;
    texts.UpdateControls();
    EXPECT_TRUE(display.enabled.empty());
    EXPECT_EQ(station.hints.size(), 8u);
}

TEST_F(DisplayTextsTest, AnimationAndMeterReachTheDisplayOnlyWhenItIsThere)
{
    TSonoricMixer mixer;
    mixer.Open();
    g.Mixer = &mixer;

    texts.UpdateAnimation(); // the flag is off
    EXPECT_EQ(display.animationSteps, 0);
    g.DisplayFlag = true;
    texts.UpdateAnimation();
    EXPECT_EQ(display.animationSteps, 1);

    texts.UpdatePeakMeter();
    ASSERT_EQ(display.meter.size(), 1u);
    EXPECT_EQ(display.meter[0], std::make_pair(0, 0)); // nothing plays

    texts.SetDisplay(nullptr);
    texts.UpdateAnimation();
    texts.UpdatePeakMeter();
    EXPECT_EQ(display.animationSteps, 1);
    EXPECT_EQ(display.meter.size(), 1u);
    EXPECT_EQ(notices, (std::vector<std::uint32_t>{kNotifyAnimate, kNotifyAnimate, kNotifyPeak,
                                                   kNotifyAnimate, kNotifyPeak}));
    g.Mixer = nullptr;
}

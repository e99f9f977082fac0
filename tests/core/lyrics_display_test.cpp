// The sung words of a karaoke file in the caption, in time with the music: the jukebox plays a
// generated ".kar" on a sequencer whose position follows the clock the test drives, and each line
// must reach the caption within 50 ms of its syllable, though the periodic refresh is far slower.
#include "core/displaytexts.h"
#include "core/floatingbarsink.h"
#include "core/jukebox.h"
#include "core/ticker.h"
#include "core/tonariaglobals.h"
#include "platform/midi/smfbuilder.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

namespace {

class TCaptionLog : public TFloatingBarSink {
public:
    QString caption;
    void SetCaption(const QString &text) override { caption = text; }
    void SetTime(const QString &) override {}
};

// Three syllables at 500, 1000 and 1250 ms (the tempo doubles at 1000 ms).
QByteArray KaraokeFile()
{
    TSmfBuilder smf(1, 480);
    smf.track().tempo(0, 500000).tempo(960, 250000).endOfTrack(1920);
    smf.track()
        .meta(0, 0x01, "@KMIDI KARAOKE FILE")
        .meta(480, 0x01, "\\Hel")
        .meta(480, 0x01, "lo")
        .meta(480, 0x01, "/World")
        .noteOn(0, 0, 60)
        .noteOff(480, 0, 60)
        .endOfTrack(0);
    return smf.build();
}

TEST(LyricsDisplay, EachLineIsInTheCaptionWithin50MsOfItsSyllable)
{
    UseTestSoundFont();
    TTestEnvironment env;
    TScriptedMessageService boxes;
    TDrivenClock clock;
    const QString song = env.writeFile(QStringLiteral("song.kar"), KaraokeFile());

    // A sequencer that plays in the driven clock's time, in milliseconds.
    TScriptedDevice sequencer;
    sequencer.Name = QStringLiteral("clockedseq");
    sequencer.Product = QStringLiteral("Clocked Sequencer");
    sequencer.Type = MCI_DEVTYPE_SEQUENCER;
    sequencer.Start = 0;
    sequencer.Position = 0;
    sequencer.TrackLengths = {3000};
    TJukebox jukebox(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
    jukebox.Player().OnDeviceCount = [](TSonoricPlayer *, std::int32_t &count) { count = 1; };
    jukebox.Player().OnDeviceMessage = [&](TSonoricPlayer *, std::int32_t, std::uint32_t uMsg,
                                           std::uint32_t flags, std::uintptr_t param,
                                           std::int32_t &result) {
        auto *status = reinterpret_cast<MCI_STATUS_PARMS *>(param);
        if (uMsg == MCI_STATUS && status->dwItem == MCI_STATUS_TIME_FORMAT) {
            status->dwReturn = MCI_FORMAT_MILLISECONDS;
            result = 0;
            return;
        }
        if (uMsg == MCI_SET) {
            result = 0;
            return;
        }
        result = std::int32_t(sequencer.Handle(uMsg, flags, param));
    };
    jukebox.StartUp(ParseCommandLine({}));
    TCaptionLog bar;
    jukebox.DisplayTexts().SetFloatingBar(&bar);
    jukebox.FinishStartUp();
    ASSERT_GT(jukebox.Ticker().DisplayInterval(), 50);

    TSPDeviceInfo *device = jukebox.Player().Devices().back().get();
    jukebox.OpenFiles(QLatin1Char('"') + song + QLatin1Char('"'), device);
    jukebox.ExecuteAction(TStationAction::aPlay);
    ASSERT_EQ(sequencer.Mode, MCI_MODE_PLAY);
    EXPECT_EQ(bar.caption, QStringLiteral("Song"));

    const std::vector<std::pair<int, QString>> lines = {
        {500, "Hel"}, {1000, "Hello"}, {1250, "World"}};
    std::vector<int> shownAt(lines.size(), -1);
    for (int now = 1; now <= 1400; ++now) {
        sequencer.Position = std::uint32_t(now);
        clock.Advance(1);
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (shownAt[i] < 0 && bar.caption == lines[i].second) shownAt[i] = now;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].second.toStdString());
        EXPECT_GE(shownAt[i], lines[i].first);
        EXPECT_LE(shownAt[i], lines[i].first + 50);
    }

    // Stopped, the caption is the title's again.
    jukebox.ExecuteAction(TStationAction::aPlayStop);
    jukebox.GlobalState().UpdateDisplay();
    EXPECT_EQ(bar.caption, QStringLiteral("Song"));
    jukebox.DisplayTexts().SetFloatingBar(nullptr);
}

} // namespace

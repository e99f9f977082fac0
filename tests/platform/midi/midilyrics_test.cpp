// The sung words of generated files: where they come from, how lines break and when each
// syllable is due through tempo changes; no input gives more than it holds.
#include "platform/midi/midifile.h"
#include "platform/midi/midilyrics.h"
#include "smfbuilder.h"

#include <gtest/gtest.h>

namespace {

using TSteps = std::vector<std::pair<std::int64_t, QString>>;

TSteps Steps(const QByteArray &bytes, bool karaoke)
{
    TMidiFile file;
    EXPECT_TRUE(file.parse(bytes));
    TSteps steps;
    const TMidiLyrics lyrics(file, karaoke);
    for (const TLyricStep &step : lyrics.Steps())
        steps.emplace_back(step.TimeMs, step.Line);
    return steps;
}

// 480 ticks a quarter at 120 beats a minute: 480 ticks are 500 ms until the tempo doubles at
// tick 960, then 250 ms.
TSmfBuilder &Tempi(TSmfBuilder &smf)
{
    return smf.track().tempo(0, 500000).tempo(960, 250000).endOfTrack(0);
}

TEST(MidiLyrics, KaraokeTextsBreakLinesSkipHeadersAndFollowTheTempo)
{
    TSmfBuilder smf(1, 480);
    Tempi(smf).track()
        .meta(0, 0x01, "@KMIDI KARAOKE FILE")
        .meta(0, 0x01, "@TA song")
        .meta(480, 0x01, "\\Hel")
        .meta(480, 0x01, "lo ")
        .meta(0, 0x01, "you")
        .meta(480, 0x01, "/World")
        .meta(240, 0x01, "\r\n")
        .meta(240, 0x01, "  again")
        .endOfTrack(0);
    const TSteps expected = {{500, "Hel"}, {1000, "Hello you"}, {1250, "World"}, {1500, "again"}};
    EXPECT_EQ(Steps(smf.build(), true), expected);
    // The same texts in a file that is not a karaoke file are no words.
    EXPECT_TRUE(Steps(smf.build(), false).empty());
}

TEST(MidiLyrics, LyricEventsAreTheWordsOfAnyFileAndTakeThePlaceOfTexts)
{
    TSmfBuilder smf(1, 480);
    Tempi(smf).track()
        .meta(0, 0x01, "a text, no word")
        .meta(480, 0x05, "Sing\n")
        .meta(480, 0x05, "now")
        .meta(0, 0x05, "\xE9t\xE9") // Latin-1: the file is not UTF-8
        .endOfTrack(0);
    const TSteps expected = {{500, "Sing"}, {1000, QString::fromUtf8("now\xC3\xA9t\xC3\xA9")}};
    EXPECT_EQ(Steps(smf.build(), false), expected);
    EXPECT_EQ(Steps(smf.build(), true), expected);

    TMidiFile file;
    ASSERT_TRUE(file.parse(smf.build()));
    const TMidiLyrics lyrics(file, false);
    EXPECT_EQ(lyrics.LineAt(499), nullptr);
    EXPECT_EQ(*lyrics.LineAt(500), QStringLiteral("Sing"));
    EXPECT_EQ(*lyrics.LineAt(999), QStringLiteral("Sing"));
    EXPECT_EQ(lyrics.NextStepAfter(500), 1000);
    EXPECT_EQ(lyrics.NextStepAfter(1000), -1);
}

TEST(MidiLyrics, ALineWithoutBreaksStaysShortAndBrokenFilesGiveWhatTheyHold)
{
    TSmfBuilder smf(0, 480);
    smf.track();
    for (int i = 0; i < 500; ++i)
        smf.meta(10, 0x05, "la ");
    const QByteArray bytes = smf.endOfTrack(0).build();
    const TSteps steps = Steps(bytes, false);
    ASSERT_FALSE(steps.empty());
    for (const auto &step : steps)
        EXPECT_LE(step.second.size(), TMidiLyrics::MaxLineLength);

    // Cut anywhere, the file never gives words it does not hold.
    for (qsizetype cut = 14; cut < bytes.size(); cut += 97) {
        TMidiFile file;
        if (!file.parse(bytes.left(cut))) continue;
        const TMidiLyrics lyrics(file, true);
        for (const TLyricStep &step : lyrics.Steps())
            EXPECT_TRUE(step.Line.startsWith(QStringLiteral("la")));
    }
    EXPECT_TRUE(TMidiLyrics::FromFile(QStringLiteral("/nonexistent/song.kar")).Empty());
}

} // namespace

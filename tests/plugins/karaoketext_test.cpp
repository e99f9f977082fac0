// How the view lays the words of a file out as lines: where the words come from, and how lines
// and verses break.
#include "karaoketext.h"
#include "platform/midi/midifile.h"
#include "platform/midi/smfbuilder.h"

#include <gtest/gtest.h>

namespace {

struct TText {
    int Track;
    int Type;
    QByteArray Bytes;
};

// The lines as one string: "\" before a line that begins a verse, "/" before any other.
QString Layout(const std::vector<TText> &texts, bool karaoke)
{
    TSmfBuilder smf(1, 480);
    for (int track = 0; track < 2; ++track) {
        smf.track();
        for (const TText &t : texts)
            if (t.Track == track) smf.meta(10, t.Type, t.Bytes);
        smf.endOfTrack(0);
    }
    TMidiFile file;
    EXPECT_TRUE(file.parse(smf.build()));
    QString out;
    const TKaraokeText words(file, karaoke);
    for (const TKaraokeLine &line : words.Lines())
        out += (line.Paragraph ? u'\\' : u'/') + line.Text;
    return out;
}

TEST(KaraokeText, WordsComeFromLyricsOrTheKaraokeTrackAndBreakIntoLinesAndVerses)
{
    const QByteArray word40(40, 'w'), word300(300, 'x');
    const struct {
        const char *Case;
        std::vector<TText> Texts;
        bool Karaoke;
        QString Expected;
    } cases[] = {
        {"karaoke marks",
         {{1, 1, "@KMIDI KARAOKE FILE"},
          {1, 1, "@TSong"},
          {1, 1, "\\Hel"},
          {1, 1, "lo "},
          {1, 1, "you"},
          {1, 1, "/World"},
          {1, 1, "\r\n"},
          {1, 1, "  again"},
          {1, 1, "\\Verse"}},
         true,
         "\\Hello you/World/again\\Verse"},
        {"texts of other tracks are no words",
         {{0, 1, "Sequenced by someone"}, {1, 1, "@LENGL"}, {1, 1, "Sing"}},
         false,
         "\\Sing"},
        {"a karaoke file without headers", {{0, 1, "Sing"}, {1, 1, " on"}}, true, "\\Sing on"},
        {"texts of a plain file", {{0, 1, "Sing"}}, false, ""},
        {"lyrics before texts",
         {{0, 1, "@KMIDI KARAOKE FILE"},
          {0, 1, "a text"},
          {1, 5, "Sing\n"},
          {1, 5, "now\n\n"},
          {1, 5, "again"}},
         true,
         "\\Sing/now\\again"},
        {"breaks inside a syllable", {{1, 5, "one\r\rtwo\nthree"}}, false, "\\one\\two/three"},
        {"a long line breaks before a word",
         {{1, 5, word40}, {1, 5, " " + word40}, {1, 5, " end"}},
         false,
         "\\" + QString::fromLatin1(word40 + " " + word40) + "/end"},
        {"a line without spaces breaks anywhere",
         {{1, 5, word300}},
         false,
         "\\" + QString(128, u'x') + "/" + QString(128, u'x') + "/" + QString(44, u'x')},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Layout(c.Texts, c.Karaoke), c.Expected) << c.Case;
}

TEST(KaraokeText, SyllablesLightInTimeAndTheNextLineTakesOverAfterAPause)
{
    TSmfBuilder smf(0, 480); // 500 ms a quarter: 480 ticks are 500 ms
    smf.track().meta(480, 5, "Hel").meta(480, 5, "lo\n").meta(1920, 5, "there").endOfTrack(0);
    TMidiFile file;
    ASSERT_TRUE(file.parse(smf.build()));
    const TKaraokeText words(file, false);
    ASSERT_EQ(words.Lines().size(), 2u);
    const struct {
        std::int64_t Ms;
        int Line;
        qsizetype Sung;
    } expected[] = {{0, 0, 0},    {499, 0, 0},  {500, 0, 3},  {999, 0, 3},
                    {1000, 0, 5}, {1999, 0, 5}, {2000, 1, 0}, // held a second, then the next
                    {2999, 1, 0}, {3000, 1, 5}, {99999, 1, 5}};
    for (const auto &e : expected) {
        EXPECT_EQ(words.LineAt(e.Ms), e.Line) << e.Ms;
        EXPECT_EQ(words.SungLength(words.LineAt(e.Ms), e.Ms), e.Sung) << e.Ms;
    }
}

} // namespace

#include "library/titlecaption.h"

#include <gtest/gtest.h>

TEST(TitleCaption, TidiesFileNamesIntoCaptions)
{
    const std::pair<const char *, const char *> cases[] = {
        {"my_song-title.mid", "My Song-Title"},
        {"NIGHTTRAIN.MID", "Nighttrain"},
        {"BigBand.rmi", "Big Band"},
        {"C:\\x\\moonlight sonata.kar", "Moonlight Sonata"},
        {"/home/me/moonlight sonata.kar", "Moonlight Sonata"},
        {"song.mid.bak.mid", "Song.mid.bak"},
        {"x.mid_y.mid", "X.mid Y"},
        {"Track>Side A", "Track"},
        {"Side A>/music/a.mid", "Side A"},
        {"/music/Rock > Pop.mid", "Rock > Pop"}, // a Linux file name may hold ">"
        {"/music/a>b/c_d.mid", "C D"},
        {"C:\\Music\\ABC.MID", "Abc"},
        {"C:\\Music\\bWV_988.mid", "BWV 988"},
        {"noextension", "Noextension"},
        {"dir.with.dots/plain", "Plain"},
        {"aBcD.mid", "ABc D"},
        {"", ""},
    };
    for (const auto &[name, caption] : cases)
        EXPECT_EQ(MakeTitleCaption(QString::fromUtf8(name), true), QString::fromUtf8(caption))
            << name;
}

TEST(TitleCaption, WithoutTidyingOnlyThePathAndExtensionGo)
{
    EXPECT_EQ(MakeTitleCaption("/a/b/my_SONG.mid", false), QStringLiteral("my_SONG"));
    EXPECT_EQ(MakeTitleCaption("a\\b:c.d", false), QStringLiteral("b:c"));
    EXPECT_EQ(MakeTitleCaption("x>y.mid", false), QStringLiteral("x"));
}

#include "library/commatext.h"

#include <gtest/gtest.h>

TEST(CommaText, SplitsOnCommasAndBlanksAndHonoursQuotes)
{
    EXPECT_EQ(SplitCommaText(u"a,b c"), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(SplitCommaText(u"  a ,  b"), (QStringList{"a", "b"}));
    // ",," gives an empty item; a trailing "," gives none.
    EXPECT_EQ(SplitCommaText(u"a,,b,"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitCommaText(u",a"), (QStringList{"", "a"}));
    EXPECT_EQ(SplitCommaText(u"\"x, \"\"y\"\"\",z"), (QStringList{"x, \"y\"", "z"}));
    EXPECT_EQ(SplitCommaText(u"\"\""), (QStringList{""}));
    EXPECT_TRUE(SplitCommaText(u"").isEmpty());
    EXPECT_TRUE(SplitCommaText(u" \t\r\n").isEmpty());
    // Tabs and other control characters separate too.
    EXPECT_EQ(SplitCommaText(u"a\tb\x01"
                             u"c"),
              (QStringList{"a", "b", "c"}));
}

TEST(CommaText, MalformedTextNeverFails)
{
    // An unclosed quote runs to the end of the text.
    EXPECT_EQ(SplitCommaText(u"a,\"b c"), (QStringList{"a", "b c"}));
    EXPECT_EQ(SplitCommaText(u"\""), (QStringList{""}));
    // Text right after a closing quote starts the next item.
    EXPECT_EQ(SplitCommaText(u"\"a\"b"), (QStringList{"a", "b"}));
}

TEST(CommaText, JoinQuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(JoinCommaText({"Nocturne", "C:\\Music\\nocturne.mid", "-1", ""}),
              QStringLiteral("Nocturne,C:\\Music\\nocturne.mid,-1,"));
    EXPECT_EQ(JoinCommaText({"a b", "c,d", "e\"f", "g\th"}),
              QStringLiteral("\"a b\",\"c,d\",\"e\"\"f\",\"g\th\""));
    EXPECT_EQ(JoinCommaText({""}), QStringLiteral("\"\""));
    EXPECT_EQ(JoinCommaText({}), QString());
}

TEST(CommaText, JoinedListsSplitBackToThemselves)
{
    const QList<QStringList> lists = {
        {"plain", "with blank", "", "quote\"inside", "comma,inside", "\"\"", " lead", "trail "},
        {"", ""},
        {""},
        {"x", ""},
    };
    for (const QStringList &list : lists) {
        QStringList expected = list;
        // A trailing empty item is written as a trailing comma, which reads as nothing.
        if (expected.size() > 1 && expected.back().isEmpty()) expected.removeLast();
        EXPECT_EQ(SplitCommaText(JoinCommaText(list)), expected)
            << JoinCommaText(list).toStdString();
    }
}

#include "library/commatext.h"

#include <gtest/gtest.h>

TEST(CommaText, SplitsOnCommasAndBlanksAndHonoursQuotes)
{
    EXPECT_EQ(SplitCommaText(u"  a ,  b\tc"), (QStringList{"a", "b", "c"}));
    // ",," gives an empty item; a trailing "," gives none.
    EXPECT_EQ(SplitCommaText(u",a,,b,"), (QStringList{"", "a", "", "b"}));
    EXPECT_EQ(SplitCommaText(u"\"x, \"\"y\"\"\",z"), (QStringList{"x, \"y\"", "z"}));
    EXPECT_EQ(SplitCommaText(u"\"\""), QStringList{""});
    EXPECT_TRUE(SplitCommaText(u" \r\n").isEmpty());
    // Malformed text: an unclosed quote runs to the end; text after a closing quote is the
    // next item.
    EXPECT_EQ(SplitCommaText(u"a,\"b c"), (QStringList{"a", "b c"}));
    EXPECT_EQ(SplitCommaText(u"\"a\"b"), (QStringList{"a", "b"}));
}

TEST(CommaText, JoinedListsSplitBackToThemselves)
{
    EXPECT_EQ(JoinCommaText({"Nocturne", "C:\\Music\\a b.mid", "-1", ""}),
              QStringLiteral("Nocturne,\"C:\\Music\\a b.mid\",-1,"));
    EXPECT_EQ(JoinCommaText({""}), QStringLiteral("\"\""));
    const QList<QStringList> lists = {
        {"plain", "with blank", "", "quote\"inside", "comma,inside", "\"\"", " lead", "tab\t"},
        {""},
        {"x", ""},
    };
    for (const QStringList &list : lists) {
        QStringList expected = list;
        // A trailing empty item is written as a trailing comma, which reads as nothing.
        if (expected.size() > 1 && expected.back().isEmpty()) expected.removeLast();
        EXPECT_EQ(SplitCommaText(JoinCommaText(list)), expected);
    }
}

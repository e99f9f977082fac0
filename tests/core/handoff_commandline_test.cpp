#include "core/commandline.h"

#include <gtest/gtest.h>

namespace {

QStringList kinds(const TCommandLine &line)
{
    QStringList out;
    for (const auto &item : line.items)
        out << (item.kind == TCommandLineItem::Play    ? QStringLiteral("play")
                : item.kind == TCommandLineItem::Close ? QStringLiteral("close")
                                                       : QStringLiteral("file:") + item.fileName);
    return out;
}

} // namespace

TEST(HandoffCommandLine, OptionsFoldAsciiCaseUnknownOnesAndEmptyArgumentsAreDroppedPathsStay)
{
    const TCommandLine line = ParseCommandLine(
        {QStringLiteral("/PLAY"), QStringLiteral("b.mid"), QString(), QStringLiteral("/"),
         QStringLiteral("/Close"), QStringLiteral("/loop"), QStringLiteral("a.mid"),
         QStringLiteral("play"), QStringLiteral(" /play"), QStringLiteral("/home/me/x.mid"),
         QStringLiteral("/x.mid"), QStringLiteral("/pl\u0130y")});
    EXPECT_EQ(
        kinds(line),
        (QStringList{QStringLiteral("play"), QStringLiteral("file:b.mid"), QStringLiteral("close"),
                     QStringLiteral("file:a.mid"), QStringLiteral("file:play"),
                     QStringLiteral("file: /play"), QStringLiteral("file:/home/me/x.mid"),
                     QStringLiteral("file:/x.mid"), QStringLiteral("file:/pl\u0130y")}));
    EXPECT_EQ(line.files().size(), 7);
    EXPECT_TRUE(line.play());
    EXPECT_TRUE(line.close());
}

TEST(HandoffCommandLine, RelativeFilesAreTakenFromTheWorkingFolderOfTheStart)
{
    const TCommandLine line =
        ParseCommandLine({QStringLiteral("b.mid"), QStringLiteral("../up/c.kar"),
                          QStringLiteral("/home/me/x.mid"), QStringLiteral("/play")},
                         QStringLiteral("/music/here"));
    EXPECT_EQ(line.files(),
              (QStringList{QStringLiteral("/music/here/b.mid"), QStringLiteral("/music/up/c.kar"),
                           QStringLiteral("/home/me/x.mid")}));
    EXPECT_TRUE(line.play());
}

TEST(HandoffCommandLine, AnyArgumentCountsAsArgumentsEvenWhenNothingIsLeft)
{
    EXPECT_FALSE(ParseCommandLine({}).hasArguments);
    const TCommandLine onlyEmpty = ParseCommandLine({QString(), QStringLiteral("/x")});
    EXPECT_TRUE(onlyEmpty.hasArguments);
    EXPECT_TRUE(onlyEmpty.items.empty());
    EXPECT_FALSE(onlyEmpty.play());
}

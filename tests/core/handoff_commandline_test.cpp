#include "core/commandline.h"
#include "handoff_support.h"

#include <gtest/gtest.h>

namespace {

QStringList kinds(const TCommandLine &line)
{
    QStringList out;
    for (const auto &item : line.items) {
        switch (item.kind) {
        case TCommandLineItem::Play:
            out << QStringLiteral("play");
            break;
        case TCommandLineItem::Close:
            out << QStringLiteral("close");
            break;
        case TCommandLineItem::File:
            out << QStringLiteral("file:") + item.fileName;
            break;
        }
    }
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

TEST(HandoffCommandLine, AnyArgumentCountsAsArgumentsEvenWhenNothingIsLeft)
{
    EXPECT_FALSE(ParseCommandLine({}).hasArguments);
    const TCommandLine onlyEmpty = ParseCommandLine({QString(), QStringLiteral("/x")});
    EXPECT_TRUE(onlyEmpty.hasArguments);
    EXPECT_TRUE(onlyEmpty.items.empty());
    EXPECT_FALSE(onlyEmpty.play());
}

TEST(HandoffReceiver, EachCodeActsOnceAndIsAnswered)
{
    TRecordingTarget target;
    THandoffReceiver receiver(target);
    EXPECT_EQ(receiver.handle(HandoffIdentify, {}), 32454);
    EXPECT_EQ(receiver.handle(HandoffQuery, {}), 0);
    EXPECT_EQ(receiver.handle(HandoffPlay, {}), 0);
    EXPECT_EQ(receiver.handle(HandoffAddFile, QStringLiteral("x.mid")), 0);
    EXPECT_EQ(receiver.handle(HandoffAddFile, QString()), 0); // a name-less title is nothing
    EXPECT_EQ(receiver.handle(HandoffClose, QStringLiteral("ignored")), 0);
    EXPECT_EQ(receiver.handle(99, QStringLiteral("y.mid")), 0);
    EXPECT_EQ(receiver.handle(HandoffCommit, {}), 0);
    EXPECT_EQ(target.records,
              (std::vector<THandoffRecord>{{HandoffPlay, {}},
                                           {HandoffAddFile, QStringLiteral("x.mid")},
                                           {HandoffClose, {}},
                                           {HandoffCommit, {}}}));
}

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

TEST(HandoffCommandLine, DashOptionsAskForRequestsAndEndAtADoubleDash)
{
    struct TCase {
        QStringList arguments;
        TCommandLine::TRequest request;
        QString unknown;
        QStringList items;
    };
    const QString a = QStringLiteral("a.mid");
    const TCase cases[] = {
        {{QStringLiteral("--help"), a}, TCommandLine::Help, {}, {QStringLiteral("file:a.mid")}},
        {{a, QStringLiteral("-h")}, TCommandLine::Help, {}, {QStringLiteral("file:a.mid")}},
        {{QStringLiteral("--version"), QStringLiteral("--help")}, TCommandLine::Version, {}, {}},
        {{QStringLiteral("--devices")}, TCommandLine::Devices, {}, {}},
        // The first unknown option is reported, whatever else is asked.
        {{QStringLiteral("--help"), QStringLiteral("--word"), QStringLiteral("-")},
         TCommandLine::UnknownOption,
         QStringLiteral("--word"),
         {}},
        {{QStringLiteral("-"), a},
         TCommandLine::UnknownOption,
         QStringLiteral("-"),
         {QStringLiteral("file:a.mid")}},
        {{QStringLiteral("-x.mid")}, TCommandLine::UnknownOption, QStringLiteral("-x.mid"), {}},
        {{QStringLiteral("--HELP")}, TCommandLine::UnknownOption, QStringLiteral("--HELP"), {}},
        // After "--" a dash is part of a name; the switches keep their meaning.
        {{QStringLiteral("--"), QStringLiteral("-x.mid"), QStringLiteral("--help"),
          QStringLiteral("--"), QStringLiteral("-"), QStringLiteral("/play")},
         TCommandLine::Run,
         {},
         {QStringLiteral("file:-x.mid"), QStringLiteral("file:--help"), QStringLiteral("file:--"),
          QStringLiteral("file:-"), QStringLiteral("play")}},
    };
    for (const TCase &c : cases) {
        const TCommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.request, c.request) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(line.unknownOption, c.unknown) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(kinds(line), c.items) << c.arguments.join(u' ').toStdString();
    }
    // A lone "--" asks for nothing: the start is like one without arguments.
    EXPECT_FALSE(ParseCommandLine({QStringLiteral("--")}).hasArguments);
}

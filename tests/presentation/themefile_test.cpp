#include "platform/system/messageservice.h"
#include "presentation/theme/themecolour.h"
#include "presentation/theme/tuiman.h"
#include "support/testenv.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

QByteArray crlf(const char *text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

} // namespace

TEST(ThemeFile, GroupForTheScreenDepth)
{
    TUIMan man;
    ASSERT_TRUE(
        man.LoadFromText("[8]\nfDisplay.Bkg=simple.bmp\n[16, 24 32]\nfDisplay.Bkg=rich.bmp\n"));
    ASSERT_EQ(man.GroupCount(), 4);
    EXPECT_EQ(man.GroupForDepth(16)->Value(u"fDisplay.Bkg"), QStringLiteral("rich.bmp"));
    EXPECT_EQ(man.GroupForDepth(32)->Value(u"fDisplay.Bkg"), QStringLiteral("rich.bmp"));
    EXPECT_EQ(man.GroupForDepth(4)->Value(u"fDisplay.Bkg"), QStringLiteral("simple.bmp"));
    man.Clear();
    EXPECT_EQ(man.GroupForDepth(8), nullptr);
}

TEST(ThemeFile, ReadingRules)
{
    TUIMan man;
    // Trimmed lines, CR-only and LF line ends, entries before a header dropped, the key up to
    // the first "=", keys unique without regard to case, hexadecimal and quoted numbers.
    ASSERT_TRUE(man.LoadFromText("early=1\r  [ $10 ]  \r\x01 a.b=x=y \t\nA.B=z\nplain line\n"
                                 "[\"24\"]\n=empty key\n"));
    ASSERT_EQ(man.GroupCount(), 2);
    const TUIGroup &g16 = man.Group(0);
    EXPECT_EQ(g16.Number(), 16);
    EXPECT_EQ(g16.Lines(), QStringList{QStringLiteral("A.B=z")});
    EXPECT_EQ(man.Group(1).Number(), 24);
    EXPECT_EQ(man.Group(1).Count(), 0);
}

TEST(ThemeFile, ThemeOverDefaultReplacesOnlyItsKeys)
{
    TUIMan man;
    man.LoadFromText("[24]\nfDisplay.Bkg=base.bmp\nfDisplay.bbPlay=pcBtn1\n");
    man.LoadFromText("[24]\nfDisplay.bbPlay=pcBtn2\n[8]\nfDisplay.Bkg=low.bmp\n");
    const TUIGroup *g = man.FindGroup(24);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Value(u"fDisplay.Bkg"), QStringLiteral("base.bmp"));
    EXPECT_EQ(g->Value(u"fDisplay.bbPlay"), QStringLiteral("pcBtn2"));
    EXPECT_EQ(g->Count(), 2);
    EXPECT_EQ(man.GroupForDepth(8)->Value(u"fDisplay.Bkg"), QStringLiteral("low.bmp"));
}

TEST(ThemeFile, SavedFormSortsEachGroupAndSplitsSharedHeaders)
{
    TUIMan man;
    man.LoadFromText("[16,24,32]\nb=2\nA=1\nc=3\n[8]\nz=0\n");
    EXPECT_EQ(man.SaveToText(), crlf("[16]\nA=1\nb=2\nc=3\n\n[24]\nA=1\nb=2\nc=3\n\n"
                                     "[32]\nA=1\nb=2\nc=3\n\n[8]\nz=0\n"));
}

TEST(ThemeFile, BadHeaderStopsTheLoadWithTheError)
{
    TTestEnvironment env;
    TScriptedMessageService boxes;
    const QString path =
        env.writeFile(QStringLiteral("Bad.tui"), "[8]\na=1\n[16,x]\nb=2\n[24]\nc=3\n");
    TUIMan man;
    EXPECT_FALSE(man.LoadFromFile(path));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(boxes.boxes()[0].text.contains(QStringLiteral("ErrFileLoad")) ||
                boxes.boxes()[0].text.contains(path));
    EXPECT_EQ(boxes.boxes()[0].flags & MB_ICONMASK, MB_ICONERROR);
    // What was read before the bad number stays; nothing after it is read.
    EXPECT_EQ(man.FindGroup(8)->Value(u"a"), QStringLiteral("1"));
    EXPECT_EQ(man.FindGroup(24), nullptr);
    EXPECT_FALSE(man.LoadFromFile(env.scratch() + QStringLiteral("missing.tui")));
    EXPECT_EQ(boxes.boxes().size(), 2u);

    TUIMan saver;
    saver.LoadFromText("[8]\na=1\n");
    EXPECT_FALSE(saver.SaveToFile(env.scratch() + QStringLiteral("no/such/folder/x.tui")));
    EXPECT_EQ(boxes.boxes().size(), 3u);
}

TEST(ThemeFile, ChosenThemeLiesOverDefault)
{
    TTestEnvironment env;
    TScriptedMessageService boxes;
    env.writeFile(QStringLiteral("Default.tui"), "[24]\nfDisplay.Bkg=d.bmp\nfFloat.Bkg=f.bmp\n");
    env.writeFile(QStringLiteral("Dark.tui"), "[24]\nfDisplay.Bkg=dark.bmp\n");
    TUIMan man;
    man.LoadChosenTheme(QStringLiteral("Dark"), env.scratch());
    EXPECT_EQ(man.Name, QStringLiteral("Dark"));
    EXPECT_EQ(man.FindGroup(24)->Value(u"fDisplay.Bkg"), QStringLiteral("dark.bmp"));
    EXPECT_EQ(man.FindGroup(24)->Value(u"fFloat.Bkg"), QStringLiteral("f.bmp"));
    // Already loaded: nothing is read again.
    man.FindGroup(24)->SetEntry(QStringLiteral("x"), QStringLiteral("kept"));
    man.LoadChosenTheme(QStringLiteral("Dark"), env.scratch());
    EXPECT_EQ(man.FindGroup(24)->Value(u"x"), QStringLiteral("kept"));
    man.LoadChosenTheme(QStringLiteral("Default"), env.scratch());
    EXPECT_EQ(man.FindGroup(24)->Value(u"fDisplay.Bkg"), QStringLiteral("d.bmp"));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(ThemeFile, NumbersAndColours)
{
    struct Case {
        const char16_t *Text;
        bool Ok;
        int Value;
    } numbers[] = {{u"12", true, 12},         {u"-7", true, -7},        {u"$1F", true, 31},
                   {u"0x10", true, 16},       {u" 5", true, 5},         {u"", false, 0},
                   {u"12a", false, 0},        {u"5 ", false, 0},        {u"$", false, 0},
                   {u"2147483648", false, 0}, {u"$FFFFFFFF", true, -1}, {u"1.5", false, 0}};
    for (const Case &c : numbers) {
        int value = 0;
        EXPECT_EQ(ParseThemeInteger(QStringView(c.Text), value), c.Ok)
            << QString::fromUtf16(c.Text).toStdString();
        if (c.Ok) {
            EXPECT_EQ(value, c.Value);
        }
    }
    struct ColourCase {
        const char16_t *Text;
        bool Ok;
        std::uint32_t Value;
    } colours[] = {{u"clFuchsia", true, 0xFF00FF},     {u"clwhite", true, 0xFFFFFF},
                   {u"clScrollBar", true, 0x80000000}, {u"clBtnFace", true, 0x8000000F},
                   {u"clInfoBk", true, 0x80000018},    {u"$0000FF", true, 0xFF},
                   {u"$80000005", true, 0x80000005},   {u"clPink", false, 0}};
    for (const ColourCase &c : colours) {
        std::uint32_t value = 0;
        EXPECT_EQ(ParseThemeColour(QStringView(c.Text), value), c.Ok);
        if (c.Ok) {
            EXPECT_EQ(value, c.Value);
        }
    }
}

TEST(ThemeFile, ShippedThemesRoundTripByteForByte)
{
    const QDir themes(TTestEnvironment::sourceData() + QStringLiteral("Themes"));
    const QStringList files = themes.entryList({QStringLiteral("*.tui")}, QDir::Files);
    ASSERT_GE(files.size(), 2);
    for (const QString &name : files) {
        const QByteArray bytes = TTestEnvironment::readFile(themes.filePath(name));
        TUIMan man;
        ASSERT_TRUE(man.LoadFromText(bytes)) << name.toStdString();
        EXPECT_EQ(man.SaveToText(), bytes) << name.toStdString();
    }
}

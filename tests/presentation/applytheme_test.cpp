#include "platform/system/messageservice.h"
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/tbmpled.h"
#include "presentation/skin/tdcdisruptor.h"
#include "presentation/skin/tformshaper.h"
#include "presentation/skin/tpiccol.h"
#include "presentation/skin/applytheme.h"
#include "presentation/theme/tuiman.h"
#include "skinwindows.h"
#include "support/testenv.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QImage filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A themes folder with a few pictures and a theme text applied to a test display window.
struct TThemeBench {
    TTestEnvironment env;
    TScriptedMessageService boxes;
    TThemeHost host;
    TTestDisplay display;
    TUIMan man;
    bool flag = false;
    int reapplied = 0;

    TThemeBench()
    {
        host.ThemesFolder = env.scratch();
        host.ScreenDepth = 24;
        host.DisplayFlag = [this] { return flag; };
        host.SetDisplayFlag = [this](bool on) { flag = on; };
        host.ApplyPreferences = [this] { ++reapplied; };
        QDir().mkpath(env.scratch() + QStringLiteral("T"));
        filled(120, 60, qRgb(90, 90, 90)).save(env.scratch() + QStringLiteral("T/bkg.bmp"));
        QImage mask = filled(120, 60, qRgb(0, 0, 0));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10 - y; ++x)
                mask.setPixel(x, y, qRgb(255, 0, 255));
        mask.save(env.scratch() + QStringLiteral("T/mask.bmp"));
        filled(20, 20, qRgb(101, 152, 203)).save(env.scratch() + QStringLiteral("T/tex.bmp"));
        filled(100, 16, qRgb(1, 2, 3)).save(env.scratch() + QStringLiteral("T/strip.bmp"));
        filled(6, 40, qRgb(0, 250, 0)).save(env.scratch() + QStringLiteral("T/led.bmp"));
        filled(16, 10, qRgb(250, 0, 0)).save(env.scratch() + QStringLiteral("T/flag.bmp"));
    }
    bool Apply(const char *text)
    {
        man.Clear();
        EXPECT_TRUE(man.LoadFromText(QByteArray(text)));
        return ApplyTheme(man, &display, host);
    }
    TPicCol *Collection(int i) const
    {
        return display.findChild<TPicCol *>(QStringLiteral("pcBtn%1").arg(i));
    }
};

} // namespace

TEST(ApplyTheme, EntriesChangeTheWindowAndItsComponents)
{
    TThemeBench b;
    b.display.Flag()->PosX = 4;
    ASSERT_TRUE(b.Apply("[24]\n"
                        "fDisplay.Bkg=T/bkg.bmp\n"
                        "fDisplay.BkgMask=T\\mask.bmp\n"
                        "fDisplay.BkgMask.TransparentColor=clFuchsia\n"
                        "fDisplay.pcBtn1=T/tex.bmp\n"
                        "fDisplay.pcBtn1.Generate=Yes\n"
                        "fDisplay.pcBtn2=T/strip.bmp\n"
                        "fDisplay.pcBtn3=T/strip.bmp\n"
                        "fDisplay.pcBtn3.Generate=yes\n"
                        "fDisplay.bbPlay=pcBtn1\n"
                        "fDisplay.bbPlay.Left=$20\n"
                        "fDisplay.bbPlay.Glyph=T/flag.bmp\n"
                        "fDisplay.bbStop=pcBtn9\n"
                        "fDisplay.blL=T/led.bmp\n"
                        "fDisplay.dcdFlag=T/flag.bmp\n"
                        "fdisplay.bbPause.Left=50\n"
                        "fDisplay.bbPause.left=51\n"
                        "fFloat.bbPause.Left=52\n"
                        "fDisplay.bbPause.Top=\n"
                        "fDisplay.DisplayFlag=Yes\n"));
    EXPECT_TRUE(b.boxes.boxes().empty());
    TTestDisplay &d = b.display;
    EXPECT_EQ(d.size(), QSize(120, 60));
    EXPECT_EQ(d.mask(),
              TFormShaper::RegionOf(QImage(b.env.scratch() + QStringLiteral("T/mask.bmp")),
                                    QColor(255, 0, 255)));
    EXPECT_FALSE(d.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(d.Shaper().Mask.isNull());
    // Generated from the texture ("Yes"), or taken as it is ("yes" does not count).
    EXPECT_EQ(b.Collection(1)->Picture().size(), QSize(100, 20));
    EXPECT_EQ(b.Collection(2)->Picture().size(), QSize(100, 16));
    EXPECT_EQ(b.Collection(3)->Picture().size(), QSize(100, 16));
    EXPECT_EQ(b.Collection(3)->Width(), 20);
    EXPECT_TRUE(b.Collection(4)->Picture().isNull());
    EXPECT_TRUE(b.Collection(1)->Texture().isNull());

    auto *play = d.findChild<TBmpBtn *>(QStringLiteral("bbPlay"));
    EXPECT_EQ(play->BmpServer(), b.Collection(1));
    EXPECT_EQ(play->x(), 32);
    EXPECT_EQ(play->Glyph().size(), QSize(16, 10));
    EXPECT_EQ(d.findChild<TBmpBtn *>(QStringLiteral("bbStop"))->BmpServer(), b.Collection(9));
    // Keys are case-sensitive; other windows and empty values are ignored.
    auto *pause = d.findChild<TBmpBtn *>(QStringLiteral("bbPause"));
    EXPECT_EQ(pause->pos(), QPoint(0, 0));
    EXPECT_FALSE(d.findChild<TBmpLED *>(QStringLiteral("blL"))->Picture().isNull());
    EXPECT_EQ(d.Flag()->Snapshot().pixel(0, 0), qRgb(90, 90, 90));
    EXPECT_TRUE(b.flag);
    EXPECT_EQ(b.reapplied, 0);

    // A new application starts from empty collections.
    ASSERT_TRUE(b.Apply("[24]\nfDisplay.pcBtn2=T/strip.bmp\nfDisplay.DisplayFlag=No\n"));
    EXPECT_TRUE(b.Collection(1)->Picture().isNull());
    EXPECT_FALSE(b.Collection(2)->Picture().isNull());
    EXPECT_EQ(play->x(), 32); // bounds keep their values
    EXPECT_FALSE(b.flag);
    EXPECT_EQ(b.reapplied, 1);
}

TEST(ApplyTheme, FaultyEntryStopsTheApplicationThere)
{
    TThemeBench b;
    EXPECT_FALSE(b.Apply("[24]\n"
                         "fDisplay.pcBtn1=T/strip.bmp\n"
                         "fDisplay.bbPlay.Left=7\n"
                         "fDisplay.bbStop.Left=abc\n"
                         "fDisplay.bbPause.Left=9\n"
                         "fDisplay.Bkg=T/bkg.bmp\n"));
    ASSERT_EQ(b.boxes.boxes().size(), 1u);
    EXPECT_TRUE(b.boxes.boxes()[0].text.contains(QStringLiteral("abc")));
    EXPECT_EQ(b.boxes.boxes()[0].flags & MB_ICONMASK, MB_ICONERROR);
    auto *d = &b.display;
    EXPECT_EQ(d->findChild<TBmpBtn *>(QStringLiteral("bbPlay"))->x(), 7);
    EXPECT_EQ(d->findChild<TBmpBtn *>(QStringLiteral("bbPause"))->x(), 0);
    EXPECT_TRUE(b.Collection(1)->Picture().isNull());
    EXPECT_TRUE(d->Background.isNull());

    // A missing picture stops it too.
    EXPECT_FALSE(b.Apply("[24]\nfDisplay.Bkg=T/none.bmp\nfDisplay.bbPause.Left=9\n"));
    EXPECT_EQ(b.boxes.boxes().size(), 2u);
    EXPECT_TRUE(b.boxes.boxes()[1].text.contains(QStringLiteral("none.bmp")));
    EXPECT_EQ(d->findChild<TBmpBtn *>(QStringLiteral("bbPause"))->x(), 0);

    // No groups: nothing to apply.
    b.man.Clear();
    EXPECT_FALSE(ApplyTheme(b.man, &b.display, b.host));
    EXPECT_FALSE(ApplyTheme(b.man, nullptr, b.host));
}

TEST(ApplyTheme, FloatingBarTilesItsTexture)
{
    TThemeBench b;
    TTestFloat bar;
    bar.resize(300, 17);
    b.man.LoadFromText("[24]\nfFloat.Bkg=T/tex.bmp\nfDisplay.Bkg=T/bkg.bmp\n");
    ASSERT_TRUE(ApplyTheme(b.man, &bar, b.host));
    EXPECT_EQ(bar.size(), QSize(300, 20));
    EXPECT_EQ(bar.Background.size(), QSize(300, 20));
    // A raised bevel of one pixel round the whole bar.
    EXPECT_EQ(bar.Background.pixel(150, 0), qRgb(165, 216, 255));
    EXPECT_EQ(bar.Background.pixel(150, 10), qRgb(101, 152, 203));
    EXPECT_EQ(bar.Background.pixel(299, 10), qRgb(37, 88, 139));
    bar.show();
    bar.resize(200, 20);
    EXPECT_EQ(bar.Background.width(), 200);
}

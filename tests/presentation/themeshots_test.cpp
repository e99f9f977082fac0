#include "platform/system/messageservice.h"
#include "platform/ui/colourmap.h"
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/tbmpled.h"
#include "presentation/skin/tdcdisruptor.h"
#include "presentation/skin/tformshaper.h"
#include "presentation/skin/tpiccol.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/skin/ttransprogressbar.h"
#include "presentation/skin/applytheme.h"
#include "presentation/theme/themecolour.h"
#include "presentation/theme/tuiman.h"
#include "skinwindows.h"
#include "support/testenv.h"

#include <QDir>
#include <QFont>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString shotFolder()
{
    const QString folder =
        qEnvironmentVariable("TONARIA_BINARY_DIR") + QStringLiteral("/theme-shots/");
    QDir().mkpath(folder);
    return folder;
}

// The region the theme's mask picture gives, read straight from the theme's entries.
QRegion expectedRegion(const TUIGroup &group, const QString &window, const QString &folder)
{
    const QString mask = group.Value(window + QStringLiteral(".BkgMask"));
    if (mask.isEmpty()) return QRegion();
    std::uint32_t colour = 0xFFFFFF;
    ParseThemeColour(group.Value(window + QStringLiteral(".BkgMask.TransparentColor")), colour);
    return TFormShaper::RegionOf(QImage(folder + mask), ColourToQColor(colour));
}

// Texts, fonts and colours as the preferences would give them.
void label(QWidget &window, const char *name, const QString &text, int pixels, bool bold,
           TTLAlignment alignment, const QColor &colour)
{
    auto *l = window.findChild<TTransparentLabel *>(name);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    l->setFont(font);
    l->SetCaption(text);
    l->SetAlignment(alignment);
    l->SetEllipsis(true);
    l->SetFontColor(colour);
}

void fillDisplay(TTestDisplay &d, const QColor &accent)
{
    const QColor text(236, 244, 248), dim(accent.lighter(150));
    label(d, "tlCaption", "Mozart - Rondo alla turca", 13, true, TTLAlignment::tlaMiddleLeft, text);
    label(d, "tlTime", "01:23", 30, true, TTLAlignment::tlaMiddleLeft, text);
    label(d, "tlTime2", "-02:41", 12, false, TTLAlignment::tlaMiddleRight, dim);
    label(d, "tlTimeTotal", "04:04", 12, false, TTLAlignment::tlaMiddleRight, dim);
    auto *bar = d.findChild<TTransProgressBar *>("tpbDisplay");
    bar->SetColor(accent);
    bar->SetPosition(34);
    for (const char *name : {"blL", "blR"}) {
        auto *led = d.findChild<TBmpLED *>(name);
        led->Reset();
        led->SetPosition(name[2] == 'L' ? 26000 : 19000);
    }
}

void fillFloat(TTestFloat &f)
{
    const QColor text(236, 244, 248);
    label(f, "tlCaption", "Mozart - Rondo alla turca", 12, true, TTLAlignment::tlaMiddleCenter,
          text);
    label(f, "tlTime", "01:23", 12, true, TTLAlignment::tlaMiddleCenter, text);
}

} // namespace

TEST(ShippedThemes, EveryComponentGetsItsPicturesAndTheOutlineFollowsTheMask)
{
    TTestEnvironment env;
    TScriptedMessageService boxes;
    const QString folder = TTestEnvironment::sourceData() + QStringLiteral("Themes/");
    const QStringList themes = QDir(folder).entryList({QStringLiteral("*.tui")}, QDir::Files);
    ASSERT_GE(themes.size(), 2);
    for (const QString &file : themes) {
        const QString theme = file.chopped(4);
        SCOPED_TRACE(theme.toStdString());
        TUIMan man;
        man.LoadChosenTheme(theme, folder);
        TThemeHost host;
        host.ThemesFolder = folder;
        host.ScreenDepth = 24;
        TTestDisplay display;
        TTestFloat bar;
        ASSERT_TRUE(ApplyTheme(man, &display, host));
        ASSERT_TRUE(ApplyTheme(man, &bar, host));
        EXPECT_TRUE(boxes.boxes().empty());

        const TUIGroup &group = *man.GroupForDepth(24);
        EXPECT_EQ(display.mask(), expectedRegion(group, "fDisplay", folder));
        EXPECT_FALSE(display.mask().isEmpty());
        EXPECT_FALSE(display.Background.isNull());
        EXPECT_FALSE(bar.Background.isNull());
        EXPECT_FALSE(display.Flag()->Snapshot().isNull());
        for (const char *name : {"blL", "blR"})
            EXPECT_FALSE(display.findChild<TBmpLED *>(name)->Picture().isNull()) << name;
        for (TSkinForm *window :
             {static_cast<TSkinForm *>(&display), static_cast<TSkinForm *>(&bar)}) {
            const QStringList &names =
                window == &display ? TTestDisplay::ButtonNames() : TTestFloat::ButtonNames();
            for (const QString &name : names) {
                auto *b = window->findChild<TBmpBtn *>(name);
                ASSERT_NE(b, nullptr);
                const TPicCol *source = b->BmpServer();
                ASSERT_NE(source, nullptr) << name.toStdString();
                EXPECT_EQ(QSize(source->Width(), source->Height()), b->size())
                    << name.toStdString();
                EXPECT_FALSE(b->Glyph().isNull()) << name.toStdString();
                EXPECT_TRUE(window->rect().contains(b->geometry())) << name.toStdString();
            }
        }

        fillDisplay(display, theme == u"Midnight" ? QColor(190, 150, 255) : QColor(120, 232, 222));
        fillFloat(bar);
        bar.resize(480, bar.height());
        display.show();
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&display));
        display.Flag()->Step();
        QImage shot = display.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        // What the outline cuts away is transparent in the picture.
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (!display.mask().contains(QPoint(x, y))) shot.setPixel(x, y, 0);
        EXPECT_TRUE(shot.save(shotFolder() + theme + QStringLiteral("-display.png")));
        EXPECT_TRUE(bar.grab().save(shotFolder() + theme + QStringLiteral("-floatbar.png")));
    }
}

#include "presentation/skin/tbmpled.h"
#include "presentation/skin/tdcdisruptor.h"
#include "presentation/skin/tformshaper.h"
#include "presentation/skin/tskinform.h"
#include "presentation/skin/ttranslucentpanel.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/skin/ttransprogressbar.h"

#include <QFont>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QImage filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A display-like window with a plain background of one colour.
struct TWindowBench {
    TSkinForm window{TSkinKind::Display, QStringLiteral("fTest"), QStringLiteral("fsTest")};
    explicit TWindowBench(QRgb colour = qRgb(255, 255, 255))
    {
        window.Background = filled(200, 120, colour);
        window.resize(200, 120);
    }
    void Show()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

// Pixels mostly of one primary colour (text edges are smoothed).
int countPixels(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            n += std::abs(qRed(c) - qRed(colour)) + std::abs(qGreen(c) - qGreen(colour)) +
                     std::abs(qBlue(c) - qBlue(colour)) <
                 90;
        }
    return n;
}

} // namespace

TEST(FormShaper, RegionFromMask)
{
    const QColor key(255, 0, 255);
    EXPECT_TRUE(TFormShaper::RegionOf(filled(5, 4, key.rgb()), key).isEmpty());
    EXPECT_EQ(TFormShaper::RegionOf(filled(5, 4, qRgb(0, 0, 0)), key), QRegion(0, 0, 5, 4));

    // A ring: a hole in the middle row and a cut corner.
    QImage mask = filled(5, 3, qRgb(0, 0, 0));
    mask.setPixel(0, 0, key.rgb());
    mask.setPixel(2, 1, key.rgb());
    QRegion want =
        QRegion(1, 0, 4, 1) + QRegion(0, 1, 2, 1) + QRegion(3, 1, 2, 1) + QRegion(0, 2, 5, 1);
    EXPECT_EQ(TFormShaper::RegionOf(mask, key), want);

    // An empty mask leaves the window's outline alone; an all-cut mask hides the window.
    QWidget window;
    window.resize(5, 3);
    TFormShaper shaper(&window);
    shaper.TransparentColor = key;
    shaper.Mask = mask;
    shaper.BuildRegion();
    EXPECT_EQ(window.mask(), want);
    shaper.ClearMask();
    shaper.BuildRegion();
    EXPECT_EQ(window.mask(), want);
    shaper.Mask = filled(5, 3, key.rgb());
    shaper.BuildRegion();
    EXPECT_TRUE((window.mask() & QRegion(0, 0, 5, 3)).isEmpty());
}

TEST(TranslucentPanel, DarkensAndBevelsTheBackground)
{
    const QImage white = filled(10, 8, qRgb(255, 255, 255));
    EXPECT_EQ(TTranslucentPanel::Darken(white, TTPBordered::tpbNone).pixel(5, 5),
              qRgb(127, 127, 127));
    const QImage up = TTranslucentPanel::Darken(white, TTPBordered::tpbUp);
    EXPECT_EQ(up.pixel(3, 0), qRgb(191, 191, 191)); // outer top +64
    EXPECT_EQ(up.pixel(3, 1), qRgb(255, 255, 255)); // inner top +128
    EXPECT_EQ(up.pixel(3, 7), qRgb(0, 0, 0));       // outer bottom -128
    EXPECT_EQ(up.pixel(3, 6), qRgb(63, 63, 63));    // inner bottom -64
    EXPECT_EQ(up.pixel(9, 0), qRgb(0, 0, 0));       // top right corner is the right column
    const QImage down = TTranslucentPanel::Darken(white, TTPBordered::tpbDown);
    EXPECT_EQ(down.pixel(0, 3), qRgb(95, 95, 95));
    EXPECT_EQ(down.pixel(9, 3), qRgb(191, 191, 191));

    // On a window, the panel shows the window's picture darkened, and its children look
    // through the panel.
    TWindowBench bench(qRgb(200, 100, 40));
    auto *panel = new TTranslucentPanel(&bench.window);
    panel->setGeometry(20, 20, 100, 60);
    auto *label = new TTransparentLabel(panel);
    label->setGeometry(10, 10, 50, 20);
    bench.Show();
    const QImage shot = bench.window.grab().toImage();
    EXPECT_EQ(shot.pixel(25, 25), qRgb(100, 50, 20));
    EXPECT_EQ(shot.pixel(31, 31), qRgb(100, 50, 20)); // label without caption
    EXPECT_EQ(shot.pixel(5, 5), qRgb(200, 100, 40));
}

TEST(TransparentLabel, ShadowOnlyWithAnOffset)
{
    TWindowBench bench;
    auto *label = new TTransparentLabel(&bench.window);
    label->setGeometry(10, 10, 100, 30);
    label->SetCaption(QStringLiteral("MMMM"));
    label->SetFontColor(QColor(255, 0, 0));
    label->SetShadowColor(QColor(0, 0, 255));
    QFont font = label->font();
    font.setPixelSize(22);
    font.setBold(true);
    label->setFont(font);
    bench.Show();
    const QImage withShadow = label->grab().toImage();
    EXPECT_GT(countPixels(withShadow, qRgb(0, 0, 255)), 0);
    label->SetShadow(0, 0);
    const QImage without = label->grab().toImage();
    EXPECT_EQ(countPixels(without, qRgb(0, 0, 255)), 0);
    EXPECT_GT(countPixels(without, qRgb(255, 0, 0)), 0);
    EXPECT_EQ(without.pixel(0, 0), qRgb(255, 255, 255));
}

TEST(TransProgressBar, GeometryAndSeeking)
{
    EXPECT_EQ(TTransProgressBar::ValueToX(104, 0, 100, 50), 52);
    EXPECT_EQ(TTransProgressBar::ValueToX(104, 0, 0, 50), 2);
    EXPECT_EQ(TTransProgressBar::XToValue(104, 0, 100, 52), 50);
    EXPECT_EQ(TTransProgressBar::XToValue(104, 0, 100, -30), 0);
    EXPECT_EQ(TTransProgressBar::XToValue(104, 0, 100, 300), 100);
    EXPECT_EQ(TTransProgressBar::XToValue(4, 7, 100, 3), 7);

    TWindowBench bench;
    auto *bar = new TTransProgressBar(&bench.window);
    bar->setGeometry(10, 10, 104, 20);
    bench.Show();
    QSignalSpy moved(bar, &TTransProgressBar::TrackingMoved);
    QSignalSpy changed(bar, &TTransProgressBar::Changed);

    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(52, 10));
    EXPECT_TRUE(bar->Tracking());
    EXPECT_EQ(bar->Position(), 50);
    bar->SetPosition(10); // the player's refresh does not fight the user
    EXPECT_EQ(bar->Position(), 50);
    QTest::mouseMove(bar, QPoint(72, 10));
    EXPECT_EQ(bar->Position(), 70);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(72, 10));
    EXPECT_FALSE(bar->Tracking());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 70);
    EXPECT_EQ(moved.count(), 2);

    // Releasing another button ends the drag and brings the old position back.
    QTest::mousePress(bar, Qt::RightButton, {}, QPoint(20, 10));
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(22, 10));
    EXPECT_EQ(bar->Position(), 20);
    QTest::mouseRelease(bar, Qt::RightButton, {}, QPoint(22, 10));
    EXPECT_EQ(bar->Position(), 70);
    EXPECT_EQ(changed.count(), 1);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(22, 10));

    // Escape ends a drag without an event.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(92, 10));
    QTest::keyClick(bar, Qt::Key_Escape);
    EXPECT_FALSE(bar->Tracking());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(92, 10));
    EXPECT_EQ(changed.count(), 1);

    // The fill shows the colour over the window's picture.
    bar->SetPosition(50);
    const QImage shot = bar->grab().toImage();
    EXPECT_EQ(shot.pixel(10, 10), qRgb(0, 255, 255));
    EXPECT_EQ(shot.pixel(80, 10), qRgb(255, 255, 255));
}

TEST(BmpLED, LevelFallsByStepsAndThePeakHolds)
{
    TBmpLED led;
    led.SetRange(0, 32768);
    led.SetPosition(32768);
    EXPECT_EQ(led.Position(), 32768);
    led.SetPosition(0);
    EXPECT_EQ(led.Position(), 31130);
    led.SetPosition(0);
    EXPECT_EQ(led.Position(), 29573);
    led.SetPosition(29000);
    EXPECT_EQ(led.Position(), 29000); // never below the reading
    for (int i = 0; i < 100; ++i)
        led.SetPosition(0);
    EXPECT_EQ(led.Position(), 0);
    led.SetPosition(0);
    EXPECT_EQ(led.Position(), 0);

    // The peak drops to the level every FallCountMax + 1 readings.
    TBmpLED meter;
    meter.SetRange(0, 1000);
    meter.Reset();
    meter.SetPosition(1000); // reading 1: peak 1000
    int held = 1;
    while (meter.Peak() == 1000 && held < 500) {
        meter.SetPosition(0);
        ++held;
    }
    EXPECT_EQ(held, 101);
    EXPECT_EQ(meter.Peak(), meter.Position());

    EXPECT_EQ(TBmpLED::ValueToRow(100, 0, 32768, 16384), 50);
    EXPECT_EQ(TBmpLED::ValueToRow(100, 0, 0, 5), 100);
}

TEST(BmpLED, LitPartFromThePictureAboveTheBackground)
{
    TWindowBench bench;
    auto *led = new TBmpLED(&bench.window);
    led->setGeometry(10, 10, 8, 100);
    led->SetPicture(filled(2, 2, qRgb(0, 200, 0)));
    led->SetRange(0, 100);
    bench.Show();
    led->SetPosition(40);
    const QImage shot = led->grab().toImage();
    EXPECT_EQ(shot.pixel(4, 59), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(4, 60), qRgb(0, 200, 0));
    EXPECT_EQ(shot.pixel(4, 99), qRgb(0, 200, 0));
}

TEST(DCDisruptor, WavesOverBrightPartsOnly)
{
    TWindowBench bench;
    QImage background = filled(200, 120, qRgb(255, 255, 255));
    for (int y = 0; y < 120; ++y)
        background.setPixel(11, y, qRgb(20, 20, 20)); // a dark column
    bench.window.Background = background;
    TDCDisruptor flag(&bench.window);
    QImage picture(4, 2, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            picture.setPixel(x, y, qRgb(60 * x, 0, 0));
    flag.SetBitmap(picture);
    flag.PosX = 10;
    flag.PosY = 5;
    flag.Step(); // nothing attached yet
    EXPECT_TRUE(flag.Frame().isNull());
    bench.window.SetFlag(&flag);
    flag.Step(); // not captured yet
    EXPECT_TRUE(flag.Frame().isNull());
    flag.Capture();
    bench.Show();
    flag.Step();
    ASSERT_FALSE(flag.Frame().isNull());
    // Phase 0: white gives the flag itself, the dark column stays.
    EXPECT_EQ(flag.Frame().pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(flag.Frame().pixel(1, 0), qRgb(20, 20, 20));
    EXPECT_EQ(flag.Frame().pixel(2, 1), qRgb(120, 0, 0));
    flag.Step(); // one column on
    EXPECT_EQ(flag.Frame().pixel(0, 0), qRgb(60, 0, 0));
    EXPECT_EQ(flag.Frame().pixel(3, 0), qRgb(0, 0, 0));
    EXPECT_EQ(bench.window.grab().toImage().pixel(10, 5), qRgb(60, 0, 0));
    for (int i = 0; i < 2; ++i)
        flag.Step();
    EXPECT_EQ(flag.Phase(), 0);
}

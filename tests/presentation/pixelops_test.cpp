#include "presentation/skin/pixelops.h"
#include "presentation/skin/tpiccol.h"

#include <gtest/gtest.h>

namespace {

QImage filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

struct TPixelCase {
    int X, Y;
    QRgb Want;
};

void expectPixels(const QImage &image, std::initializer_list<TPixelCase> cases)
{
    for (const TPixelCase &c : cases) {
        const QRgb got = image.pixel(c.X, c.Y);
        EXPECT_EQ(qRed(got), qRed(c.Want)) << "at " << c.X << "," << c.Y;
        EXPECT_EQ(qGreen(got), qGreen(c.Want)) << "at " << c.X << "," << c.Y;
        EXPECT_EQ(qBlue(got), qBlue(c.Want)) << "at " << c.X << "," << c.Y;
    }
}

} // namespace

TEST(PixelOps, ColourHelpers)
{
    // Halves round to even: -50.5 -> -50, -0.5 -> 0, -101.5 -> -102.
    const QRgb half = BlendColour(qRgb(101, 1, 203), qRgb(0, 0, 0), 0.5);
    EXPECT_EQ(half, qRgb(51, 1, 101));
    EXPECT_EQ(BlendColour(qRgb(1, 2, 3), qRgb(9, 9, 9), 0), qRgb(1, 2, 3));
    EXPECT_EQ(BlendColour(qRgb(1, 2, 3), qRgb(9, 9, 9), 1), qRgb(9, 9, 9));
    EXPECT_EQ(MidpointColour(qRgb(255, 3, 0), qRgb(0, 0, 0)), qRgb(127, 1, 0));
    EXPECT_EQ(AddColour(qRgb(250, 10, 100), 64), qRgb(255, 74, 164));
    EXPECT_EQ(AddColour(qRgb(250, 10, 100), -64), qRgb(186, 0, 36));
    EXPECT_DOUBLE_EQ(ColourSimilarity(qRgb(255, 255, 255), qRgb(0, 0, 0)), 0.0);
    EXPECT_DOUBLE_EQ(ColourSimilarity(qRgb(255, 255, 255), qRgb(255, 0, 255)), 2.0 / 3.0);
}

TEST(PixelOps, StripWidthFollowsColumns)
{
    TPicCol collection(nullptr, 5);
    collection.SetPicture(filled(200, 30, qRgb(1, 2, 3)));
    EXPECT_EQ(collection.Width(), 40);
    EXPECT_EQ(collection.Height(), 30);
    collection.SetCols(0);
    EXPECT_EQ(collection.Width(), 0);
}

TEST(PixelOps, GetPictureCopiesOneCellAndBlankOutside)
{
    QImage strip = filled(30, 4, qRgb(0, 0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 10; x < 20; ++x)
            strip.setPixel(x, y, qRgb(9, 8, 7));
    TPicCol collection(nullptr, 3);
    collection.SetPicture(strip);
    const QImage *cell = collection.GetPicture(1);
    ASSERT_EQ(cell->size(), QSize(10, 4));
    EXPECT_EQ(cell->pixel(0, 0), qRgb(9, 8, 7));
    EXPECT_EQ(collection.GetPicture(7)->pixel(5, 2), qRgb(0, 0, 0));
}

TEST(PixelOps, BevelWidthBySmallerSide)
{
    EXPECT_EQ(BevelWidthFor(20, 20), 2);
    EXPECT_EQ(BevelWidthFor(40, 24), 3);
    EXPECT_EQ(BevelWidthFor(16, 40), 1);
    EXPECT_EQ(BevelWidthFor(18, 99), 1);
    EXPECT_EQ(BevelWidthFor(23, 99), 3);
}

TEST(PixelOps, RaisedAndSunkenBevelOfWidthOne)
{
    // Raised: +64 on top and left, -64 on bottom and right; corners go to the first edge
    // tested (top, then left, then bottom, then right).
    QImage image = filled(4, 3, qRgb(100, 100, 100));
    TBevel bevel;
    bevel.W = 4;
    bevel.H = 3;
    bevel.Width = 1;
    PaintBevel(&image, &image, bevel);
    const QRgb light = qRgb(164, 164, 164), dark = qRgb(36, 36, 36), same = qRgb(100, 100, 100);
    expectPixels(image, {{0, 0, light},
                         {2, 0, light},
                         {3, 0, dark},
                         {0, 1, light},
                         {0, 2, dark},
                         {3, 1, dark},
                         {1, 1, same},
                         {2, 1, same}});

    QImage sunken = filled(4, 3, qRgb(100, 100, 100));
    bevel.Sunken = true;
    PaintBevel(&sunken, &sunken, bevel);
    expectPixels(sunken, {{0, 0, qRgb(0, 0, 0)}, {3, 2, qRgb(132, 132, 132)}});

    // Saturation at both ends.
    QImage white = filled(3, 3, qRgb(250, 250, 250));
    bevel.Sunken = false;
    bevel.W = bevel.H = 3;
    PaintBevel(&white, &white, bevel);
    expectPixels(white, {{0, 0, qRgb(255, 255, 255)}, {2, 2, qRgb(186, 186, 186)}});
}

TEST(PixelOps, GeneratedStripFromTexture)
{
    // 20 x 20 texture: bevel width 2. Raised rings add 40 and 64 (top/left) and -96 and -64
    // (bottom/right); sunken rings add -96 and -128, then 48 and 32.
    const QRgb t = qRgb(101, 152, 203);
    QImage texture = filled(20, 20, t);
    texture.setPixel(5, 5, qRgb(1, 2, 3));
    const QImage strip = GenerateButtonStrip(texture);
    ASSERT_EQ(strip.size(), QSize(100, 20));
    expectPixels(strip, {
                            // up: raised, untinted
                            {0, 0, qRgb(141, 192, 243)},
                            {5, 1, qRgb(165, 216, 255)},
                            {10, 10, t},
                            {19, 19, qRgb(5, 56, 107)},
                            {18, 18, qRgb(37, 88, 139)},
                            {5, 5, qRgb(1, 2, 3)},
                            // pressed: sunken, 0.1 toward white, read one pixel up and left
                            {23, 0, qRgb(20, 66, 112)},
                            {30, 10, qRgb(116, 162, 208)},
                            {39, 19, qRgb(164, 210, 255)},
                            {26, 6, qRgb(26, 27, 28)},
                            // fly-over: raised, 0.1 toward white
                            {45, 0, qRgb(156, 202, 248)},
                            {50, 10, qRgb(116, 162, 208)},
                            // selected: sunken, untinted, shifted
                            {65, 0, qRgb(5, 56, 107)},
                            {70, 10, t},
                            {79, 19, qRgb(149, 200, 251)},
                            {66, 6, qRgb(1, 2, 3)},
                            // disabled: raised, halfway to black (halves to even)
                            {85, 0, qRgb(91, 116, 141)},
                            {90, 10, qRgb(51, 76, 101)},
                            {99, 19, qRgb(0, 0, 5)},
                        });
    EXPECT_TRUE(GenerateButtonStrip(QImage()).isNull());
}

TEST(PixelOps, TilerCutsTheLastRowAndColumn)
{
    QImage tile = filled(3, 2, qRgb(10, 10, 10));
    tile.setPixel(0, 0, qRgb(200, 0, 0));
    QImage target = filled(7, 5, qRgb(0, 0, 0));
    TileImage(tile, target);
    expectPixels(target, {{0, 0, qRgb(200, 0, 0)},
                          {3, 2, qRgb(200, 0, 0)},
                          {6, 4, qRgb(200, 0, 0)},
                          {5, 3, qRgb(10, 10, 10)}});
}

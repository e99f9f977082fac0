#include "presentation/skin/picturefile.h"
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/tpiccol.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using S = TBmpBtnState;

// A shown window with buttons on it, and a five-cell strip whose cells are told apart by
// their red channel (cell i has red 10 * i + 10).
struct TButtonBench {
    QWidget window;
    TPicCol strip{&window, 5};
    TButtonBench()
    {
        QImage image(50, 10, QImage::Format_RGB32);
        for (int x = 0; x < 50; ++x)
            for (int y = 0; y < 10; ++y)
                image.setPixel(x, y, qRgb(10 * (x / 10) + 10, 0, 0));
        strip.SetPicture(image);
        window.resize(200, 100);
    }
    TBmpBtn *Add(int x, TBmpBtnType type = TBmpBtnType::bbtNormal, QWidget *parent = nullptr)
    {
        auto *b = new TBmpBtn(parent ? parent : &window);
        b->setGeometry(x, 10, 10, 10);
        b->SetBmpServer(&strip);
        b->SetBtnType(type);
        return b;
    }
    void Show()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

void click(TBmpBtn *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
}

} // namespace

TEST(BmpBtn, GlyphCellPerState)
{
    struct Case {
        S State;
        int NumGlyphs, Screen, GlyphDepth;
        int Cell;
        bool Dark;
    } cases[] = {
        {S::Up, 6, 24, 24, 0, false},
        {S::Pressed, 6, 24, 24, 2, false},
        {S::FlyOver, 6, 24, 24, 3, false},
        {S::Half, 6, 24, 24, 5, false},
        {S::Selected, 6, 24, 24, 4, false},
        {S::Selected, 4, 24, 24, 2, false},
        {S::Selected, 2, 24, 24, 0, false},
        {S::FlyOver, 3, 24, 24, 0, false},
        // Disabled: cell 1 on a 256-colour screen or with a 4-bit glyph, else cell 0 darkened.
        {S::Disabled, 2, 8, 24, 1, false},
        {S::Disabled, 1, 8, 24, 0, false},
        {S::Disabled, 2, 24, 4, 1, false},
        {S::Disabled, 2, 24, 1, 1, false},
        {S::Disabled, 2, 24, 24, 0, true},
        {S::Disabled, 1, 16, 8, 0, true},
    };
    for (const Case &c : cases) {
        const TGlyphCell got = ChooseGlyphCell(c.State, c.NumGlyphs, c.Screen, c.GlyphDepth);
        EXPECT_EQ(got.Cell, c.Cell) << int(c.State) << " " << c.NumGlyphs << " " << c.Screen;
        EXPECT_EQ(got.Darkened, c.Dark) << int(c.State) << " " << c.NumGlyphs << " " << c.Screen;
    }
}

TEST(BmpBtn, DisabledOneCellGlyphIsDarkenedOnlyOnHighColourScreens)
{
    TButtonBench bench;
    TBmpBtn *b = bench.Add(10);
    b->resize(20, 20);
    QImage glyph(8, 8, QImage::Format_RGB32);
    glyph.fill(qRgb(200, 100, 51));
    glyph.setPixel(0, 7, qRgb(255, 0, 255)); // the transparent colour
    b->SetGlyph(glyph, 24);
    b->setEnabled(false);
    bench.Show();
    SetScreenColourDepth(8);
    EXPECT_EQ(b->grab().toImage().pixel(10, 10), qRgb(200, 100, 51));
    SetScreenColourDepth(24);
    const QImage shot = b->grab().toImage();
    EXPECT_EQ(shot.pixel(10, 10), qRgb(100, 50, 25));
    // The glyph sits centred at (6, 6); its transparent pixel shows what lies below.
    EXPECT_EQ(shot.pixel(6, 13), shot.pixel(2, 15));
    EXPECT_EQ(shot.pixel(7, 13), qRgb(100, 50, 25));
    SetScreenColourDepth(0);
}

TEST(BmpBtn, PictureIndexWithAndWithoutFlyOver)
{
    TButtonBench bench;
    TBmpBtn *plain = bench.Add(10);
    TBmpBtn *skinned = bench.Add(40);
    skinned->SetBmpIndices(0, 1, 2, 3, 4, 0);
    bench.Show();
    for (TBmpBtn *b : {plain, skinned})
        b->SetAllowFly(false);

    QTest::mouseMove(plain, QPoint(5, 5));
    EXPECT_EQ(plain->VisualState(), S::FlyOver);
    EXPECT_EQ(plain->PaintedIndex(), 0);
    QTest::mousePress(plain, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(plain->PaintedIndex(), 1);
    QTest::mouseRelease(plain, Qt::LeftButton, {}, QPoint(5, 5));

    QTest::mouseMove(skinned, QPoint(5, 5));
    EXPECT_EQ(skinned->PaintedIndex(), 0);
    QTest::mousePress(skinned, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(skinned->PaintedIndex(), 3);
    EXPECT_EQ(qRed(skinned->grab().toImage().pixel(5, 5)), 40);
    skinned->SetAllowFly(true);
    EXPECT_EQ(skinned->PaintedIndex(), 1);
    QTest::mouseRelease(skinned, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(skinned->PaintedIndex(), 2);
    skinned->setEnabled(false);
    EXPECT_EQ(skinned->PaintedIndex(), 0);
    EXPECT_EQ(skinned->VisualState(), S::Disabled);
}

TEST(BmpBtn, DragOutAndReleaseFiresNoClick)
{
    TButtonBench bench;
    TBmpBtn *b = bench.Add(10);
    bench.Show();
    QSignalSpy clicks(b, &TBmpBtn::Clicked);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->VisualState(), S::Pressed);
    QTest::mouseMove(b, QPoint(50, 50));
    EXPECT_EQ(b->VisualState(), S::FlyOver);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(b->VisualState(), S::Up);
    click(b);
    EXPECT_EQ(clicks.count(), 1);
}

TEST(BmpBtn, GroupsAndToggles)
{
    TButtonBench bench;
    QWidget other(&bench.window);
    other.setGeometry(0, 50, 200, 50);
    TBmpBtn *a = bench.Add(10, TBmpBtnType::bbtGroup);
    TBmpBtn *b = bench.Add(30, TBmpBtnType::bbtGroup);
    TBmpBtn *elsewhere = bench.Add(10, TBmpBtnType::bbtGroup, &other);
    TBmpBtn *toggle = bench.Add(60, TBmpBtnType::bbtToggle);
    for (TBmpBtn *x : {a, b, elsewhere})
        x->GroupIndex = 1;
    bench.Show();

    elsewhere->SetDown(true);
    click(a);
    EXPECT_TRUE(a->Down());
    click(b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(elsewhere->Down()); // another parent
    // The only checked button of a group stays down unless the group may be all up.
    click(b);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(b->State(), Qt::Checked);
    b->AllowAllUp = true;
    click(b);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(b->VisualState(), S::FlyOver);

    // A latched button shows its selected picture when idle, pressed when hovered.
    toggle->SetDown(true);
    EXPECT_EQ(toggle->VisualState(), S::Selected);
    toggle->AllowGrayed = true;
    click(toggle);
    EXPECT_EQ(toggle->State(), Qt::Unchecked);
    click(toggle);
    EXPECT_EQ(toggle->State(), Qt::PartiallyChecked);
    click(toggle);
    EXPECT_EQ(toggle->State(), Qt::Checked);
    EXPECT_EQ(toggle->VisualState(), S::Pressed);

    // Grayed set by the program shows the half picture.
    TBmpBtn *grayed = bench.Add(75, TBmpBtnType::bbtToggle);
    grayed->SetState(Qt::PartiallyChecked);
    EXPECT_EQ(grayed->VisualState(), S::Half);
    EXPECT_FALSE(grayed->Down());

    // Normal buttons never latch.
    TBmpBtn *normal = bench.Add(90);
    normal->SetDown(true);
    EXPECT_FALSE(normal->Down());
}

TEST(BmpBtn, OnlyOneFlyOverPerParent)
{
    TButtonBench bench;
    TBmpBtn *a = bench.Add(10);
    TBmpBtn *b = bench.Add(30);
    bench.Show();
    QTest::mouseMove(a, QPoint(5, 5));
    ASSERT_EQ(a->VisualState(), S::FlyOver);
    // b is entered without a leave reaching a first.
    QEnterEvent enter(QPointF(5, 5), QPointF(35, 15), b->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(b, &enter);
    EXPECT_EQ(a->VisualState(), S::Up);
    EXPECT_EQ(b->VisualState(), S::FlyOver);
}

TEST(BmpBtn, PopupOpensItsMenuBelowTheLeftEdge)
{
    TButtonBench bench;
    TBmpBtn *b = bench.Add(40, TBmpBtnType::bbtPopup);
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    b->PopupMenuClicked = &menu;
    bench.Show();
    click(b);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), b->mapToGlobal(QPoint(0, b->height())));
    menu.close();
}

TEST(BmpBtn, LoadGlyphNeedsAName)
{
    TBmpBtn b;
    QString error;
    EXPECT_FALSE(b.LoadGlyph(&error));
    EXPECT_EQ(error, QStringLiteral("No glyph name provided."));
    b.GlyphName = QStringLiteral("missing-glyph");
    EXPECT_FALSE(b.LoadGlyph(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing-glyph.bmp")));
}

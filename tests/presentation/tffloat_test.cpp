// The floating bar over a real station and jukebox, driven by real mouse and key events: where it
// opens and comes back, how it keeps its size, what its buttons, keys and panels do, and the
// snapping to the screen's edges on the clock the test drives.
#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/tffloat.h"
#include "presentation/tfstation.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void CopyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(source, target);
    }
}

// A mouse event straight to the widget, at a point of its own.
void Mouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void Drag(QWidget *widget, QPoint by)
{
    const QPoint at(1, widget->height() / 2);
    Mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
    Mouse(widget, QEvent::MouseMove, at + by, Qt::LeftButton);
    Mouse(widget, QEvent::MouseButtonRelease, at + by, Qt::NoButton);
}

class FloatbarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestSoundFont();
        CopyTree(TTestEnvironment::sourceData() + QStringLiteral("Themes"),
                 env.home() + QStringLiteral("Themes"));
    }

    std::unique_ptr<TfStation> Start(const QStringList &arguments = {})
    {
        auto station =
            std::make_unique<TfStation>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
        station->StartUp(ParseCommandLine(arguments));
        station->FirstShow();
        return station;
    }
    static void Exit(std::unique_ptr<TfStation> &station)
    {
        station->Jukebox().RequestClose();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        station.reset();
    }
    // The open bar, if there is one.
    static TfFloat *Bar()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *bar = qobject_cast<TfFloat *>(widget); bar && bar->isVisible()) return bar;
        return nullptr;
    }
    static QWidget *Part(TfFloat *bar, const char *name)
    {
        return bar->findChild<QWidget *>(QLatin1String(name));
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TDrivenClock clock;
};

TEST_F(FloatbarTest, OpensAtTheTopFirstAndComesBackOnlyWhenLeftOpenAtExit)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect placed;
    {
        auto station = Start();
        TfFloat *bar = Bar();
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(station->FloatbarExists());
        EXPECT_EQ(bar->geometry().topLeft(), QPoint((screen.width() - 320) / 2, 0));
        EXPECT_EQ(bar->width(), 320);
        EXPECT_TRUE(bar->windowFlags() & Qt::WindowStaysOnTopHint);
        placed = QRect(100, 200, 400, bar->height());
        bar->setGeometry(placed);
        Exit(station);
    }
    {
        // Left open at exit: back at its place and width; then the user hides it.
        auto station = Start();
        TfFloat *bar = Bar();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->geometry(), placed);
        QTest::mouseClick(Part(bar, "bbHide"), Qt::LeftButton);
        EXPECT_FALSE(station->FloatbarExists());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(Bar(), nullptr);
        Exit(station);
    }
    // Hidden by the user: no bar at the next start, until the view menu's item asks for one.
    auto station = Start();
    EXPECT_FALSE(station->FloatbarExists());
    EXPECT_EQ(Bar(), nullptr);
    station->ToggleFloatbar();
    ASSERT_NE(Bar(), nullptr);
    EXPECT_EQ(Bar()->geometry(), placed);
    Exit(station);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(FloatbarTest, KeepsItsHeightAndNeverNarrowsPastTheCaptionPanel)
{
    auto station = Start();
    TfFloat *bar = Bar();
    ASSERT_NE(bar, nullptr);
    const int height = QImage(env.home() + QStringLiteral("Themes/Default/floatbar-texture.png"))
                           .height();
    EXPECT_EQ(bar->height(), height);
    QWidget *caption = Part(bar, "tpFloat");
    QWidget *time = Part(bar, "tpTime");
    QWidget *next = Part(bar, "bbNext");
    EXPECT_EQ(caption->x(), next->x() + next->width() + 2);
    EXPECT_EQ(time->x() + time->width(), bar->width() - 4);
    const int minimum = caption->x() + 64;
    EXPECT_EQ(bar->minimumWidth(), minimum);

    bar->resize(bar->width(), height + 20);
    EXPECT_EQ(bar->height(), height);
    bar->resize(10, height);
    EXPECT_EQ(bar->width(), minimum);

    // The strips: dragged by the user, from either edge, with the other edge staying.
    struct TCase {
        const char *strip;
        int by;
        int width;     // -1: the minimum
        bool leftStays;
    };
    const TCase cases[] = {{"sRight", 60, 0, true},
                           {"sRight", -1000, -1, true},
                           {"sLeft", -60, 0, false},
                           {"sLeft", 1000, -1, false}};
    for (const TCase &c : cases) {
        SCOPED_TRACE(std::string(c.strip) + " by " + std::to_string(c.by));
        bar->setGeometry(200, 100, 400, height);
        const QRect before = bar->geometry();
        Drag(Part(bar, c.strip), QPoint(c.by, 0));
        const int expected = c.width < 0 ? minimum : 400 + (c.leftStays ? c.by : -c.by);
        EXPECT_EQ(bar->width(), expected);
        EXPECT_EQ(bar->height(), height);
        if (c.leftStays)
            EXPECT_EQ(bar->x(), before.x());
        else
            EXPECT_EQ(bar->geometry().right(), before.right());
    }
    Exit(station);
}

TEST_F(FloatbarTest, ButtonsKeysAndPanelsReachTheJukebox)
{
    auto station = Start({env.writeFile(QStringLiteral("evening_song.mid"), MidiFileBytes(20000))});
    TfFloat *bar = Bar();
    ASSERT_NE(bar, nullptr);
    TJukebox &jukebox = station->Jukebox();
    auto *caption = bar->findChild<TTransparentLabel *>(QStringLiteral("tlCaption"));
    EXPECT_EQ(caption->Caption(), QStringLiteral("Evening Song"));

    QTest::mouseClick(Part(bar, "bbPlay"), Qt::LeftButton);
    EXPECT_EQ(jukebox.Player().GetMode(), MCI_MODE_PLAY);
    EXPECT_TRUE(Part(bar, "bbStop")->isEnabled());
    QTest::keyClick(bar, Qt::Key_Space); // the pause key
    EXPECT_EQ(jukebox.Player().GetMode(), MCI_MODE_PAUSE);
    QTest::mouseClick(Part(bar, "bbStop"), Qt::LeftButton);
    EXPECT_EQ(jukebox.Player().GetMode(), MCI_MODE_STOP);
    // The seek buttons run while held down.
    for (const char *seek : {"bbFB", "bbFF"}) {
        QTest::mousePress(Part(bar, seek), Qt::LeftButton);
        EXPECT_TRUE(jukebox.Transport().Seeking()) << seek;
        QTest::mouseRelease(Part(bar, seek), Qt::LeftButton);
        EXPECT_FALSE(jukebox.Transport().Seeking()) << seek;
    }

    // A click on the time swaps it; a drag of the time panel moves the bar instead.
    const bool swapped = jukebox.GlobalState().TimeSwap;
    QTest::mouseClick(Part(bar, "tlTime"), Qt::LeftButton);
    EXPECT_EQ(jukebox.GlobalState().TimeSwap, !swapped);
    const QPoint from = bar->pos();
    Drag(Part(bar, "tlTime"), QPoint(-40, 30));
    EXPECT_EQ(bar->pos(), from + QPoint(-40, 30));
    EXPECT_EQ(jukebox.GlobalState().TimeSwap, !swapped);
    Exit(station);
}

TEST_F(FloatbarTest, SnapsToTheScreenEdgesAQuarterSecondAfterTheLastMove)
{
    auto station = Start();
    TfFloat *bar = Bar();
    ASSERT_NE(bar, nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct TCase {
        QPoint movedTo, snapped;
    };
    const int right = screen.width() - bar->width();
    const TCase cases[] = {{{-7, 300}, {0, 300}},
                           {{11, 300}, {11, 300}},
                           {{right + 9, 300}, {right, 300}},
                           {{200, 8}, {200, 0}}};
    for (const TCase &c : cases) {
        bar->move(c.movedTo);
        clock.Advance(249);
        EXPECT_EQ(bar->pos(), c.movedTo);
        clock.Advance(1);
        EXPECT_EQ(bar->pos(), c.snapped);
        EXPECT_FALSE(bar->SnapPending());
    }
    // Moved again before the quarter second is over: the countdown starts again.
    bar->move(-5, 300);
    clock.Advance(200);
    bar->move(-6, 300);
    clock.Advance(200);
    EXPECT_EQ(bar->pos(), QPoint(-6, 300));
    clock.Advance(50);
    EXPECT_EQ(bar->pos(), QPoint(0, 300));
    Exit(station);
}

TEST_F(FloatbarTest, EachShippedThemeGivesItsTextureHeightAndABevelledPicture)
{
    const QString shots = qEnvironmentVariable("TONARIA_BINARY_DIR") + QStringLiteral("/theme-shots/");
    QDir().mkpath(shots);
    auto station = Start({env.writeFile(QStringLiteral("rondo_alla_turca.mid"), MidiFileBytes(20000))});
    TTonariaGlobals &g = station->Jukebox().GlobalState();
    for (const QString &theme : {QStringLiteral("Default"), QStringLiteral("Midnight")}) {
        SCOPED_TRACE(theme.toStdString());
        g.ThemeName = theme;
        station->Jukebox().ApplyPreferences();
        if (station->FloatbarExists()) station->ToggleFloatbar();
        station->ToggleFloatbar();
        TfFloat *bar = Bar();
        ASSERT_NE(bar, nullptr);
        const QImage texture(env.home() + QStringLiteral("Themes/") + theme +
                             QStringLiteral("/floatbar-texture.png"));
        EXPECT_EQ(bar->height(), texture.height());
        bar->resize(360, bar->height());
        const QImage shot = bar->grab().toImage();
        shot.save(shots + QStringLiteral("floatbar-") + theme + QStringLiteral(".png"));
        // The raised bevel: lighter on the top edge than on the bottom one.
        const int x = bar->width() / 2;
        EXPECT_GT(qGray(shot.pixel(x, 0)), qGray(shot.pixel(x, shot.height() - 1)));
    }
    Exit(station);
}

} // namespace

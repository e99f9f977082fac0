// The display window and the popup lists over a real jukebox, driven by mouse and key events.
#include "core/jukebox.h"
#include "core/stationlists.h"
#include "core/tonariaglobals.h"
#include "platform/system/messageservice.h"
#include "playback/player_support.h"
#include "presentation/skin/tbmpbtn.h"
#include "presentation/skin/ttransparentlabel.h"
#include "presentation/skin/ttransprogressbar.h"
#include "presentation/stationlistbox.h"
#include "presentation/stationrowdelegate.h"
#include "presentation/tfdisplay.h"
#include "presentation/tfstation.h"
#include "presentation/titleedits.h"
#include "presentation/tpopuplistbox.h"
#include "support/drivenclock.h"
#include "support/testenv.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSoundFont(); }

    // A started station with the files in its system album and the display shown.
    TfDisplay &Start(int files = 3)
    {
        QStringList arguments;
        for (int i = 0; i < files; ++i)
            arguments << env.writeFile(QStringLiteral("t%1.mid").arg(i), MidiFileBytes(60000));
        station = std::make_unique<TfStation>(QStringLiteral("/nonexistent/tonaria"), 24, &clock);
        station->StartUp(ParseCommandLine(arguments));
        station->FirstShow();
        QCoreApplication::processEvents();
        return *station->Display();
    }
    TTonariaGlobals &G() { return station->Jukebox().GlobalState(); }
    TSonoricPlayer &Player() { return station->Jukebox().Player(); }
    void Click(QWidget *w, QPoint at = {})
    {
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton, {}, at.isNull() ? w->rect().center() : at);
        QCoreApplication::processEvents();
    }
    static void MoveTo(QWidget &w, QPoint place)
    {
        w.move(place);
        QCoreApplication::processEvents();
    }
    TAlbum &Album() { return *G().CurrentAlbum; }
    // Makes a custom program of the album's titles the current one.
    TProgram &CustomProgram()
    {
        auto program = Album().CreateProgram();
        program->Titles = Album().Titles;
        TProgram *p = program.get();
        Album().CustomPrograms.push_back(std::move(program));
        Album().SetCurrentProgram(p);
        return *p;
    }

    TTestEnvironment env;
    TScriptedMessageService boxes;
    TDrivenClock clock;
    std::unique_ptr<TfStation> station;
};

TEST_F(DisplayTest, EachTransportButtonDoesItsAction)
{
    TfDisplay &d = Start();
    struct Step {
        const char *button;
        unsigned mode;
    };
    const Step steps[] = {{"bbPlay", MCI_MODE_PLAY},
                          {"bbPause", MCI_MODE_PAUSE},
                          {"bbPause", MCI_MODE_PLAY},
                          {"bbStop", MCI_MODE_STOP}};
    for (const Step &step : steps) {
        SCOPED_TRACE(step.button);
        Click(d.Button(step.button));
        EXPECT_EQ(Player().GetMode(), step.mode);
    }
    Click(d.Button("bbPlay"));
    Click(d.Button("bbNext"));
    EXPECT_EQ(G().LoadedTitleCopy.FileName, Album().Titles[1]->FileName);
    Click(d.Button("bbPrev"));
    EXPECT_EQ(G().LoadedTitleCopy.FileName, Album().Titles[0]->FileName);
    // A title playing shows its caption; the button of an action that cannot run is disabled.
    EXPECT_TRUE(d.tlCaption->Caption().startsWith(QStringLiteral("t0"), Qt::CaseInsensitive));
    Click(d.Button("bbStop"));
    EXPECT_EQ(d.Button("bbStop")->isEnabled(), station->aPlayStop->isEnabled());
}

TEST_F(DisplayTest, ThePositionBarSeeksAndTheTimeLabelsSwapTheTimes)
{
    TfDisplay &d = Start(1);
    Click(d.Button("bbPlay"));
    G().UpdateDisplay();
    ASSERT_EQ(d.tpbDisplay->Max(), 60000);
    // A click at three quarters of the bar.
    Click(d.tpbDisplay, QPoint(d.tpbDisplay->width() * 3 / 4, d.tpbDisplay->height() / 2));
    EXPECT_NEAR(double(Player().GetPosition()), 45000.0, 1500.0);
    const bool swapped = G().TimeSwap;
    Click(d.tlTime2);
    EXPECT_NE(G().TimeSwap, swapped);
}

TEST_F(DisplayTest, TheModeButtonsFormOneGroupThatMayBeAllUp)
{
    TfDisplay &d = Start();
    TBmpBtn *load = d.Button("bbModeLoad"), *store = d.Button("bbModeStore");
    EXPECT_FALSE(load->isEnabled());
    load->setEnabled(true);
    store->setEnabled(true);
    Click(load);
    EXPECT_TRUE(load->Down());
    Click(store);
    EXPECT_TRUE(store->Down());
    EXPECT_FALSE(load->Down());
    Click(store);
    EXPECT_FALSE(store->Down());
    EXPECT_FALSE(load->Down());
}

TEST_F(DisplayTest, TheTitleEditButtonsFollowTheirRules)
{
    TfDisplay &d = Start();
    ASSERT_TRUE(G().LoadedTitle);
    // An internal program cannot be edited: no question, nothing removed.
    const auto normal = Album().CurrentProgram->Titles;
    Click(d.Button("bbRemoveFromProgram"));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(Album().CurrentProgram->Titles, normal);

    // A custom program: the answer decides.
    TProgram &custom = CustomProgram();
    G().UpdateControls();
    ASSERT_TRUE(d.Button("bbRemoveFromProgram")->isEnabled());
    boxes.queueAnswer(IDNO);
    Click(d.Button("bbRemoveFromProgram"));
    EXPECT_EQ(custom.Titles.size(), 3u);
    boxes.queueAnswer(IDYES);
    Click(d.Button("bbRemoveFromProgram"));
    EXPECT_EQ(custom.Titles.size(), 2u);
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_TRUE(boxes.boxes().back().text.contains(G().LoadedTitleCopy.Caption));

    // Added back once, however often it is pressed.
    ASSERT_TRUE(d.Button("bbAddToProgram")->isEnabled());
    Click(d.Button("bbAddToProgram"));
    Click(d.Button("bbAddToProgram"));
    EXPECT_EQ(custom.Titles.size(), 3u);
    EXPECT_FALSE(d.Button("bbAddToProgram")->isEnabled());

    // Removed from the album: gone from every program, the caption stays on the display.
    boxes.queueAnswer(IDYES);
    Click(d.Button("bbRemoveFromAlbum"));
    EXPECT_EQ(Album().Titles.size(), 2u);
    EXPECT_EQ(custom.Titles.size(), 2u);
    EXPECT_EQ(G().LoadedTitleSource, nullptr);
    EXPECT_FALSE(d.Button("bbRemoveFromAlbum")->isEnabled());

    // A loaded title whose record is gone comes back as a new record.
    AddLoadedTitleToProgram(station->Jukebox());
    EXPECT_EQ(Album().Titles.size(), 3u);
    EXPECT_EQ(custom.Titles.back()->FileName, G().LoadedTitleCopy.FileName);
}

TEST_F(DisplayTest, AWindowSnapsToTheEdges250msAfterItsLastMove)
{
    const QRect screen(0, 0, 800, 600);
    struct Case {
        QPoint at;
        QPoint snapped;
    };
    const QSize size(500, 214);
    const Case cases[] = {{{-7, 100}, {0, 100}},
                          {{11, 100}, {11, 100}},
                          {{10, -10}, {0, 0}},
                          {{295, 380}, {300, 386}}};
    for (const Case &c : cases)
        EXPECT_EQ(TfDisplay::SnappedPosition(QRect(c.at, size), screen), c.snapped) << c.at.x();

    TfDisplay &d = Start();
    const QRect area = d.screen()->geometry();
    MoveTo(d, {area.x() - 7, area.y() + 100});
    clock.Advance(200);
    MoveTo(d, {area.x() - 6, area.y() + 100});
    clock.Advance(200);
    EXPECT_EQ(d.x(), area.x() - 6);
    clock.Advance(50);
    EXPECT_EQ(d.pos(), QPoint(area.x(), area.y() + 100));
    G().AutoSnap = false;
    MoveTo(d, {area.x() - 7, area.y() + 100});
    clock.Advance(300);
    EXPECT_EQ(d.x(), area.x() - 7);
}

TEST_F(DisplayTest, TheFirstStartCentresTheWindowAndTheNextRestoresIt)
{
    {
        TfDisplay &d = Start();
        const QRect area = d.screen()->geometry();
        EXPECT_EQ(d.pos(),
                  QPoint((area.width() - d.width()) / 2, (area.height() - d.height()) / 2));
        d.move(40, 30);
        // Hidden to the tray: the window goes, the program stays.
        Click(d.Button("bbHide"));
        QCoreApplication::processEvents();
        EXPECT_EQ(station->Display(), nullptr);
        EXPECT_TRUE(G().Cloaked);
        EXPECT_FALSE(station->Jukebox().Closed());
        station->aShowMain->trigger();
        ASSERT_NE(station->Display(), nullptr);
        EXPECT_EQ(station->Display()->pos(), QPoint(40, 30));
        station->Display()->move(50, 60);
        station.reset();
    }
    TfDisplay &d = Start();
    EXPECT_EQ(d.pos(), QPoint(50, 60));
}

TEST_F(DisplayTest, TheViewMenuHoldsOnlyTheFloatingBarItemAndKeysReachTheStation)
{
    TfDisplay &d = Start();
    emit d.pmView->aboutToShow();
    ASSERT_EQ(d.pmView->actions().size(), 1);
    EXPECT_EQ(d.pmView->actions().first()->objectName(), QStringLiteral("Floatbar1"));
    // The item shows whether the bar exists, and its click opens or closes the bar.
    QAction *floatbar = d.pmView->actions().first();
    const bool shown = station->FloatbarExists();
    EXPECT_EQ(floatbar->isChecked(), shown);
    floatbar->trigger();
    EXPECT_NE(station->FloatbarExists(), shown);
    emit d.pmView->aboutToShow();
    EXPECT_EQ(d.pmView->actions().first()->isChecked(), !shown);

    QTest::keyClick(&d, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Player().GetMode(), MCI_MODE_PLAY);
    // Three titles: one digit is a whole title number.
    QTest::keyClick(&d, Qt::Key_2);
    clock.Advance(2000);
    EXPECT_EQ(G().LoadedTitleCopy.FileName, Album().Titles[1]->FileName);
}

TEST_F(DisplayTest, APopupListShowsBelowItsButtonClosesOnAClickOutsideAndKeepsItsSize)
{
    TfDisplay &d = Start();
    TPopupListBox &plb = *station->plbTitles;
    TBmpBtn *titles = d.Button("bbTitles");
    Click(titles);
    ASSERT_TRUE(plb.Activated());
    EXPECT_EQ(plb.Form()->geometry().topLeft(), titles->mapToGlobal(QPoint(0, titles->height())));
    // The size kept in the preferences.
    EXPECT_EQ(plb.Form()->ClientSize(), QSize(G().plbTitlesBoxWidth, G().plbTitlesBoxHeight));
    EXPECT_EQ(station->lbTitles->parentWidget(), plb.Form());

    plb.Form()->resize(402, 302);
    // A click elsewhere closes it and gives the list back.
    QTest::mouseClick(plb.Form(), Qt::LeftButton, {}, QPoint(-20, -20));
    QCoreApplication::processEvents();
    EXPECT_FALSE(plb.Activated());
    EXPECT_EQ(station->lbTitles->parentWidget(), station.get());
    EXPECT_FALSE(station->lbTitles->isVisible());
    Click(titles);
    ASSERT_TRUE(plb.Activated());
    EXPECT_EQ(plb.Form()->ClientSize(), QSize(400, 300));

    // Twice in a row: one popup; at the screen's corner: wholly on the screen.
    const QRect area = d.screen()->geometry();
    plb.Popup(area.bottomRight());
    plb.Popup(area.bottomRight());
    QCoreApplication::processEvents();
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(
        std::count_if(windows.begin(), windows.end(),
                      [](QWidget *w) { return qobject_cast<TPLBForm *>(w) && w->isVisible(); }),
        1);
    EXPECT_TRUE(area.contains(plb.Form()->geometry()));
    EXPECT_TRUE(station->lbTitles->isVisible());

    // Choosing a row plays on from the title chosen and closes the popup.
    QWidget *rows = station->lbTitles->viewport();
    const QRect second = station->lbTitles->visualRect(station->lbTitles->model()->index(1, 0));
    QTest::mouseClick(rows, Qt::LeftButton, {}, second.center());
    QCoreApplication::processEvents();
    EXPECT_FALSE(plb.Activated());
    EXPECT_EQ(G().LoadedTitleCopy.FileName, Album().Titles[1]->FileName);
}

TEST_F(DisplayTest, TheListsMarkTheCurrentRowAndSeparateTheInternalProgramsAndTheSystemAlbum)
{
    Start();
    CustomProgram();
    struct Case {
        TStationListBox *box;
        int bold, separator;
    };
    const Case cases[] = {{station->lbTitles, 0, -1},
                          {station->lbPrograms, 3, 3},
                          {station->lbAlbums, G().CurrentAlbumIndex(), 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.box->objectName().toStdString());
        auto *rows = qobject_cast<TStationRowDelegate *>(c.box->itemDelegate());
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows->BoldRow(), c.bold);
        EXPECT_EQ(rows->SeparatorRow(), c.separator);
    }
}

} // namespace

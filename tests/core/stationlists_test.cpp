// The station's lists and keys over real albums in a fresh program folder: what the lists show,
// what choosing a row changes and which keys run what.
#include "core/stationlists_fixture.h"

#include <QCoreApplication>

namespace {

QStringList Rows(const TStationListModel &list)
{
    return list.Rows();
}

class StationListsTest : public StationListsFixture {};

} // namespace

TEST_F(StationListsTest, ListsShowTheCurrentProgramTheProgramsAndTheAlbums)
{
    lists.FillTitlesList();
    EXPECT_EQ(Rows(lists.Titles()),
              QStringList({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")}));

    lists.FillProgramsList();
    EXPECT_EQ(Rows(lists.Programs()),
              QStringList({QStringLiteral("Normal"), QStringLiteral("Shuffle"),
                           QStringLiteral("Reverse"), QStringLiteral("Favourites")}));
    EXPECT_EQ(lists.Programs().CurrentRow(), rock->CurrentProgram->ProgramIndex());

    lists.FillAlbumsList();
    EXPECT_EQ(
        Rows(lists.Albums()),
        QStringList({QStringLiteral("Temporary"), QStringLiteral("Jazz"), QStringLiteral("Rock")}));
    EXPECT_EQ(lists.Albums().CurrentRow(), 2);

    // Opening the titles popup selects the album's current title.
    rock->CurrentTitle = rock->CurrentProgram->Titles[1];
    lists.TitlesPopupOpened();
    EXPECT_EQ(lists.Titles().CurrentRow(), 1);

    // Closing a popup empties the programs and albums, not the titles.
    lists.PopupClosed();
    EXPECT_EQ(lists.Programs().rowCount(), 0);
    EXPECT_EQ(lists.Albums().rowCount(), 0);
    EXPECT_EQ(lists.Titles().rowCount(), 3);

    // An album that is not loaded shows no titles.
    g.SetCurrentAlbum(nullptr);
    lists.FillTitlesList();
    EXPECT_EQ(lists.Titles().rowCount(), 0);
    lists.FillProgramsList();
    EXPECT_EQ(lists.Programs().rowCount(), 0);
}

TEST_F(StationListsTest, ChoosingATitleOpensItOrKeepsItForLater)
{
    TProgram *normal = rock->CurrentProgram;
    lists.FillTitlesList();

    // With nothing open the choice is opened at once.
    lists.ChooseTitle(1);
    EXPECT_EQ(rock->CurrentTitle, normal->Titles[1]);
    EXPECT_EQ(commands.selected, std::vector<TTitle *>{normal->Titles[1]});
    EXPECT_EQ(commands.closed, std::vector<TStationList>{TStationList::Titles});

    // The current title again while the player has it open: only the popup closes.
    OpenInPlayer(normal->Titles[1]);
    commands.selected.clear();
    lists.ChooseTitle(1);
    EXPECT_TRUE(commands.selected.empty());
    EXPECT_EQ(commands.closed.size(), 2u);

    // Without automatic opening, another title waits as the next one to play.
    g.AutoOpenTitle = false;
    lists.ChooseTitle(2);
    EXPECT_EQ(rock->CurrentTitle, normal->Titles[2]);
    EXPECT_TRUE(commands.selected.empty());
    EXPECT_EQ(controlUpdates, 1);

    // With it, the choice is opened.
    g.AutoOpenTitle = true;
    lists.ChooseTitle(0);
    EXPECT_EQ(commands.selected, std::vector<TTitle *>{normal->Titles[0]});

    // A row that is no title changes nothing but still closes the popup.
    for (const int row : {-1, 3, 1000}) {
        lists.ChooseTitle(row);
        EXPECT_EQ(rock->CurrentTitle, normal->Titles[0]);
    }
    EXPECT_EQ(commands.selected.size(), 1u);
    EXPECT_EQ(commands.closed.size(), 7u);
}

TEST_F(StationListsTest, ChoosingAProgramOrAnAlbumMakesItCurrent)
{
    lists.FillProgramsList();
    lists.ChooseProgram(3);
    ASSERT_EQ(rock->CurrentProgram, rock->CustomPrograms[0].get());
    EXPECT_EQ(Rows(lists.Titles()), QStringList{QStringLiteral("Three")});
    EXPECT_EQ(controlUpdates, 1);
    lists.ChooseProgram(4);
    EXPECT_EQ(rock->CurrentProgram, rock->CustomPrograms[0].get());
    EXPECT_EQ(commands.closed, std::vector<TStationList>(2, TStationList::Programs));

    // The album before is saved and unloaded; the titles list follows the new one.
    lists.FillAlbumsList();
    lists.ChooseAlbum(1);
    ASSERT_EQ(g.CurrentAlbum->Caption, QStringLiteral("Jazz"));
    EXPECT_TRUE(g.CurrentAlbum->Loaded);
    EXPECT_FALSE(rock->Loaded);
    EXPECT_EQ(Rows(lists.Titles()),
              QStringList({QStringLiteral("Blue"), QStringLiteral("Green")}));
    lists.ChooseAlbum(3);
    EXPECT_EQ(g.CurrentAlbum->Caption, QStringLiteral("Jazz"));
    EXPECT_EQ(commands.closed.back(), TStationList::Albums);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(StationListsTest, ShortcutsRunEnabledActionsWithExactlyTheirModifiers)
{
    TStationKeys keys(g, commands);
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier,
                                shift = Qt::ShiftModifier;
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        TStationAction action;
    } table[] = {
        {Qt::Key_Space, ctrl, TStationAction::aPlay},
        {Qt::Key_Space, none, TStationAction::aPlayPause},
        {Qt::Key_Left, ctrl, TStationAction::aPlayPrev},
        {Qt::Key_Right, ctrl, TStationAction::aPlayNext},
        {Qt::Key_Home, none, TStationAction::aPlayRew},
        {Qt::Key_PageUp, none, TStationAction::aPlayFB},
        {Qt::Key_PageDown, none, TStationAction::aPlayFF},
        {Qt::Key_F2, none, TStationAction::aEditTitles},
        {Qt::Key_F2, ctrl, TStationAction::aEditPrograms},
        {Qt::Key_F2, shift, TStationAction::aEditAlbums},
        {Qt::Key_F1, none, TStationAction::aHelpTopics},
    };
    for (const auto &row : table) {
        commands.executed.clear();
        EXPECT_TRUE(keys.KeyPressed(row.key, row.modifiers, QString()));
        EXPECT_EQ(commands.executed, std::vector<TStationAction>{row.action})
            << qPrintable(StationActionName(row.action));

        // A disabled action is not run, but the key is still the program's.
        commands.executed.clear();
        commands.disabled = {row.action};
        EXPECT_TRUE(keys.KeyPressed(row.key, row.modifiers, QString()));
        EXPECT_TRUE(commands.executed.empty());
        commands.disabled.clear();

        // One modifier more is another key.
        const Qt::KeyboardModifiers extra = row.modifiers | Qt::AltModifier;
        EXPECT_FALSE(keys.KeyPressed(row.key, extra, QString()));
        EXPECT_TRUE(commands.executed.empty());
    }

    commands.executed.clear();
    EXPECT_FALSE(keys.KeyPressed(Qt::Key_Space, ctrl | shift, QStringLiteral(" ")));
    EXPECT_FALSE(keys.KeyPressed(Qt::Key_Left, none, QString()));
    EXPECT_FALSE(keys.KeyPressed(Qt::Key_F2, ctrl | shift, QString()));
    EXPECT_TRUE(commands.executed.empty());

    // The keypad's Home is Home; "." is the character typed, wherever the layout puts it.
    EXPECT_TRUE(keys.KeyPressed(Qt::Key_Home, Qt::KeypadModifier, QString()));
    EXPECT_TRUE(keys.KeyPressed(Qt::Key_Period, none, QStringLiteral(".")));
    EXPECT_TRUE(keys.KeyPressed(Qt::Key_Colon, shift, QStringLiteral(".")));
    EXPECT_FALSE(keys.KeyPressed(Qt::Key_Period, ctrl, QStringLiteral(".")));
    EXPECT_EQ(commands.executed,
              (std::vector<TStationAction>{TStationAction::aPlayRew, TStationAction::aPlayStop,
                                           TStationAction::aPlayStop}));
}

TEST_F(StationListsTest, DigitsFeedTheTypedNumberAndEscapeDropsIt)
{
    TStationKeys keys(g, commands);
    EXPECT_TRUE(keys.KeyPressed(Qt::Key_1, Qt::NoModifier, QStringLiteral("1")));
    EXPECT_TRUE(keys.KeyPressed(Qt::Key_2, Qt::KeypadModifier, QStringLiteral("2")));
    EXPECT_FALSE(keys.KeyPressed(Qt::Key_3, Qt::ControlModifier, QStringLiteral("3")));
    EXPECT_FALSE(keys.KeyPressed(Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
    EXPECT_EQ(commands.digits, QStringLiteral("12"));
    EXPECT_TRUE(commands.executed.empty());

    g.QuickNumberDigits = QStringLiteral("1");
    EXPECT_FALSE(keys.KeyPressed(Qt::Key_Escape, Qt::ShiftModifier, QString()));
    EXPECT_EQ(g.QuickNumberDigits, QStringLiteral("1"));
    EXPECT_TRUE(keys.KeyPressed(Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")));
    EXPECT_TRUE(g.QuickNumberDigits.isEmpty());
    EXPECT_EQ(controlUpdates, 1);
}

// The list box that shows a station list: which mouse and key events choose a row.
#include "core/stationlists_fixture.h"
#include "presentation/stationlistbox.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

class StationListBoxTest : public StationListsFixture {};

} // namespace

TEST_F(StationListBoxTest, LeftReleaseEnterAndDoubleClickChooseTheSelectedRow)
{
    TStationListBox box(lists, TStationList::Titles);
    TStationListBox *list = &box;
    lists.FillTitlesList();
    list->resize(200, 100);
    list->show();
    QCoreApplication::processEvents();
    QWidget *area = list->viewport();
    const QPointF inside(10, 5), outside(10, area->height() + 20);
    auto release = [&](Qt::MouseButton button, QPointF at) {
        QMouseEvent event(QEvent::MouseButtonRelease, at, area->mapToGlobal(at), button,
                          Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(area, &event);
    };

    lists.Titles().SetCurrentRow(2);
    release(Qt::RightButton, inside);
    release(Qt::LeftButton, outside);
    EXPECT_TRUE(commands.closed.empty());

    release(Qt::LeftButton, inside);
    EXPECT_EQ(rock->CurrentTitle, rock->CurrentProgram->Titles[2]);
    EXPECT_EQ(commands.closed.size(), 1u);

    lists.Titles().SetCurrentRow(0);
    QKeyEvent enter(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &enter);
    EXPECT_EQ(rock->CurrentTitle, rock->CurrentProgram->Titles[0]);
    QKeyEvent other(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(list, &other);
    EXPECT_EQ(commands.closed.size(), 2u);

    lists.Titles().SetCurrentRow(1);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, inside, area->mapToGlobal(inside), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(area, &dbl);
    EXPECT_EQ(rock->CurrentTitle, rock->CurrentProgram->Titles[1]);
    EXPECT_EQ(commands.closed.size(), 3u);
}


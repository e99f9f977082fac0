#include "presentation/stationlistbox.h"

#include "core/stationlists.h"

#include <QKeyEvent>
#include <QMouseEvent>

TStationListBox::TStationListBox(TStationLists &lists, TStationList list, QWidget *parent)
    : QListView(parent), lists_(lists), list_(list), model_(lists.List(list))
{
    setObjectName(model_.objectName());
    setModel(&model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto select = [this](int row) {
        if (row < 0)
            selectionModel()->clearSelection();
        else
            setCurrentIndex(model_.index(row));
    };
    connect(&model_, &TStationListModel::currentRowChanged, this, select);
    connect(&model_, &QAbstractItemModel::modelReset, this,
            [this, select] { select(model_.CurrentRow()); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                model_.SetCurrentRow(current.isValid() ? current.row() : -1);
            });
    select(model_.CurrentRow());
}

void TStationListBox::Choose()
{
    lists_.ChooseRow(list_);
}

void TStationListBox::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat() &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        Choose();
        return;
    }
    QListView::keyReleaseEvent(event);
}

void TStationListBox::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton &&
        viewport()->rect().contains(event->position().toPoint()))
        Choose();
}

void TStationListBox::mouseDoubleClickEvent(QMouseEvent *)
{
    // The press before has selected the row under the pointer; the view's own handling would
    // start over as a press.
    Choose();
}

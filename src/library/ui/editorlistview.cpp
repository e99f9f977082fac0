#include "library/ui/editorlistview.h"

#include <QDataStream>
#include <QDrag>
#include <QDragEnterEvent>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <set>

namespace {

// The lists alive now: a drag names its source by address, which is only followed when it is
// one of these.
std::set<const TEditorListView *> &LiveLists()
{
    static std::set<const TEditorListView *> lists;
    return lists;
}

QIcon DragIcon(bool several)
{
    return several ? QIcon::fromTheme(QStringLiteral("edit-copy"),
                                      QIcon::fromTheme(QStringLiteral("text-x-generic")))
                   : QIcon::fromTheme(QStringLiteral("text-x-generic"),
                                      QIcon::fromTheme(QStringLiteral("audio-x-generic")));
}

} // namespace

TEditorListView::TEditorListView(QWidget *parent) : QListView(parent)
{
    LiveLists().insert(this);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    setAutoScroll(false);
    setUniformItemSizes(true);
    // The list scrolls by whole rows, also while something is dragged over it.
    setVerticalScrollMode(ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    viewport()->setAcceptDrops(true);
}

TEditorListView::~TEditorListView()
{
    LiveLists().erase(this);
}

std::vector<int> TEditorListView::SelectedRows() const
{
    std::vector<int> rows;
    if (!selectionModel()) return rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TEditorListView::SelectRows(const std::vector<int> &rows)
{
    if (!model() || !selectionModel()) return;
    QItemSelection selection;
    for (const int row : rows) {
        const QModelIndex index = model()->index(row, 0);
        if (index.isValid()) selection.select(index, index);
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty()) {
        const QModelIndex first = model()->index(rows.front(), 0);
        selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        scrollTo(first);
    }
}

QMimeData *TEditorListView::DragData() const
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return nullptr;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint64(reinterpret_cast<quintptr>(this)) << quint32(rows.size());
    for (const int row : rows)
        out << qint32(row);
    auto *mime = new QMimeData;
    mime->setData(kMimeType, bytes);
    return mime;
}

std::optional<TEditorListView::TDrop> TEditorListView::DropAt(const QMimeData *mime,
                                                              QPoint point) const
{
    if (!mime || !mime->hasFormat(kMimeType) || !model()) return std::nullopt;
    QDataStream in(mime->data(kMimeType));
    quint64 address = 0;
    quint32 count = 0;
    in >> address >> count;
    TDrop drop;
    const auto *source = reinterpret_cast<const TEditorListView *>(quintptr(address));
    if (in.status() != QDataStream::Ok || !LiveLists().contains(source) || !source->model())
        return std::nullopt;
    drop.Source = const_cast<TEditorListView *>(source);
    const int sourceRows = source->model()->rowCount();
    if (count == 0 || count > quint32(sourceRows)) return std::nullopt;
    for (quint32 i = 0; i < count; ++i) {
        qint32 row = -1;
        in >> row;
        if (in.status() != QDataStream::Ok || row < 0 || row >= sourceRows ||
            (!drop.Rows.empty() && row <= drop.Rows.back()))
            return std::nullopt;
        drop.Rows.push_back(row);
    }

    const int rows = model()->rowCount();
    if (drop.Source != this && TakesRowsFromOthers) {
        drop.OnRow = true;
        const QModelIndex index = indexAt(point);
        if (!index.isValid()) return std::nullopt;
        drop.Position = index.row();
    } else {
        const QModelIndex index = indexAt(point + QPoint(0, RowHeightAt() / 2));
        drop.Position = index.isValid() ? index.row() : rows;
        // A pointer above the first row (a list scrolled to its top) still means gap 0.
        if (!index.isValid() && rows > 0 && point.y() < visualRect(model()->index(0, 0)).top())
            drop.Position = 0;
    }
    // Onto one of the dragged rows of this very list.
    if (drop.Source == this) {
        const QModelIndex under = indexAt(point);
        if (under.isValid() &&
            std::binary_search(drop.Rows.begin(), drop.Rows.end(), under.row()))
            return std::nullopt;
    }
    if (!AcceptDrop || !AcceptDrop(drop)) return std::nullopt;
    return drop;
}

int TEditorListView::RowHeightAt() const
{
    if (model() && model()->rowCount() > 0) {
        const int height = visualRect(model()->index(0, 0)).height();
        if (height > 0) return height;
    }
    return fontMetrics().height() + 2;
}

void TEditorListView::startDrag(Qt::DropActions)
{
    QMimeData *mime = DragData();
    if (!mime) return;
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(DragIcon(SelectedRows().size() > 1).pixmap(32, 32));
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

void TEditorListView::ScrollNearEdges(QPoint point)
{
    QScrollBar *bar = verticalScrollBar();
    if (point.y() < kScrollMargin)
        bar->setValue(bar->value() - 1);
    else if (point.y() > viewport()->height() - kScrollMargin)
        bar->setValue(bar->value() + 1);
}

void TEditorListView::SetMarker(const std::optional<TDrop> &drop)
{
    marker_ = drop;
    viewport()->update();
}

void TEditorListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(kMimeType))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TEditorListView::dragMoveEvent(QDragMoveEvent *event)
{
    const QPoint point = event->position().toPoint();
    ScrollNearEdges(point);
    const auto drop = DropAt(event->mimeData(), point);
    SetMarker(drop);
    if (drop)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TEditorListView::dragLeaveEvent(QDragLeaveEvent *event)
{
    SetMarker(std::nullopt);
    event->accept();
}

void TEditorListView::dropEvent(QDropEvent *event)
{
    const auto drop = DropAt(event->mimeData(), event->position().toPoint());
    SetMarker(std::nullopt);
    if (!drop || !Drop) {
        event->ignore();
        return;
    }
    // The move itself is done here; the drag's source must not remove anything.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Drop(*drop);
}

void TEditorListView::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    if (!marker_ || !model()) return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Text), 2));
    const int rows = model()->rowCount();
    if (marker_->OnRow) {
        painter.drawRect(visualRect(model()->index(marker_->Position, 0)).adjusted(1, 1, -1, -1));
        return;
    }
    int y = 1;
    if (marker_->Position < rows)
        y = visualRect(model()->index(marker_->Position, 0)).top();
    else if (rows > 0)
        y = visualRect(model()->index(rows - 1, 0)).bottom() + 1;
    painter.drawLine(0, y, viewport()->width(), y);
}

void TEditorListView::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::ControlModifier &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        if (MoveRows) MoveRows(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

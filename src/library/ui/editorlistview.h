#pragma once
// A list of the library editors, with the drag and drop the editors share:
// - a drag starts from the selected rows (at least one); its image tells one row from several;
// - while something is dragged over the list, it scrolls one row when the pointer comes within
//   16 pixels of its top or bottom edge;
// - the drop position is a gap between rows (the row under the pointer shifted down by half a
//   row, so a pointer between two rows gives the lower one; the row count means after the
//   last), or, for rows from another list when the list takes them on a row, the row under the
//   pointer; a 2-pixel line marks a gap, a frame a row;
// - dropping on one of the dragged rows of the same list is refused; what else the list takes
//   and what a drop does is the editor's (AcceptDrop, Drop).
// Ctrl+Up and Ctrl+Down ask the editor to move the selected rows (MoveRows).
//
// Drags carry the source list and its rows; a drag whose source is not a live editor list, or
// whose rows are not rows of it, is refused.
//
// Threads: main thread only.
#include <QListView>

#include <functional>
#include <optional>
#include <vector>

class QMimeData;

class TEditorListView : public QListView {
    Q_OBJECT

public:
    struct TDrop {
        TEditorListView *Source = nullptr;
        // The dragged rows of the source, ascending.
        std::vector<int> Rows;
        // A gap (0 to the row count) or, when OnRow, a row.
        int Position = -1;
        bool OnRow = false;
    };

    static inline const QString kMimeType = QStringLiteral("application/x-tonaria-editor-rows");
    // The pointer's distance from an edge that scrolls the list while dragging.
    static constexpr int kScrollMargin = 16;

    explicit TEditorListView(QWidget *parent = nullptr);
    ~TEditorListView() override;

    // Rows dragged in from another list address a row rather than a gap (the albums and
    // programs lists).
    bool TakesRowsFromOthers = false;
    std::function<bool(const TDrop &)> AcceptDrop;
    std::function<void(const TDrop &)> Drop;
    // delta -1 (up) or +1 (down).
    std::function<void(int delta)> MoveRows;

    // The selected rows, ascending.
    std::vector<int> SelectedRows() const;
    void SelectRows(const std::vector<int> &rows);
    // What a drag of the selected rows carries (null when nothing is selected).
    QMimeData *DragData() const;
    // The drop that data would make at a point of the viewport, if the list takes it.
    std::optional<TDrop> DropAt(const QMimeData *mime, QPoint point) const;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int RowHeightAt() const;
    void ScrollNearEdges(QPoint point);
    void SetMarker(const std::optional<TDrop> &drop);

    std::optional<TDrop> marker_;
};

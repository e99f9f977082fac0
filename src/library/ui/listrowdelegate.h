#pragma once
// How the rows of the library's lists are drawn: a title list has a number gutter (the row
// number right-aligned in a column as wide as the preference "TitlesGutter", a line in the
// button-highlight colour 2 pixels to its right, the text 6 pixels after the gutter); a
// program or album list has a line over one row that separates the fixed entries above it
// (the internal programs, the system album) from the user's own. The model's bold role draws
// the current entry in bold.
//
// Threads: main thread only.
#include <QStyledItemDelegate>

#include <functional>

class TListRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    struct TLook {
        // The gutter's width in pixels; no gutter when not set.
        std::function<int()> GutterWidth;
        // The row whose top edge carries the separator; -1 for none.
        int SeparatorRow = -1;
    };

    explicit TListRowDelegate(TLook look, QObject *parent = nullptr);

    // Rows are 14 pixels high, or as high as the font needs.
    static int RowHeight(const QFontMetrics &metrics);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    TLook look_;
};

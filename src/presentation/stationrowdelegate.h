#pragma once
// How a row of a station list is drawn: one line of text, 14 pixels high. The titles list has
// a number gutter (the row number, right-aligned, as wide as the titles-gutter preference) with
// a line beside it; the current title, program or album is bold; a line in the text colour
// separates the internal programs from the custom ones and the system album from the others.
//
// Threads: main thread only.

#include "core/stationcommands.h"

#include <QStyledItemDelegate>

class TTonariaGlobals;

class TStationRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // The global state must outlive the delegate.
    TStationRowDelegate(TTonariaGlobals &globals, TStationList list, QObject *parent = nullptr);

    // The row drawn in bold (-1 for none).
    int BoldRow() const;
    // The row whose top edge carries the separator (-1 for none).
    int SeparatorRow() const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static constexpr int kRowHeight = 14;

private:
    TTonariaGlobals &g_;
    TStationList list_;
};

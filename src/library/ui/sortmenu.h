#pragma once
// The Sort drop-down of the albums and programs editors: the eight orderings and the
// "Descending" check item, which turns the direction of every ordering.
//
// Threads: main thread only.
#include "library/titleorder.h"

#include <QMenu>

class TSortMenu : public QMenu {
    Q_OBJECT

public:
    explicit TSortMenu(QWidget *parent = nullptr);

    // +1 ascending, -1 descending.
    int Direction() const;
    QAction *DescendingItem() const { return descending_; }
    // The item of an ordering.
    QAction *Item(TTitleOrder order) const;

signals:
    void sortRequested(TTitleOrder order, int direction);

private:
    QAction *descending_;
    QList<QAction *> items_;
};

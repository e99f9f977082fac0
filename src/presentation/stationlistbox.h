#pragma once
// A list box that shows one of the station's lists. A row is chosen by a double-click, by Enter
// released in the list, or by a left-button release inside the list's client area (the press
// has already selected the row under the pointer); the selection and the list's current row
// follow each other.
//
// Choosing a row may close the popup that holds the box: the box must then be hidden or
// deleted later, never at once, since the choice runs inside the box's own event.
//
// Threads: main thread only.

#include "core/stationcommands.h"

#include <QListView>

class TStationLists;
class TStationListModel;

class TStationListBox : public QListView {
    Q_OBJECT

public:
    // The lists must outlive the box.
    TStationListBox(TStationLists &lists, TStationList list, QWidget *parent = nullptr);

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void Choose();

    TStationLists &lists_;
    TStationList list_;
    TStationListModel &model_;
};

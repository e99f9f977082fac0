#pragma once
// The station's three lists behind the display's popup list boxes: the titles of the current
// album's current program, the programs of the current album (the three internal ones first,
// then the custom ones) and the albums, each row showing the item's name. Choosing a row makes
// its title, program or album the current one and closes the popup.
//
// A row is chosen by a double-click, by Enter released in the list, or by a left-button release
// inside the list's client area (the press has already selected the row under the pointer).
// Rows are addressed by their position: a row is taken only while its position is valid in the
// current album, so a list filled before a change can never reach a record that is gone.
//
// Closing a popup from a choice must not delete the list's widget at once (hide it, or use
// deleteLater): the choice may be running inside the widget's own event.
//
// Rows are drawn by the windows' list drawing; here they are plain text.
//
// The lists own their widgets until a popup takes one in as its child; whoever holds a widget
// when the lists go away, it is freed once.
//
// Threads: main thread only.

#include "core/stationcommands.h"

#include <QListWidget>
#include <QObject>
#include <QPointer>

class TTonariaGlobals;

class TStationLists : public QObject {
    Q_OBJECT

public:
    // Both must outlive the lists.
    TStationLists(TTonariaGlobals &globals, TStationCommands &commands);
    ~TStationLists() override;

    QListWidget *List(TStationList list) const;
    QListWidget *lbTitles() const { return titles_; }
    QListWidget *lbPrograms() const { return programs_; }
    QListWidget *lbAlbums() const { return albums_; }

    // The titles of the current program, only while the current album is loaded and has a
    // current program; otherwise the list stays empty.
    void FillTitlesList();
    // The current album's programs, the current one selected.
    void FillProgramsList();
    // Every album in album-list order, the current one selected.
    void FillAlbumsList();

    // The titles popup opens: its row of the album's current title is selected.
    void TitlesPopupOpened();
    // Any popup closes: the programs and albums lists are emptied (the titles list stays).
    void PopupClosed();

    // The chosen row of a list (its selected row).
    void ChooseRow(TStationList list);
    void ChooseTitle(int row);
    void ChooseProgram(int row);
    void ChooseAlbum(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidget *MakeList(const char *name);
    // The list whose widget or client area `watched` is, if any.
    bool ListOf(QObject *watched, TStationList &list) const;

    TTonariaGlobals &g_;
    TStationCommands &commands_;
    QPointer<QListWidget> titles_;
    QPointer<QListWidget> programs_;
    QPointer<QListWidget> albums_;
};

#pragma once
// The station's three lists behind the display's popup list boxes: the titles of the current
// album's current program, the programs of the current album (the three internal ones first,
// then the custom ones) and the albums, each row showing the item's name. Choosing a row makes
// its title, program or album the current one and closes the popup.
//
// Rows are addressed by their position: a row is taken only while its position is valid in the
// current album, so a list filled before a change can never reach a record that is gone.
//
// The lists are models; the popup list boxes show them and report the row the user chose.
//
// Threads: main thread only.

#include "core/stationcommands.h"
#include "core/stationlistmodel.h"

#include <QObject>

class TTonariaGlobals;

class TStationLists : public QObject {
    Q_OBJECT

public:
    // Both must outlive the lists.
    TStationLists(TTonariaGlobals &globals, TStationCommands &commands);

    TStationListModel &List(TStationList list);
    TStationListModel &Titles() { return titles_; }
    TStationListModel &Programs() { return programs_; }
    TStationListModel &Albums() { return albums_; }

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

private:
    TTonariaGlobals &g_;
    TStationCommands &commands_;
    TStationListModel titles_;
    TStationListModel programs_;
    TStationListModel albums_;
};

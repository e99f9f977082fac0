#include "core/stationlists.h"

#include "core/tonariaglobals.h"
#include "library/album.h"
#include "library/program.h"
#include "playback/sonoricplayer.h"

TStationLists::TStationLists(TTonariaGlobals &globals, TStationCommands &commands)
    : g_(globals), commands_(commands)
{
    titles_.setObjectName(QStringLiteral("lbTitles"));
    programs_.setObjectName(QStringLiteral("lbPrograms"));
    albums_.setObjectName(QStringLiteral("lbAlbums"));
}

TStationListModel &TStationLists::List(TStationList list)
{
    switch (list) {
    case TStationList::Programs:
        return programs_;
    case TStationList::Albums:
        return albums_;
    case TStationList::Titles:
        break;
    }
    return titles_;
}

void TStationLists::FillTitlesList()
{
    QStringList rows;
    const TAlbum *album = g_.CurrentAlbum;
    if (album && album->Loaded && album->CurrentProgram)
        for (const TTitle *title : album->CurrentProgram->Titles)
            rows << title->Caption;
    titles_.SetRows(rows);
}

void TStationLists::FillProgramsList()
{
    QStringList rows;
    int selected = -1;
    if (const TAlbum *album = g_.CurrentAlbum) {
        for (int i = 0; i < album->ProgramCount(); ++i)
            rows << album->ProgramByIndex(i)->Caption;
        if (album->CurrentProgram) selected = album->CurrentProgram->ProgramIndex();
    }
    programs_.SetRows(rows, selected);
}

void TStationLists::FillAlbumsList()
{
    QStringList rows;
    for (const auto &album : g_.Albums)
        rows << album->Caption;
    albums_.SetRows(rows, g_.CurrentAlbumIndex());
}

void TStationLists::TitlesPopupOpened()
{
    const TAlbum *album = g_.CurrentAlbum;
    if (!album || !album->CurrentProgram || !album->CurrentTitle) return;
    const qsizetype row = album->CurrentProgram->IndexOf(album->CurrentTitle);
    if (row >= 0 && row < titles_.rowCount()) titles_.SetCurrentRow(int(row));
}

void TStationLists::PopupClosed()
{
    programs_.Clear();
    albums_.Clear();
}

void TStationLists::ChooseRow(TStationList list)
{
    const int row = List(list).CurrentRow();
    switch (list) {
    case TStationList::Titles:
        ChooseTitle(row);
        break;
    case TStationList::Programs:
        ChooseProgram(row);
        break;
    case TStationList::Albums:
        ChooseAlbum(row);
        break;
    }
}

void TStationLists::ChooseTitle(int row)
{
    TAlbum *album = g_.CurrentAlbum;
    const TProgram *program = album && album->Loaded ? album->CurrentProgram : nullptr;
    if (program && row >= 0 && std::size_t(row) < program->Titles.size()) {
        TTitle *title = program->Titles[std::size_t(row)];
        const bool playerOpen = g_.Player && g_.Player->Opened();
        if (title != album->CurrentTitle || !playerOpen) {
            album->CurrentTitle = title;
            // With a title loaded and no automatic opening, the choice waits as the next
            // title to play.
            if (!g_.AutoOpenTitle && g_.LoadedTitle)
                g_.UpdateControls();
            else
                commands_.SelectTitle(title);
        }
    }
    commands_.ClosePopup(TStationList::Titles);
}

void TStationLists::ChooseProgram(int row)
{
    TAlbum *album = g_.CurrentAlbum;
    if (album && row >= 0 && row < album->ProgramCount()) {
        album->SetCurrentProgram(album->ProgramByIndex(row));
        album->RefreshInternalPrograms();
        FillTitlesList();
        g_.UpdateControls();
    }
    commands_.ClosePopup(TStationList::Programs);
}

void TStationLists::ChooseAlbum(int row)
{
    if (row >= 0 && std::size_t(row) < g_.Albums.size()) {
        g_.SetCurrentAlbum(g_.Albums[std::size_t(row)].get());
        FillTitlesList();
    }
    commands_.ClosePopup(TStationList::Albums);
}


#include "core/stationlists.h"

#include "core/tonariaglobals.h"
#include "playback/sonoricplayer.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>

namespace {

void Fill(QListWidget *list, const QStringList &rows, int selected)
{
    list->clear();
    list->addItems(rows);
    if (selected >= 0 && selected < list->count()) list->setCurrentRow(selected);
}

} // namespace

TStationLists::TStationLists(TTonariaGlobals &globals, TStationCommands &commands)
    : g_(globals), commands_(commands)
{
    titles_ = MakeList("lbTitles");
    programs_ = MakeList("lbPrograms");
    albums_ = MakeList("lbAlbums");
}

TStationLists::~TStationLists()
{
    for (QListWidget *list : {titles_.data(), programs_.data(), albums_.data()}) {
        if (!list) continue;
        list->removeEventFilter(this);
        list->viewport()->removeEventFilter(this);
        delete list;
    }
}

QListWidget *TStationLists::MakeList(const char *name)
{
    auto *list = new QListWidget;
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    list->setFrameShape(QFrame::NoFrame);
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
    return list;
}

QListWidget *TStationLists::List(TStationList list) const
{
    switch (list) {
    case TStationList::Titles:
        return titles_;
    case TStationList::Programs:
        return programs_;
    case TStationList::Albums:
        return albums_;
    }
    return nullptr;
}

void TStationLists::FillTitlesList()
{
    if (!titles_) return;
    QStringList rows;
    const TAlbum *album = g_.CurrentAlbum;
    if (album && album->Loaded && album->CurrentProgram)
        for (const TTitle *title : album->CurrentProgram->Titles)
            rows << title->Caption;
    Fill(titles_, rows, -1);
}

void TStationLists::FillProgramsList()
{
    if (!programs_) return;
    QStringList rows;
    int selected = -1;
    if (const TAlbum *album = g_.CurrentAlbum) {
        for (int i = 0; i < album->ProgramCount(); ++i)
            rows << album->ProgramByIndex(i)->Caption;
        if (album->CurrentProgram) selected = album->CurrentProgram->ProgramIndex();
    }
    Fill(programs_, rows, selected);
}

void TStationLists::FillAlbumsList()
{
    if (!albums_) return;
    QStringList rows;
    for (const auto &album : g_.Albums)
        rows << album->Caption;
    Fill(albums_, rows, g_.CurrentAlbumIndex());
}

void TStationLists::TitlesPopupOpened()
{
    const TAlbum *album = g_.CurrentAlbum;
    if (!titles_ || !album || !album->CurrentProgram || !album->CurrentTitle) return;
    const qsizetype row = album->CurrentProgram->IndexOf(album->CurrentTitle);
    if (row >= 0 && row < titles_->count()) titles_->setCurrentRow(int(row));
}

void TStationLists::PopupClosed()
{
    if (programs_) programs_->clear();
    if (albums_) albums_->clear();
}

void TStationLists::ChooseRow(TStationList list)
{
    const QListWidget *widget = List(list);
    const int row = widget ? widget->currentRow() : -1;
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

bool TStationLists::ListOf(QObject *watched, TStationList &list) const
{
    for (const TStationList candidate :
         {TStationList::Titles, TStationList::Programs, TStationList::Albums}) {
        const QListWidget *widget = List(candidate);
        if (widget && (watched == widget || watched == widget->viewport())) {
            list = candidate;
            return true;
        }
    }
    return false;
}

bool TStationLists::eventFilter(QObject *watched, QEvent *event)
{
    // Only the choosing events are looked at: a list being destroyed still sends others, and
    // by then it is no longer a list.
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyRelease && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    TStationList list;
    if (!ListOf(watched, list)) return QObject::eventFilter(watched, event);
    QListWidget *widget = List(list);

    switch (event->type()) {
    case QEvent::KeyRelease: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == widget && !key->isAutoRepeat() &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            ChooseRow(list);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == widget->viewport() && mouse->button() == Qt::LeftButton &&
            widget->viewport()->rect().contains(mouse->position().toPoint())) {
            ChooseRow(list);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (watched == widget->viewport()) {
            ChooseRow(list);
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// Generated here so that the class is never left without its meta-object code.
#include "moc_stationlists.cpp"

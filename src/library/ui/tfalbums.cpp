#include "library/ui/tfalbums.h"

#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "library/albumsnapshot.h"
#include "library/legacyalbums.h"
#include "library/listorder.h"
#include "library/registryexport.h"
#include "library/ui/editorlistmodel.h"
#include "library/ui/libraryeditors.h"
#include "library/ui/listrowdelegate.h"
#include "library/ui/sortmenu.h"
#include "library/ui/tfchoose.h"
#include "library/ui/tfrename.h"
#include "localisation/showmessage.h"
#include "localisation/ui/localiseform.h"
#include "platform/system/atomicfile.h"
#include "platform/system/messageservice.h"

#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QToolBar>
#include <QLineEdit>
#include <QMenu>

#include <algorithm>

TfAlbums::TfAlbums(TLibraryEditors &editors, QWidget *parent) : TfLibraryEditor(editors, parent)
{
    setObjectName(QStringLiteral("fAlbums"));
    setWindowTitle(QStringLiteral("Edit Albums"));

    aNew = AddAction("aNew", QStringLiteral("New"), QStringLiteral("New album"),
                     QStringLiteral("document-new"), QKeySequence(Qt::Key_Insert));
    aRename = AddAction("aRename", QStringLiteral("Rename"), QStringLiteral("Rename album"),
                        QStringLiteral("edit-rename"), QKeySequence(Qt::Key_F2));
    aDelete = AddAction("aDelete", QStringLiteral("Delete"), QStringLiteral("Delete"),
                        QStringLiteral("edit-delete"), QKeySequence(Qt::Key_Delete));
    aUndo = AddAction("aUndo", QStringLiteral("Undo"), QStringLiteral("Undo the last deletion"),
                      QStringLiteral("edit-undo"), QKeySequence::Undo);
    toolBar_->addSeparator();
    aSort = AddAction("aSort", QStringLiteral("Sort"), QStringLiteral("Sort titles"),
                      QStringLiteral("view-sort-ascending"));
    pmSort = new TSortMenu(this);
    AddDropDown(aSort, pmSort, true);
    aShuffle = AddAction("aShuffle", QStringLiteral("Shuffle"),
                         QStringLiteral("Shuffle album titles"),
                         QStringLiteral("media-playlist-shuffle"));
    aReverse = AddAction("aReverse", QStringLiteral("Reverse"),
                         QStringLiteral("Reverse album titles"),
                         QStringLiteral("object-flip-vertical"));
    toolBar_->addSeparator();
    aImport = AddAction("aImport", QStringLiteral("Import"), QStringLiteral("Import album from"),
                        QStringLiteral("document-import"));
    auto *importMenu = new QMenu(this);
    importMenu->setObjectName(QStringLiteral("pmImport"));
    ImportTonaria2x1 = importMenu->addAction(QStringLiteral("Tonaria 2.x"));
    ImportTonaria2x1->setObjectName(QStringLiteral("ImportTonaria2x1"));
    ImportTonaria2xFile1 =
        importMenu->addAction(QStringLiteral("Tonaria 2.x from a registry export file..."));
    ImportTonaria2xFile1->setObjectName(QStringLiteral("ImportTonaria2xFile1"));
    AddDropDown(aImport, importMenu, false);
    aExport = AddAction("aExport", QStringLiteral("Export"), QStringLiteral("Export album to"),
                        QStringLiteral("document-export"));
    auto *exportMenu = new QMenu(this);
    exportMenu->setObjectName(QStringLiteral("pmExport"));
    ExportTonaria2x1 = exportMenu->addAction(QStringLiteral("Tonaria 2.x"));
    ExportTonaria2x1->setObjectName(QStringLiteral("ExportTonaria2x1"));
    ExportTonaria2x1->setEnabled(false);
    AddDropDown(aExport, exportMenu, false);

    connect(aNew, &QAction::triggered, this, &TfAlbums::New);
    connect(aRename, &QAction::triggered, this, &TfAlbums::Rename);
    connect(aDelete, &QAction::triggered, this, &TfAlbums::Delete);
    connect(aUndo, &QAction::triggered, this, &TfAlbums::Undo);
    connect(aSort, &QAction::triggered, this,
            [this] { Sort(TTitleOrder::Caption, pmSort->Direction()); });
    connect(pmSort, &TSortMenu::sortRequested, this, &TfAlbums::Sort);
    connect(aShuffle, &QAction::triggered, this, [this] { Reorder(&ShuffleList<TTitle *>); });
    connect(aReverse, &QAction::triggered, this, [this] { Reorder(&ReverseList<TTitle *>); });
    connect(ImportTonaria2x1, &QAction::triggered, this, &TfAlbums::ImportRegistry);
    connect(ImportTonaria2xFile1, &QAction::triggered, this, &TfAlbums::ImportExportFile);

    albums_ = new TEditorListModel(
        [this] { return static_cast<int>(g_.Albums.size()); },
        [this](int row) { return g_.Albums[static_cast<std::size_t>(row)]->Caption; }, this);
    titles_ = new TEditorListModel(
        [this] {
            return selected_ && selected_->Loaded ? static_cast<int>(selected_->Titles.size())
                                                  : 0;
        },
        [this](int row) {
            return selected_ ? selected_->Titles[static_cast<std::size_t>(row)]->Caption
                             : QString();
        },
        this);

    auto makeList = [this](const char *name, TEditorListModel *model) {
        auto *list = new TEditorListView(this);
        list->setObjectName(QLatin1String(name));
        list->setModel(model);
        list->AcceptDrop = [this, list](const TEditorListView::TDrop &drop) {
            return AcceptDrop(list, drop);
        };
        list->Drop = [this, list](const TEditorListView::TDrop &drop) { Drop(list, drop); };
        list->MoveRows = [this, list](int delta) { MoveRows(list, delta); };
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { UpdateActions(); });
        return list;
    };
    lbAlbums = makeList("lbAlbums", albums_);
    lbAlbums->TakesRowsFromOthers = true;
    lbAlbums->setSelectionMode(QAbstractItemView::SingleSelection);
    lbAlbums->setItemDelegate(new TListRowDelegate({{}, 1}, lbAlbums));
    lbAlbumTitles = makeList("lbAlbumTitles", titles_);
    lbAlbumTitles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbAlbumTitles->setItemDelegate(
        new TListRowDelegate({[this] { return g_.TitlesGutter; }, -1}, lbAlbumTitles));
    connect(lbAlbums->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfAlbums::AlbumRowChanged);

    eAlbumFilename = new QLineEdit(this);
    eAlbumFilename->setObjectName(QStringLiteral("eAlbumFilename"));
    eAlbumFilename->setReadOnly(true);
    auto label = [this](const char *name, const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setBuddy(buddy);
        return l;
    };
    auto *body = new QGridLayout;
    body->addWidget(label("lAlbums", QStringLiteral("Albums:"), lbAlbums), 0, 0);
    body->addWidget(label("lTitlesInAlbum", QStringLiteral("Titles in album:"), lbAlbumTitles), 0,
                    1);
    body->addWidget(lbAlbums, 1, 0);
    body->addWidget(lbAlbumTitles, 1, 1);
    body->addWidget(label("lAlbumFilename", QStringLiteral("Album filename:"), eAlbumFilename),
                    2, 0, 1, 2);
    body->addWidget(eAlbumFilename, 3, 0, 1, 2);
    body->setColumnStretch(0, 2);
    body->setColumnStretch(1, 3);
    Arrange(body);
    resize(720, 460);
    LocaliseForm(this, false);

    RefillAlbums();
    SelectAlbum(std::max(g_.CurrentAlbumIndex(), 0));
}

TfAlbums::~TfAlbums() = default;

int TfAlbums::RowOf(const TAlbum *album) const
{
    for (std::size_t i = 0; i < g_.Albums.size(); ++i)
        if (g_.Albums[i].get() == album) return static_cast<int>(i);
    return -1;
}

void TfAlbums::RefillAlbums()
{
    albums_->SetBoldRow(g_.CurrentAlbumIndex());
    refilling_ = true;
    albums_->Refill();
    if (RowOf(selected_) < 0) selected_ = nullptr;
    if (selected_) lbAlbums->SelectRows({RowOf(selected_)});
    refilling_ = false;
    RefillTitles();
}

void TfAlbums::RefillTitles()
{
    titles_->Refill();
    eAlbumFilename->setText(selected_ ? selected_->FileName : QString());
    UpdateActions();
}

void TfAlbums::SelectAlbum(int row)
{
    if (row >= 0 && row < static_cast<int>(g_.Albums.size()))
        lbAlbums->SelectRows({row}); // AlbumRowChanged follows
    AlbumRowChanged();
}

void TfAlbums::Leave(TAlbum *album)
{
    // An album loaded only to be shown here goes back to its file.
    if (album && album->Loaded && album != g_.CurrentAlbum) {
        g_.AlbumFile().Save(*album);
        album->Unload();
    }
}

void TfAlbums::AlbumRowChanged()
{
    if (refilling_) return;
    const QModelIndex current = lbAlbums->currentIndex();
    TAlbum *album = current.isValid() && current.row() < static_cast<int>(g_.Albums.size())
                        ? g_.Albums[static_cast<std::size_t>(current.row())].get()
                        : nullptr;
    if (album == selected_) {
        RefillTitles();
        return;
    }
    Leave(selected_);
    selected_ = album;
    if (album && !album->Loaded) g_.AlbumFile().Load(*album);
    RefillTitles();
}

void TfAlbums::UpdateActions()
{
    const bool notSystem = selected_ && selected_ != g_.SystemAlbum;
    const bool hasTitles = selected_ && selected_->Loaded && !selected_->Titles.empty();
    aRename->setEnabled(notSystem);
    QWidget *focus = focusWidget();
    aDelete->setEnabled((focus == lbAlbums && notSystem) ||
                        (focus == lbAlbumTitles && !lbAlbumTitles->SelectedRows().empty()));
    aSort->setEnabled(hasTitles);
    aShuffle->setEnabled(hasTitles);
    aReverse->setEnabled(hasTitles);
    aExport->setEnabled(true); // the drop-down opens; its one item never works
    bool canUndo = std::holds_alternative<TAlbumUndo>(undo_);
    if (const auto *snapshot = std::get_if<std::unique_ptr<TAlbumSnapshot>>(&undo_))
        canUndo = (*snapshot)->Album() == selected_ && selected_ && selected_->Loaded;
    aUndo->setEnabled(canUndo);
}

void TfAlbums::New()
{
    undo_ = std::monostate();
    g_.Albums.push_back(TAlbum::CreateAlbum());
    TAlbum *album = g_.Albums.back().get();
    album->Caption = TfRename::Execute(album->Caption, this);
    g_.AlbumFile().Save(*album);
    g_.SortAlbums();
    RefillAlbums();
    SelectAlbum(RowOf(album));
}

void TfAlbums::Rename()
{
    if (!selected_ || selected_ == g_.SystemAlbum) return;
    selected_->Caption = TfRename::Execute(selected_->Caption, this);
    g_.SortAlbums();
    RefillAlbums();
}

void TfAlbums::Delete()
{
    if (!aDelete->isEnabled() || !selected_) return;
    QWidget *focus = focusWidget();
    if (focus == lbAlbums) {
        if (selected_ == g_.SystemAlbum ||
            ShowMessageById(QStringLiteral("WarnRemoveAlbum"), {selected_->Caption},
                            MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        DeleteAlbum(selected_);
    } else if (focus == lbAlbumTitles) {
        const std::vector<int> rows = lbAlbumTitles->SelectedRows();
        if (rows.empty() || !selected_->Loaded ||
            ShowMessageById(QStringLiteral("WarnRemoveTitleFromAlbum"),
                            {int(rows.size()), selected_->Caption},
                            MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        auto snapshot = std::make_unique<TAlbumSnapshot>(*selected_);
        std::vector<TTitle *> titles;
        for (const int row : rows)
            if (row < static_cast<int>(selected_->Titles.size()))
                titles.push_back(selected_->Titles[static_cast<std::size_t>(row)]);
        for (TTitle *title : titles)
            DisposeTitle(selected_->RemoveTitle(title));
        undo_ = std::move(snapshot);
        RefillTitles();
        lbAlbumTitles->SelectRows({std::min(rows.front(), titles_->rowCount() - 1)});
    }
}

void TfAlbums::DeleteAlbum(TAlbum *album)
{
    const int row = RowOf(album);
    if (row < 0) return;
    const bool wasCurrent = album == g_.CurrentAlbum;
    // What the file holds is kept until the dialog closes, so the deletion can be taken back.
    TAlbumUndo kept{album->Caption, album->FileName, {}, wasCurrent};
    if (album->Loaded) g_.AlbumFile().Save(*album);
    if (!album->FileName.isEmpty()) {
        QFile file(album->FileName);
        if (file.open(QIODevice::ReadOnly)) kept.Bytes = file.readAll();
    }
    selected_ = nullptr;
    if (wasCurrent) g_.CurrentAlbum = nullptr;
    std::unique_ptr<TAlbum> removed = std::move(g_.Albums[static_cast<std::size_t>(row)]);
    g_.Albums.erase(g_.Albums.begin() + row);
    // A file that cannot be deleted stays where it is; nobody needs to hear of it.
    if (!removed->FileName.isEmpty()) QFile::remove(removed->FileName);
    removed.reset();
    undo_ = std::move(kept);

    const int next = std::min(row, static_cast<int>(g_.Albums.size()) - 1);
    if (wasCurrent && next >= 0) {
        g_.SetCurrentAlbum(g_.Albums[static_cast<std::size_t>(next)].get());
        TitlesEdited();
    }
    RefillAlbums();
    SelectAlbum(next);
}

void TfAlbums::Undo()
{
    if (auto *snapshot = std::get_if<std::unique_ptr<TAlbumSnapshot>>(&undo_)) {
        if ((*snapshot)->Album() != selected_ || !selected_ || !selected_->Loaded) return;
        (*snapshot)->Restore(*selected_);
        selected_->RefreshInternalPrograms();
        undo_ = std::monostate();
        RefillTitles();
        return;
    }
    auto *kept = std::get_if<TAlbumUndo>(&undo_);
    if (!kept) return;
    QString reason;
    if (!kept->FileName.isEmpty() && !WriteFileAtomically(kept->FileName, kept->Bytes, reason)) {
        ShowMessageById(QStringLiteral("ErrFileSave"), {kept->FileName}, MB_ICONERROR);
        return;
    }
    auto album = TAlbum::CreateAlbum();
    album->Unload();
    album->Caption = kept->Caption;
    album->FileName = kept->FileName;
    TAlbum *restored = album.get();
    g_.Albums.push_back(std::move(album));
    g_.SortAlbums();
    const bool wasCurrent = kept->WasCurrent;
    undo_ = std::monostate();
    if (wasCurrent) {
        g_.SetCurrentAlbum(restored);
        TitlesEdited();
    }
    RefillAlbums();
    SelectAlbum(RowOf(restored));
}

void TfAlbums::Sort(TTitleOrder order, int direction)
{
    if (!selected_ || !selected_->Loaded) return;
    undo_ = std::monostate();
    SortTitles(selected_->Titles, order, direction);
    selected_->RefreshInternalPrograms();
    RefillTitles();
}

void TfAlbums::Reorder(void (*how)(std::vector<TTitle *> &))
{
    if (!selected_ || !selected_->Loaded) return;
    undo_ = std::monostate();
    how(selected_->Titles);
    selected_->RefreshInternalPrograms();
    RefillTitles();
}

void TfAlbums::ImportRegistry()
{
    ImportFrom(g_.RegistryStore());
}

void TfAlbums::ImportExportFile()
{
    const QString path = editors_.ChooseRegistryExport(this);
    if (path.isEmpty()) return;
    TRegistryStore store{QString()};
    QString error;
    if (!ReadRegistryExport(path, store, error)) {
        ShowMessageText(error, MB_OK | MB_ICONERROR);
        return;
    }
    ImportFrom(store);
}

void TfAlbums::ImportFrom(const TRegistryStore &store)
{
    const TLegacyAlbums legacy(store);
    QStringList rows;
    QString error;
    switch (legacy.ReadSlots(rows, error)) {
    case TLegacyAlbums::TStatus::NoKey:
        return;
    case TLegacyAlbums::TStatus::Failed:
        ShowMessageText(error, MB_OK | MB_ICONERROR);
        return;
    case TLegacyAlbums::TStatus::Ok:
        break;
    }
    const int slot = TfChoose::Execute(rows, this);
    if (slot < 0) return;
    std::unique_ptr<TAlbum> album = legacy.ImportSlot(slot, rows[slot], error);
    if (!album) {
        if (!error.isEmpty()) ShowMessageText(error, MB_OK | MB_ICONERROR);
        return;
    }
    undo_ = std::monostate();
    TAlbum *imported = album.get();
    g_.Albums.push_back(std::move(album));
    imported->RegenerateInternalPrograms();
    g_.AlbumFile().Save(*imported);
    g_.SortAlbums();
    RefillAlbums();
    SelectAlbum(RowOf(imported));
}

bool TfAlbums::AcceptDrop(TEditorListView *target, const TEditorListView::TDrop &drop) const
{
    if (target == lbAlbumTitles)
        return drop.Source == lbAlbumTitles && selected_ && selected_->Loaded;
    if (target != lbAlbums) return false;
    if (drop.Source == lbAlbums) {
        // Nothing above the system album, and not just below itself (no move).
        return drop.Position > 0 && drop.Position != drop.Rows.front() + 1 &&
               drop.Rows.front() > 0;
    }
    if (drop.Source != lbAlbumTitles) return false;
    return drop.Position >= 0 && drop.Position < static_cast<int>(g_.Albums.size()) &&
           g_.Albums[static_cast<std::size_t>(drop.Position)].get() != selected_;
}

void TfAlbums::Drop(TEditorListView *target, const TEditorListView::TDrop &drop)
{
    undo_ = std::monostate();
    if (target == lbAlbumTitles) {
        MoveBefore(selected_->Titles, drop.Rows, drop.Position);
        RefillTitles();
        const int first =
            drop.Position - static_cast<int>(std::count_if(
                                drop.Rows.begin(), drop.Rows.end(),
                                [&drop](int r) { return r < drop.Position; }));
        std::vector<int> rows;
        for (std::size_t i = 0; i < drop.Rows.size(); ++i)
            rows.push_back(first + static_cast<int>(i));
        lbAlbumTitles->SelectRows(rows);
        return;
    }
    if (drop.Source == lbAlbums) {
        // The album moves; the order lasts until the album list is read again.
        const int from = drop.Rows.front();
        int to = drop.Position;
        if (to > from) --to;
        to = std::clamp(to, 1, static_cast<int>(g_.Albums.size()) - 1);
        auto moved = std::move(g_.Albums[static_cast<std::size_t>(from)]);
        g_.Albums.erase(g_.Albums.begin() + from);
        g_.Albums.insert(g_.Albums.begin() + to, std::move(moved));
        RefillAlbums();
        return;
    }
    // Copies of the dragged titles join the album they were dropped on.
    TAlbum *album = g_.Albums[static_cast<std::size_t>(drop.Position)].get();
    if (!album->Loaded) g_.AlbumFile().Load(*album);
    if (!album->Loaded) return; // its file could not be read: nothing is written over it
    for (const int row : drop.Rows) {
        if (row >= static_cast<int>(selected_->Titles.size())) continue;
        TTitle *copy = album->AddTitle();
        *copy = *selected_->Titles[static_cast<std::size_t>(row)];
    }
    album->RefreshInternalPrograms();
    if (album != selected_ && album != g_.CurrentAlbum) {
        g_.AlbumFile().Save(*album);
        album->Unload();
    }
}

void TfAlbums::MoveRows(TEditorListView *list, int delta)
{
    const std::vector<int> rows = list->SelectedRows();
    if (rows.empty()) return;
    TEditorListView::TDrop drop;
    drop.Source = list;
    drop.Rows = rows;
    drop.Position = delta < 0 ? rows.front() - 1 : rows.back() + 2;
    if (drop.Position < 0 || drop.Position > list->model()->rowCount()) return;
    if (!AcceptDrop(list, drop)) return;
    Drop(list, drop);
    if (list == lbAlbums) lbAlbums->SelectRows({RowOf(selected_)});
}

void TfAlbums::Closing()
{
    if (selected_ && selected_ != g_.CurrentAlbum)
        Leave(selected_);
    else if (selected_ && !selected_->Loaded)
        g_.AlbumFile().Load(*selected_);
    TitlesEdited();
}

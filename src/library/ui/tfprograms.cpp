#include "library/ui/tfprograms.h"

#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "library/albumsnapshot.h"
#include "library/listorder.h"
#include "library/titlecaption.h"
#include "library/ui/editorlistmodel.h"
#include "library/ui/libraryeditors.h"
#include "library/ui/listrowdelegate.h"
#include "library/ui/sortmenu.h"
#include "library/ui/tfrename.h"
#include "localisation/showmessage.h"
#include "localisation/ui/localiseform.h"
#include "platform/system/messageservice.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolBar>

#include <algorithm>

namespace {

// A list with its label above it.
QLabel *ListLabel(QWidget *owner, const char *name, const QString &text, QWidget *list)
{
    auto *label = new QLabel(text, owner);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(list);
    return label;
}

std::vector<TTitle *> TitlesAt(const std::vector<TTitle *> &list, const std::vector<int> &rows)
{
    std::vector<TTitle *> titles;
    titles.reserve(rows.size());
    for (const int row : rows)
        if (row >= 0 && row < static_cast<int>(list.size()))
            titles.push_back(list[static_cast<std::size_t>(row)]);
    return titles;
}

} // namespace

TfPrograms::TfPrograms(TLibraryEditors &editors, QWidget *parent)
    : TfLibraryEditor(editors, parent)
{
    setObjectName(QStringLiteral("fPrograms"));
    setWindowTitle(QStringLiteral("Edit Programs"));

    aNew = AddAction("aNew", QStringLiteral("New"), QStringLiteral("New custom program"),
                     QStringLiteral("document-new"), QKeySequence(Qt::Key_Insert));
    aRename = AddAction("aRename", QStringLiteral("Rename"),
                        QStringLiteral("Rename custom program..."), QStringLiteral("edit-rename"),
                        QKeySequence(Qt::Key_F2));
    aRefresh = AddAction("aRefresh", QStringLiteral("Refresh"), QStringLiteral("Refresh program"),
                         QStringLiteral("view-refresh"), QKeySequence(Qt::Key_F5));
    aDelete = AddAction("aDelete", QStringLiteral("Delete"), QStringLiteral("Delete"),
                        QStringLiteral("edit-delete"), QKeySequence(Qt::Key_Delete));
    aUndo = AddAction("aUndo", QStringLiteral("Undo"), QStringLiteral("Undo the last deletion"),
                      QStringLiteral("edit-undo"), QKeySequence::Undo);
    toolBar_->addSeparator();
    aAddFiles = AddAction("aAddFiles", QStringLiteral("Add files"), QStringLiteral("Add files..."),
                          QStringLiteral("list-add"), QKeySequence(Qt::CTRL | Qt::Key_F11));
    aSort = AddAction("aSort", QStringLiteral("Sort"), QStringLiteral("Sort program titles"),
                      QStringLiteral("view-sort-ascending"));
    pmSort = new TSortMenu(this);
    AddDropDown(aSort, pmSort, true);
    aShuffle = AddAction("aShuffle", QStringLiteral("Shuffle"),
                         QStringLiteral("Shuffle program titles"),
                         QStringLiteral("media-playlist-shuffle"));
    aReverse = AddAction("aReverse", QStringLiteral("Reverse"),
                         QStringLiteral("Reverse program titles"),
                         QStringLiteral("object-flip-vertical"));
    toolBar_->addSeparator();
    aEditAlbums = AddAction("aEditAlbums", QStringLiteral("Edit albums"),
                            QStringLiteral("Edit albums..."), QStringLiteral("folder-music"));
    connect(aNew, &QAction::triggered, this, &TfPrograms::New);
    connect(aRename, &QAction::triggered, this, &TfPrograms::Rename);
    connect(aRefresh, &QAction::triggered, this, &TfPrograms::Refresh);
    connect(aDelete, &QAction::triggered, this, &TfPrograms::Delete);
    connect(aUndo, &QAction::triggered, this, &TfPrograms::Undo);
    connect(aAddFiles, &QAction::triggered, this, &TfPrograms::AddFiles);
    connect(aSort, &QAction::triggered, this, [this] { Sort(TTitleOrder::Caption, pmSort->Direction()); });
    connect(pmSort, &TSortMenu::sortRequested, this, &TfPrograms::Sort);
    connect(aShuffle, &QAction::triggered, this, [this] { Reorder(&ShuffleList<TTitle *>); });
    connect(aReverse, &QAction::triggered, this, [this] { Reorder(&ReverseList<TTitle *>); });
    connect(aEditAlbums, &QAction::triggered, this, &TfPrograms::EditAlbums);

    programs_ = new TEditorListModel(
        [this] { return Album() ? Album()->ProgramCount() : 0; },
        [this](int row) {
            const TProgram *program = Album() ? Album()->ProgramByIndex(row) : nullptr;
            return program ? program->Caption : QString();
        },
        this);
    programTitles_ = new TEditorListModel(
        [this] {
            const TProgram *program = Selected();
            return program ? static_cast<int>(program->Titles.size()) : 0;
        },
        [this](int row) {
            const TProgram *program = Selected();
            return program ? program->Titles[static_cast<std::size_t>(row)]->Caption : QString();
        },
        this);
    albumTitles_ = new TEditorListModel(
        [this] { return Album() ? static_cast<int>(Album()->Titles.size()) : 0; },
        [this](int row) {
            const TAlbum *album = Album();
            return album ? album->Titles[static_cast<std::size_t>(row)]->Caption : QString();
        },
        this);

    auto makeList = [this](const char *name, TEditorListModel *model, bool titles) {
        auto *list = new TEditorListView(this);
        list->setObjectName(QLatin1String(name));
        list->setModel(model);
        TListRowDelegate::TLook look;
        if (titles) {
            look.GutterWidth = [this] { return g_.TitlesGutter; };
            list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        } else {
            look.SeparatorRow = 3;
            list->setSelectionMode(QAbstractItemView::SingleSelection);
        }
        list->setItemDelegate(new TListRowDelegate(look, list));
        list->AcceptDrop = [this, list](const TEditorListView::TDrop &drop) {
            return AcceptDrop(list, drop);
        };
        list->Drop = [this, list](const TEditorListView::TDrop &drop) { Drop(list, drop); };
        list->MoveRows = [this, list](int delta) { MoveRows(list, delta); };
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { UpdateActions(); });
        return list;
    };
    lbPrograms = makeList("lbPrograms", programs_, false);
    lbPrograms->TakesRowsFromOthers = true;
    lbProgramTitles = makeList("lbProgramTitles", programTitles_, true);
    lbAlbumTitles = makeList("lbAlbumTitles", albumTitles_, true);
    connect(lbPrograms->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfPrograms::ProgramRowChanged);

    auto *body = new QGridLayout;
    body->addWidget(ListLabel(this, "lPrograms", QStringLiteral("Programs:"), lbPrograms), 0, 0);
    body->addWidget(ListLabel(this, "lTitlesInProgram", QStringLiteral("Titles in program:"),
                              lbProgramTitles),
                    0, 1);
    body->addWidget(
        ListLabel(this, "lTitlesInAlbum", QStringLiteral("Titles in album:"), lbAlbumTitles), 0,
        2);
    body->addWidget(lbPrograms, 1, 0);
    body->addWidget(lbProgramTitles, 1, 1);
    body->addWidget(lbAlbumTitles, 1, 2);
    Arrange(body);
    resize(780, 440);
    LocaliseForm(this, false);

    RefillAll();
    const TAlbum *album = Album();
    SelectProgram(album && album->CurrentProgram ? album->CurrentProgram->ProgramIndex() : 0);
}

TfPrograms::~TfPrograms() = default;

TAlbum *TfPrograms::Album() const
{
    TAlbum *album = g_.CurrentAlbum;
    return album && album->Loaded ? album : nullptr;
}

TProgram *TfPrograms::Selected() const
{
    // Compared by address only: a program of an album that was unloaded meanwhile is gone.
    const TAlbum *album = Album();
    if (!album || !selected_) return nullptr;
    for (int i = 0; i < album->ProgramCount(); ++i)
        if (album->ProgramByIndex(i) == selected_) return selected_;
    return nullptr;
}

TProgram *TfPrograms::SelectedCustom() const
{
    TProgram *program = Selected();
    return program && !program->IsInternal() ? program : nullptr;
}

void TfPrograms::RefillAll()
{
    const TAlbum *album = Album();
    selected_ = Selected();
    programs_->SetBoldRow(album && album->CurrentProgram ? album->CurrentProgram->ProgramIndex()
                                                         : -1);
    refilling_ = true;
    programs_->Refill();
    albumTitles_->Refill();
    if (selected_) lbPrograms->SelectRows({selected_->ProgramIndex()});
    refilling_ = false;
    RefillTitles();
}

void TfPrograms::RefillTitles()
{
    programTitles_->Refill();
    UpdateActions();
}

void TfPrograms::SelectProgram(int combinedIndex)
{
    const TAlbum *album = Album();
    selected_ = album ? album->ProgramByIndex(combinedIndex) : nullptr;
    if (selected_)
        lbPrograms->SelectRows({combinedIndex});
    else
        lbPrograms->selectionModel()->clearSelection();
    RefillTitles();
}

void TfPrograms::ProgramRowChanged()
{
    if (refilling_) return;
    const TAlbum *album = Album();
    const QModelIndex current = lbPrograms->currentIndex();
    TProgram *program = album && current.isValid() ? album->ProgramByIndex(current.row()) : nullptr;
    if (program == selected_) return;
    selected_ = program;
    RefillTitles();
}

void TfPrograms::UpdateActions()
{
    const TProgram *custom = SelectedCustom();
    const bool hasTitles = custom && !custom->Titles.empty();
    aNew->setEnabled(Album() != nullptr);
    aRename->setEnabled(custom != nullptr);
    aRefresh->setEnabled(Selected() && Selected()->IsInternal());
    aSort->setEnabled(hasTitles);
    aShuffle->setEnabled(hasTitles);
    aReverse->setEnabled(hasTitles);
    aAddFiles->setEnabled(Album() != nullptr);
    QWidget *focus = focusWidget();
    bool canDelete = false;
    if (focus == lbPrograms)
        canDelete = custom != nullptr;
    else if (focus == lbProgramTitles)
        canDelete = custom && !lbProgramTitles->SelectedRows().empty();
    else if (focus == lbAlbumTitles)
        canDelete = !lbAlbumTitles->SelectedRows().empty();
    aDelete->setEnabled(canDelete);
    aUndo->setEnabled(undo_ && undo_->Album() == Album());
}

void TfPrograms::New()
{
    TAlbum *album = Album();
    if (!album) return;
    undo_.reset();
    album->CustomPrograms.push_back(album->CreateProgram());
    TProgram *program = album->CustomPrograms.back().get();
    program->Caption = TfRename::Execute(program->Caption, this);
    RefillAll();
    SelectProgram(program->ProgramIndex());
}

void TfPrograms::Rename()
{
    TProgram *program = SelectedCustom();
    if (!program) return;
    program->Caption = TfRename::Execute(program->Caption, this);
    RefillAll();
}

void TfPrograms::Refresh()
{
    TProgram *program = Selected();
    if (!program || !program->IsInternal()) return;
    undo_.reset();
    program->Regenerate();
    RefillTitles();
}

void TfPrograms::Delete()
{
    TAlbum *album = Album();
    if (!album || !aDelete->isEnabled()) return;
    QWidget *focus = focusWidget();
    auto snapshot = std::make_unique<TAlbumSnapshot>(*album);
    if (focus == lbPrograms) {
        TProgram *program = SelectedCustom();
        if (!program || ShowMessageById(QStringLiteral("WarnRemoveProgram"), {program->Caption},
                                        MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        const int index = program->ProgramIndex();
        if (!album->DeleteProgram(program)) return; // refused: it stays where it is
        selected_ = nullptr;
        RefillAll();
        SelectProgram(std::min(index, album->ProgramCount() - 1));
    } else if (focus == lbProgramTitles) {
        TProgram *program = SelectedCustom();
        const std::vector<int> rows = lbProgramTitles->SelectedRows();
        if (!program || rows.empty() ||
            ShowMessageById(QStringLiteral("WarnRemoveTitleFromProgram"),
                            {int(rows.size()), program->Caption},
                            MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            if (*it < static_cast<int>(program->Titles.size()))
                program->Titles.erase(program->Titles.begin() + *it);
        RefillTitles();
    } else if (focus == lbAlbumTitles) {
        const std::vector<int> rows = lbAlbumTitles->SelectedRows();
        if (rows.empty() || ShowMessageById(QStringLiteral("WarnRemoveTitleFromAlbum"),
                                            {int(rows.size()), album->Caption},
                                            MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        for (TTitle *title : TitlesAt(album->Titles, rows))
            DisposeTitle(album->RemoveTitle(title));
        RefillAll();
    } else {
        return;
    }
    undo_ = std::move(snapshot);
    UpdateActions();
}

void TfPrograms::Undo()
{
    TAlbum *album = Album();
    if (!undo_ || undo_->Album() != album) return;
    const int selected = Selected() ? Selected()->ProgramIndex() : -1;
    undo_->Restore(*album);
    undo_.reset();
    RefillAll();
    if (!selected_) SelectProgram(std::max(selected, 0));
}

void TfPrograms::AddFiles()
{
    TAlbum *album = Album();
    if (!album) return;
    const QStringList files = editors_.ChooseFiles(this);
    if (files.isEmpty()) return;
    undo_.reset();
    TProgram *custom = SelectedCustom();
    for (const QString &file : files) {
        TTitle *title = album->AddTitle();
        title->FileName = file;
        title->Caption = MakeTitleCaption(file, true);
        if (custom) custom->Titles.push_back(title);
    }
    album->RefreshInternalPrograms();
    RefillAll();
}

void TfPrograms::Sort(TTitleOrder order, int direction)
{
    TProgram *program = SelectedCustom();
    if (!program) return;
    SortTitles(program->Titles, order, direction);
    RefillTitles();
}

void TfPrograms::Reorder(void (*how)(std::vector<TTitle *> &))
{
    TProgram *program = SelectedCustom();
    if (!program) return;
    how(program->Titles);
    RefillTitles();
}

void TfPrograms::EditAlbums()
{
    undo_.reset();
    editors_.RunAlbums();
    // The current album may be another one now: the selection starts from its current program.
    selected_ = nullptr;
    RefillAll();
    const TAlbum *album = Album();
    SelectProgram(album && album->CurrentProgram ? album->CurrentProgram->ProgramIndex() : 0);
}

bool TfPrograms::AcceptDrop(TEditorListView *target, const TEditorListView::TDrop &drop) const
{
    const TAlbum *album = Album();
    if (!album) return false;
    if (target == lbAlbumTitles) return false;
    if (target == lbProgramTitles)
        return SelectedCustom() &&
               (drop.Source == lbProgramTitles || drop.Source == lbAlbumTitles);
    if (target != lbPrograms) return false;
    // Nothing goes among the internal programs.
    if (drop.Position < 3) return false;
    if (drop.Source == lbPrograms) {
        const int from = drop.Rows.front();
        return from >= 3 && drop.Position != from + 1;
    }
    if (drop.Position >= album->ProgramCount()) return false;
    if (drop.Source == lbProgramTitles)
        return album->ProgramByIndex(drop.Position) != selected_;
    return drop.Source == lbAlbumTitles;
}

void TfPrograms::Drop(TEditorListView *target, const TEditorListView::TDrop &drop)
{
    TAlbum *album = Album();
    if (!album) return;
    undo_.reset();
    if (target == lbProgramTitles) {
        TProgram *program = SelectedCustom();
        if (!program) return;
        if (drop.Source == lbProgramTitles) {
            // Moved within the program: before the title at the drop position.
            MoveBefore(program->Titles, drop.Rows, drop.Position);
            RefillTitles();
            std::vector<int> rows;
            const int first = drop.Position - static_cast<int>(std::count_if(
                                                  drop.Rows.begin(), drop.Rows.end(),
                                                  [&drop](int r) { return r < drop.Position; }));
            for (std::size_t i = 0; i < drop.Rows.size(); ++i)
                rows.push_back(first + static_cast<int>(i));
            lbProgramTitles->SelectRows(rows);
        } else {
            // Album titles the program does not hold yet, at the drop position in their order.
            std::vector<TTitle *> added;
            for (TTitle *title : TitlesAt(album->Titles, drop.Rows))
                if (program->IndexOf(title) < 0 &&
                    std::find(added.begin(), added.end(), title) == added.end())
                    added.push_back(title);
            const auto at = std::min<std::size_t>(drop.Position, program->Titles.size());
            program->Titles.insert(program->Titles.begin() + static_cast<std::ptrdiff_t>(at),
                                   added.begin(), added.end());
            RefillTitles();
        }
        return;
    }
    if (target != lbPrograms) return;
    if (drop.Source == lbPrograms) {
        // A custom program moves among the custom programs.
        const int from = drop.Rows.front() - 3;
        int to = drop.Position;
        if (to > drop.Rows.front()) --to;
        to = std::clamp(to - 3, 0, static_cast<int>(album->CustomPrograms.size()) - 1);
        auto moved = std::move(album->CustomPrograms[static_cast<std::size_t>(from)]);
        album->CustomPrograms.erase(album->CustomPrograms.begin() + from);
        album->CustomPrograms.insert(album->CustomPrograms.begin() + to, std::move(moved));
        RefillAll();
        SelectProgram(to + 3);
        return;
    }
    TProgram *program = album->ProgramByIndex(drop.Position);
    if (!program) return;
    const std::vector<TTitle *> &from =
        drop.Source == lbProgramTitles && Selected() ? Selected()->Titles : album->Titles;
    for (TTitle *title : TitlesAt(from, drop.Rows))
        if (program->IndexOf(title) < 0) program->Titles.push_back(title);
    RefillAll();
}

void TfPrograms::MoveRows(TEditorListView *list, int delta)
{
    const std::vector<int> rows = list->SelectedRows();
    if (rows.empty()) return;
    // The keyboard's move is a drop at the gap above the first or below the last row.
    TEditorListView::TDrop drop;
    drop.Source = list;
    drop.Rows = rows;
    drop.Position = delta < 0 ? rows.front() - 1 : rows.back() + 2;
    if (drop.Position < 0 || drop.Position > list->model()->rowCount()) return;
    if (list == lbPrograms && (rows.front() < 3 || drop.Position < 3)) return;
    if (!AcceptDrop(list, drop)) return;
    Drop(list, drop);
}

void TfPrograms::Closing()
{
    TitlesEdited();
}

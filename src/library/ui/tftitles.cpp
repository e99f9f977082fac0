#include "library/ui/tftitles.h"

#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "library/albumsnapshot.h"
#include "library/ui/editorlistmodel.h"
#include "library/ui/editorlistview.h"
#include "library/ui/libraryeditors.h"
#include "library/ui/listrowdelegate.h"
#include "localisation/showmessage.h"
#include "localisation/ui/localiseform.h"
#include "platform/system/asciicase.h"
#include "platform/system/messageservice.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

TfTitles::TfTitles(TLibraryEditors &editors, QWidget *parent) : TfLibraryEditor(editors, parent)
{
    setObjectName(QStringLiteral("fTitles"));
    setWindowTitle(QStringLiteral("Edit Titles"));

    aNew = AddAction("aNew", QStringLiteral("New"), QStringLiteral("New title"),
                     QStringLiteral("document-new"), QKeySequence(Qt::Key_Insert));
    aDelete = AddAction("aDelete", QStringLiteral("Delete"), QStringLiteral("Delete title"),
                        QStringLiteral("edit-delete"), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    aUndo = AddAction("aUndo", QStringLiteral("Undo"), QStringLiteral("Undo the last deletion"),
                      QStringLiteral("edit-undo"), QKeySequence::Undo);
    toolBar_->addSeparator();
    aPrograms = AddAction("aPrograms", QStringLiteral("Programs"),
                          QStringLiteral("Edit programs..."),
                          QStringLiteral("view-media-playlist"), QKeySequence(Qt::CTRL | Qt::Key_F2));
    // Delete alone works too while the list has the focus (the fields keep it for themselves).
    aDelete->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Delete), QKeySequence(Qt::Key_Delete)});
    connect(aNew, &QAction::triggered, this, &TfTitles::New);
    connect(aDelete, &QAction::triggered, this, &TfTitles::Delete);
    connect(aUndo, &QAction::triggered, this, &TfTitles::Undo);
    connect(aPrograms, &QAction::triggered, this, &TfTitles::EditPrograms);

    model_ = new TEditorListModel(
        [this] {
            const TProgram *program = Program();
            return program ? static_cast<int>(program->Titles.size()) : 0;
        },
        [this](int row) {
            const TProgram *program = Program();
            return program ? program->Titles[static_cast<std::size_t>(row)]->Caption : QString();
        },
        this);
    lbTitles = new TEditorListView(this);
    lbTitles->setObjectName(QStringLiteral("lbTitles"));
    lbTitles->setModel(model_);
    lbTitles->setSelectionMode(QAbstractItemView::SingleSelection);
    lbTitles->setDragEnabled(false);
    lbTitles->setItemDelegate(new TListRowDelegate(
        {[this] { return g_.TitlesGutter; }, -1}, lbTitles));
    connect(lbTitles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { LoadFields(); });
    lbTitles->MoveRows = [this](int delta) { MoveRow(delta); };
    // F2 renames: the caption field takes the focus.
    auto *rename = new QAction(this);
    rename->setShortcut(QKeySequence(Qt::Key_F2));
    rename->setShortcutContext(Qt::WidgetShortcut);
    lbTitles->addAction(rename);
    connect(rename, &QAction::triggered, this, [this] {
        if (!gbProperties->isEnabled()) return;
        eTitleCaption->setFocus();
        eTitleCaption->selectAll();
    });

    gbProperties = new QGroupBox(QStringLiteral("Properties"), this);
    gbProperties->setObjectName(QStringLiteral("gbProperties"));
    eTitleCaption = new QLineEdit(gbProperties);
    eTitleCaption->setObjectName(QStringLiteral("eTitleCaption"));
    eFileName = new QLineEdit(gbProperties);
    eFileName->setObjectName(QStringLiteral("eFileName"));
    bFileName = new QToolButton(gbProperties);
    bFileName->setObjectName(QStringLiteral("bFileName"));
    bFileName->setIcon(EditorIcon(QStringLiteral("document-open")));
    bFileName->setToolTip(QStringLiteral("Browse..."));
    bFileName->setProperty("tag", 2);
    seTrack = new QSpinBox(gbProperties);
    seTrack->setObjectName(QStringLiteral("seTrack"));
    seTrack->setRange(1, 99);
    cbDeviceName = new QComboBox(gbProperties);
    cbDeviceName->setObjectName(QStringLiteral("cbDeviceName"));
    cbDeviceName->setEditable(true);
    cbDeviceName->setInsertPolicy(QComboBox::NoInsert);
    for (const auto &device : jukebox_.Player().Devices())
        cbDeviceName->addItem(device->Name);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(eFileName, 1);
    fileRow->addWidget(bFileName);
    auto *form = new QFormLayout(gbProperties);
    auto label = [this](const char *name, const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, gbProperties);
        l->setObjectName(QLatin1String(name));
        l->setBuddy(buddy);
        return l;
    };
    form->addRow(label("lTitleCaption", QStringLiteral("Title caption:"), eTitleCaption),
                 eTitleCaption);
    form->addRow(label("lFilename", QStringLiteral("Filename:"), eFileName), fileRow);
    form->addRow(label("lDeviceName", QStringLiteral("Device name:"), cbDeviceName),
                 cbDeviceName);
    lTrackNumber = label("lTrackNumber", QStringLiteral("Track number:"), seTrack);
    form->addRow(lTrackNumber, seTrack);

    connect(eTitleCaption, &QLineEdit::textEdited, this, &TfTitles::WriteBack);
    connect(eFileName, &QLineEdit::textEdited, this, &TfTitles::WriteBack);
    connect(seTrack, &QSpinBox::valueChanged, this, &TfTitles::WriteBack);
    connect(cbDeviceName, &QComboBox::currentTextChanged, this, [this] {
        FollowDevice();
        WriteBack();
    });
    connect(bFileName, &QToolButton::clicked, this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Open"),
                                                          eFileName->text());
        if (name.isEmpty()) return;
        eFileName->setText(name);
        WriteBack();
    });

    auto *body = new QHBoxLayout;
    body->addWidget(lbTitles, 1);
    body->addWidget(gbProperties, 1);
    gbProperties->setMinimumWidth(300);
    Arrange(body);
    resize(640, 400);
    LocaliseForm(this, false);
    Refill();
}

TfTitles::~TfTitles() = default;

TAlbum *TfTitles::Album() const
{
    TAlbum *album = g_.CurrentAlbum;
    return album && album->Loaded ? album : nullptr;
}

TProgram *TfTitles::Program() const
{
    TAlbum *album = Album();
    return album ? album->CurrentProgram : nullptr;
}

TTitle *TfTitles::SelectedTitle() const
{
    const TProgram *program = Program();
    const std::vector<int> rows = lbTitles->SelectedRows();
    if (!program || rows.empty() || rows.front() >= static_cast<int>(program->Titles.size()))
        return nullptr;
    return program->Titles[static_cast<std::size_t>(rows.front())];
}

void TfTitles::showEvent(QShowEvent *event)
{
    TfLibraryEditor::showEvent(event);
    Refill();
}

void TfTitles::Refill()
{
    model_->Refill();
    const TProgram *program = Program();
    int row = -1;
    if (program) {
        row = static_cast<int>(program->IndexOf(program->Album->CurrentTitle));
        if (row < 0 && g_.LoadedTitleSource)
            row = static_cast<int>(program->IndexOf(g_.LoadedTitleSource));
    }
    SelectRow(row);
}

void TfTitles::SelectRow(int row)
{
    if (row >= 0 && row < model_->rowCount())
        lbTitles->SelectRows({row});
    else
        lbTitles->selectionModel()->clearSelection();
    LoadFields();
}

void TfTitles::LoadFields()
{
    const TTitle *title = SelectedTitle();
    loading_ = true;
    gbProperties->setEnabled(title != nullptr);
    eTitleCaption->setText(title ? title->Caption : QString());
    eFileName->setText(title ? title->FileName : QString());
    seTrack->setValue(title && title->Track > 0 ? std::min(title->Track, 99) : 1);
    cbDeviceName->setEditText(title ? title->DeviceName : QString());
    FollowDevice();
    loading_ = false;
    UpdateActions();
}

void TfTitles::FollowDevice()
{
    // The track number counts only on a device whose titles are tracks, not files.
    bool tracks = false;
    const QString name = cbDeviceName->currentText();
    for (const auto &device : jukebox_.Player().Devices())
        if (!device->UsesFiles && SameAsciiNoCase(device->Name, name)) tracks = true;
    lTrackNumber->setVisible(tracks);
    seTrack->setVisible(tracks);
}

void TfTitles::WriteBack()
{
    if (loading_) return;
    TTitle *title = SelectedTitle();
    if (!title) return;
    title->Caption = eTitleCaption->text();
    title->FileName = eFileName->text();
    if (!seTrack->isHidden()) title->Track = seTrack->value();
    title->DeviceName = cbDeviceName->currentText();
    const int row = lbTitles->SelectedRows().front();
    emit model_->dataChanged(model_->index(row), model_->index(row));
}

void TfTitles::UpdateActions()
{
    aNew->setEnabled(Program() != nullptr);
    aDelete->setEnabled(SelectedTitle() != nullptr);
    aUndo->setEnabled(undo_ != nullptr && undo_->Album() == Album());
}

void TfTitles::New()
{
    TProgram *program = Program();
    if (!program) return;
    undo_.reset();
    TTitle *title = program->Album->AddFiles(QString());
    if (program->IndexOf(title) < 0) program->Titles.push_back(title);
    model_->Refill();
    SelectRow(static_cast<int>(program->IndexOf(title)));
    eTitleCaption->setFocus();
    eTitleCaption->selectAll();
}

void TfTitles::Delete()
{
    TProgram *program = Program();
    TTitle *title = SelectedTitle();
    if (!program || !title) return;
    const int row = lbTitles->SelectedRows().front();
    TAlbum &album = *program->Album;
    auto snapshot = std::make_unique<TAlbumSnapshot>(album);
    if (program->IsInternal()) {
        if (ShowMessageById(QStringLiteral("WarnRemoveTitle"), {title->Caption},
                            MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        DisposeTitle(album.RemoveTitle(title));
    } else {
        const int answer = ShowMessageById(QStringLiteral("AskRemoveTitle"), {title->Caption},
                                           MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDYES)
            DisposeTitle(album.RemoveTitle(title));
        else if (answer == IDNO)
            program->RemoveLink(title);
        else
            return;
    }
    undo_ = std::move(snapshot);
    model_->Refill();
    SelectRow(std::min(row, model_->rowCount() - 1));
}

void TfTitles::MoveRow(int delta)
{
    // In a custom program the program's order changes; in "Normal" the album's own order (which
    // the other internal programs then follow); "Shuffle" and "Reverse" have no order to give.
    TProgram *program = Program();
    const std::vector<int> rows = lbTitles->SelectedRows();
    if (!program || rows.empty()) return;
    const int from = rows.front();
    const int to = from + delta;
    const int count = static_cast<int>(program->Titles.size());
    if (from >= count || to < 0 || to >= count) return;
    if (program->ProgramType == ptCustom) {
        std::swap(program->Titles[from], program->Titles[to]);
    } else if (program->ProgramType == ptNormal) {
        TAlbum &album = *program->Album;
        std::swap(album.Titles[album.TitleIndex(program->Titles[from])],
                  album.Titles[album.TitleIndex(program->Titles[to])]);
        album.RefreshInternalPrograms();
    } else {
        return;
    }
    undo_.reset();
    model_->Refill();
    SelectRow(to);
}

void TfTitles::Undo()
{
    TAlbum *album = Album();
    if (!undo_ || undo_->Album() != album) return;
    undo_->Restore(*album);
    undo_.reset();
    Refill();
}

void TfTitles::EditPrograms()
{
    undo_.reset();
    editors_.RunPrograms();
    Refill();
}

void TfTitles::Closing()
{
    TAlbum *album = Album();
    if (album && album->CurrentTitle && album->CurrentTitle == g_.LoadedTitleSource) {
        // The display shows the loaded title's copy: it takes the new caption.
        g_.LoadedTitleCopy = *album->CurrentTitle;
        g_.UpdateDisplay();
    }
    TitlesEdited();
}

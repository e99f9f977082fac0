#pragma once
// "Edit Albums": every album (the system album first), the titles of the album selected here
// (which need not be the current one) and its file. Albums are made, renamed, deleted (their
// file goes only after the user said Yes) and reordered; an album's titles are sorted,
// shuffled, reversed, reordered by dragging and copied to another album by dragging them onto
// it. The Import drop-down brings in an album of the program's previous generation. Deletions
// ask first; Ctrl+Z takes the last one back while the dialog is open.
//
// Threads: main thread only.
#include "library/titleorder.h"
#include "library/ui/editorlistview.h"
#include "library/ui/libraryeditor.h"

#include <QByteArray>

#include <memory>
#include <variant>

class QLineEdit;
class TAlbum;
class TAlbumSnapshot;
class TEditorListModel;
class TRegistryStore;
class TSortMenu;
struct TTitle;

class TfAlbums : public TfLibraryEditor {
    Q_OBJECT

public:
    TfAlbums(TLibraryEditors &editors, QWidget *parent = nullptr);
    ~TfAlbums() override;

    TEditorListView *AlbumsList() const { return lbAlbums; }
    TEditorListView *TitlesList() const { return lbAlbumTitles; }
    QLineEdit *FileNameField() const { return eAlbumFilename; }
    TSortMenu *SortMenu() const { return pmSort; }

    QAction *aNew, *aRename, *aDelete, *aSort, *aShuffle, *aReverse, *aImport, *aExport, *aUndo;
    QAction *ImportTonaria2x1, *ImportTonaria2xFile1, *ExportTonaria2x1;

    TAlbum *SelectedAlbum() const { return selected_; }
    void SelectAlbum(int row);

    // The import of an old album from the given registry (the program's own, or an export
    // file's keys).
    void ImportFrom(const TRegistryStore &store);

protected:
    void Closing() override;
    void UpdateActions() override;

private:
    struct TAlbumUndo {
        QString Caption;
        QString FileName;
        QByteArray Bytes;
        bool WasCurrent = false;
    };

    void RefillAlbums();
    void RefillTitles();
    void AlbumRowChanged();
    void Leave(TAlbum *album);
    void New();
    void Rename();
    void Delete();
    void DeleteAlbum(TAlbum *album);
    void Sort(TTitleOrder order, int direction);
    void Reorder(void (*how)(std::vector<TTitle *> &));
    void ImportRegistry();
    void ImportExportFile();
    void Undo();
    int RowOf(const TAlbum *album) const;
    bool AcceptDrop(TEditorListView *target, const TEditorListView::TDrop &drop) const;
    void Drop(TEditorListView *target, const TEditorListView::TDrop &drop);
    void MoveRows(TEditorListView *list, int delta);

    TEditorListModel *albums_;
    TEditorListModel *titles_;
    TEditorListView *lbAlbums;
    TEditorListView *lbAlbumTitles;
    QLineEdit *eAlbumFilename;
    TSortMenu *pmSort;
    TAlbum *selected_ = nullptr;
    bool refilling_ = false;
    std::variant<std::monostate, std::unique_ptr<TAlbumSnapshot>, TAlbumUndo> undo_;
};

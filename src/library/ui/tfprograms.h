#pragma once
// "Edit Programs": the current album's programs, the titles of the selected program and all
// the album's titles. Custom programs are made, renamed, deleted, sorted, shuffled and
// reversed here, filled by dragging titles onto them, and reordered by dragging; internal
// programs can be drawn anew. Deletions ask first; Ctrl+Z takes the last one back while the
// dialog is open.
//
// Threads: main thread only.
#include "library/titleorder.h"
#include "library/ui/libraryeditor.h"
#include "library/ui/editorlistview.h"

#include <memory>

class TAlbum;
struct TTitle;
class TAlbumSnapshot;
class TEditorListModel;
class TProgram;
class TSortMenu;

class TfPrograms : public TfLibraryEditor {
    Q_OBJECT

public:
    TfPrograms(TLibraryEditors &editors, QWidget *parent = nullptr);
    ~TfPrograms() override;

    TEditorListView *ProgramsList() const { return lbPrograms; }
    TEditorListView *ProgramTitlesList() const { return lbProgramTitles; }
    TEditorListView *AlbumTitlesList() const { return lbAlbumTitles; }
    TSortMenu *SortMenu() const { return pmSort; }

    QAction *aNew, *aRename, *aRefresh, *aDelete, *aAddFiles, *aSort, *aShuffle, *aReverse,
        *aEditAlbums, *aUndo;

    TProgram *SelectedProgram() const { return selected_; }
    void SelectProgram(int combinedIndex);

protected:
    void Closing() override;
    void UpdateActions() override;

private:
    TAlbum *Album() const;
    TProgram *SelectedCustom() const;
    // The selected program while the current album holds it, none otherwise.
    TProgram *Selected() const;
    void RefillAll();
    void RefillTitles();
    void ProgramRowChanged();
    void New();
    void Rename();
    void Refresh();
    void Delete();
    void AddFiles();
    void Sort(TTitleOrder order, int direction);
    void Reorder(void (*how)(std::vector<TTitle *> &));
    void EditAlbums();
    void Undo();
    bool AcceptDrop(TEditorListView *target, const TEditorListView::TDrop &drop) const;
    void Drop(TEditorListView *target, const TEditorListView::TDrop &drop);
    void MoveRows(TEditorListView *list, int delta);

    TEditorListModel *programs_;
    TEditorListModel *programTitles_;
    TEditorListModel *albumTitles_;
    TEditorListView *lbPrograms;
    TEditorListView *lbProgramTitles;
    TEditorListView *lbAlbumTitles;
    TSortMenu *pmSort;
    TProgram *selected_ = nullptr;
    bool refilling_ = false;
    std::unique_ptr<TAlbumSnapshot> undo_;
};

#pragma once
// "Edit Titles": the titles of the current album's current program, and the properties of the
// selected one (caption, file name, track number, device name), written back as they are
// typed. New, Delete (asking first; Ctrl+Z takes the last deletion back while the dialog is
// open) and the programs editor.
//
// Threads: main thread only.
#include "library/ui/libraryeditor.h"

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QToolButton;
class TAlbum;
class TAlbumSnapshot;
class TEditorListModel;
class TEditorListView;
class TProgram;
struct TTitle;

class TfTitles : public TfLibraryEditor {
    Q_OBJECT

public:
    TfTitles(TLibraryEditors &editors, QWidget *parent = nullptr);
    ~TfTitles() override;

    TEditorListView *List() const { return lbTitles; }
    QLineEdit *CaptionField() const { return eTitleCaption; }
    QLineEdit *FileNameField() const { return eFileName; }
    QSpinBox *TrackField() const { return seTrack; }
    QComboBox *DeviceField() const { return cbDeviceName; }
    QGroupBox *Properties() const { return gbProperties; }

    QAction *aNew, *aDelete, *aPrograms, *aUndo;

    // The title of the selected row, none without one.
    TTitle *SelectedTitle() const;

protected:
    void showEvent(QShowEvent *event) override;
    void Closing() override;
    void UpdateActions() override;

private:
    TAlbum *Album() const;
    TProgram *Program() const;
    void Refill();
    void SelectRow(int row);
    void LoadFields();
    void WriteBack();
    void FollowDevice();
    void New();
    void Delete();
    void Undo();
    void MoveRow(int delta);
    void EditPrograms();

    TEditorListModel *model_;
    TEditorListView *lbTitles;
    QGroupBox *gbProperties;
    QLineEdit *eTitleCaption;
    QLineEdit *eFileName;
    QToolButton *bFileName;
    QLabel *lTrackNumber;
    QSpinBox *seTrack;
    QComboBox *cbDeviceName;
    bool loading_ = false;
    std::unique_ptr<TAlbumSnapshot> undo_;
};

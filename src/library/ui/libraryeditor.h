#pragma once
// What the three library editors share: a modal dialog with a tool bar of commands above its
// lists, the album file saved when the editing ends, and the work done once when the dialog
// closes however it is closed (Escape, the window's close button, the Close button).
//
// Threads: main thread only.
#include <QDialog>

class QToolBar;
class QToolButton;
class TAlbum;
class TJukebox;
class TLibraryEditors;
class TTonariaGlobals;

class TfLibraryEditor : public QDialog {
    Q_OBJECT

public:
    TfLibraryEditor(TLibraryEditors &editors, QWidget *parent);
    ~TfLibraryEditor() override;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    // Runs once when the dialog closes.
    virtual void Closing() = 0;
    // Brings every command's enabled state up to date.
    virtual void UpdateActions() = 0;

    // A command of the tool bar: its component name, caption, hint, icon and key.
    QAction *AddAction(const char *name, const QString &caption, const QString &hint,
                       const QString &iconName, const QKeySequence &key = {});
    // A drop-down of the tool bar; with plainAction, a click on the button runs that action.
    QToolButton *AddDropDown(QAction *action, QMenu *menu, bool plainAction);
    // The tool bar, the body and a Close button, top to bottom.
    void Arrange(QLayout *body);

    // The album file of an album is brought up to date with what it holds.
    void SaveAlbum(TAlbum &album) const;
    // The station's titles list follows the current album.
    void TitlesEdited() const;

    TLibraryEditors &editors_;
    TJukebox &jukebox_;
    TTonariaGlobals &g_;
    QToolBar *toolBar_;

private:
    bool closed_ = false;
    QMetaObject::Connection focusFollower_;
};

// An icon of the desktop theme, or the style's stand-in when the theme has none.
QIcon EditorIcon(const QString &themeName);

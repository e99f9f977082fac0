#include "library/ui/libraryeditor.h"

#include "core/jukebox.h"
#include "core/tonariaglobals.h"
#include "library/ui/libraryeditors.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

QIcon EditorIcon(const QString &themeName)
{
    struct TFallback {
        const char *Name;
        QStyle::StandardPixmap Pixmap;
    };
    static constexpr TFallback kFallbacks[] = {
        {"document-new", QStyle::SP_FileIcon},
        {"edit-delete", QStyle::SP_TrashIcon},
        {"edit-rename", QStyle::SP_FileDialogDetailedView},
        {"view-refresh", QStyle::SP_BrowserReload},
        {"list-add", QStyle::SP_DialogOpenButton},
        {"view-sort-ascending", QStyle::SP_ArrowDown},
        {"media-playlist-shuffle", QStyle::SP_BrowserReload},
        {"object-flip-vertical", QStyle::SP_ArrowUp},
        {"document-import", QStyle::SP_DialogOpenButton},
        {"document-export", QStyle::SP_DialogSaveButton},
        {"edit-undo", QStyle::SP_ArrowBack},
        {"folder-music", QStyle::SP_DirIcon},
        {"view-media-playlist", QStyle::SP_FileDialogListView},
        {"document-open", QStyle::SP_DialogOpenButton},
    };
    QStyle::StandardPixmap fallback = QStyle::SP_FileIcon;
    for (const TFallback &f : kFallbacks)
        if (themeName == QLatin1String(f.Name)) fallback = f.Pixmap;
    return QIcon::fromTheme(themeName, QApplication::style()->standardIcon(fallback));
}

TfLibraryEditor::TfLibraryEditor(TLibraryEditors &editors, QWidget *parent)
    : QDialog(parent), editors_(editors), jukebox_(editors.Jukebox()),
      g_(editors.Jukebox().GlobalState())
{
    setModal(true);
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("tbCommands"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar_->setIconSize(QSize(22, 22));
}

void TfLibraryEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The enabling rules that depend on the focus follow it once the dialog is complete.
    if (!focusFollower_)
        focusFollower_ =
            connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
}

TfLibraryEditor::~TfLibraryEditor()
{
    // The lists go after this; the enabling rules are of no use by then.
    disconnect(focusFollower_);
}

QAction *TfLibraryEditor::AddAction(const char *name, const QString &caption, const QString &hint,
                                    const QString &iconName, const QKeySequence &key)
{
    auto *action = new QAction(EditorIcon(iconName), caption, this);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    addAction(action);
    toolBar_->addAction(action);
    return action;
}

QToolButton *TfLibraryEditor::AddDropDown(QAction *action, QMenu *menu, bool plainAction)
{
    action->setMenu(menu);
    auto *button = qobject_cast<QToolButton *>(toolBar_->widgetForAction(action));
    if (button)
        button->setPopupMode(plainAction ? QToolButton::MenuButtonPopup
                                         : QToolButton::InstantPopup);
    return button;
}

void TfLibraryEditor::Arrange(QLayout *body)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("bbClose"));
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(toolBar_);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);
}

void TfLibraryEditor::SaveAlbum(TAlbum &album) const
{
    if (album.Loaded) g_.AlbumFile().Save(album);
}

void TfLibraryEditor::TitlesEdited() const
{
    jukebox_.TitlesEdited();
}

void TfLibraryEditor::done(int result)
{
    if (!closed_) {
        closed_ = true;
        Closing();
        // What was edited is on the disk from now on, not only when the album is left.
        if (g_.CurrentAlbum) SaveAlbum(*g_.CurrentAlbum);
    }
    QDialog::done(result);
}

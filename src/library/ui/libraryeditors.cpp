#include "library/ui/libraryeditors.h"

#include "core/jukebox.h"
#include "library/ui/tfalbums.h"
#include "library/ui/tfprograms.h"
#include "library/ui/tftitles.h"
#include "settings/filefilter.h"

#include <QApplication>
#include <QFileDialog>

TLibraryEditors::TLibraryEditors(TJukebox &jukebox, QObject *parent)
    : QObject(parent), jukebox_(jukebox)
{
    ChooseFiles = [this](QWidget *parentWidget) {
        QFileDialog dialog(parentWidget, QStringLiteral("Open"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilters(QtNameFilters(jukebox_.FileFilter()));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
    ChooseRegistryExport = [](QWidget *parentWidget) {
        return QFileDialog::getOpenFileName(
            parentWidget, QStringLiteral("Import album from"), QString(),
            QStringLiteral("Registry files (*.reg);;All files (*)"));
    };
}

template <class TForm>
void TLibraryEditors::RunIn(QPointer<TForm> &slot)
{
    if (slot) {
        slot->raise();
        slot->activateWindow();
        return;
    }
    auto *form = new TForm(*this, QApplication::activeWindow());
    form->setAttribute(Qt::WA_DeleteOnClose);
    slot = form;
    emit editorOpened(form);
    // exec() frees the dialog when it returns; the slot forgets it by itself.
    form->exec();
}

void TLibraryEditors::Run(TStationAction action)
{
    switch (action) {
    case TStationAction::aEditTitles:
        RunTitles();
        break;
    case TStationAction::aEditPrograms:
        RunPrograms();
        break;
    case TStationAction::aEditAlbums:
        RunAlbums();
        break;
    default:
        break;
    }
}

TfTitles *TLibraryEditors::Titles() const
{
    return titles_;
}

TfPrograms *TLibraryEditors::Programs() const
{
    return programs_;
}

TfAlbums *TLibraryEditors::Albums() const
{
    return albums_;
}

void TLibraryEditors::RunTitles()
{
    RunIn(titles_);
}

void TLibraryEditors::RunPrograms()
{
    RunIn(programs_);
}

void TLibraryEditors::RunAlbums()
{
    RunIn(albums_);
}

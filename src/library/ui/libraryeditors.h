#pragma once
// The library editors as the station runs them: the titles, programs and albums editors, each
// modal, freed when it closes, each in a slot of its own that empties itself when its dialog
// goes. An editor whose slot is taken is not opened a second time. The editors open one another
// through here (the titles editor's "Programs", the programs editor's "Edit albums").
//
// Threads: main thread only.
#include "core/stationactions.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;
class TJukebox;
class TfAlbums;
class TfPrograms;
class TfTitles;

class TLibraryEditors : public QObject {
    Q_OBJECT

public:
    explicit TLibraryEditors(TJukebox &jukebox, QObject *parent = nullptr);

    TJukebox &Jukebox() const { return jukebox_; }

    // Runs the editor of aEditTitles, aEditPrograms or aEditAlbums (other actions: nothing).
    void Run(TStationAction action);
    void RunTitles();
    void RunPrograms();
    void RunAlbums();

    // The editors open now (none when closed).
    TfTitles *Titles() const;
    TfPrograms *Programs() const;
    TfAlbums *Albums() const;

    // The open dialog with the program's file filter: the files chosen, none after Cancel.
    std::function<QStringList(QWidget *parent)> ChooseFiles;
    // A registry export file to read old albums from; empty after Cancel.
    std::function<QString(QWidget *parent)> ChooseRegistryExport;

signals:
    // An editor is about to run modally (tests drive it from here).
    void editorOpened(QDialog *editor);

private:
    template <class TForm>
    void RunIn(QPointer<TForm> &slot);

    TJukebox &jukebox_;
    QPointer<TfTitles> titles_;
    QPointer<TfPrograms> programs_;
    QPointer<TfAlbums> albums_;
};

#pragma once
// The station: the program's hidden main form. It is never shown; it holds what the desktop
// sees of the jukebox outside its windows: the action list, the tray icon and its menu, the
// device menu with "Reopen", the open dialog and the window slots. All the work is the
// jukebox's (core/jukebox.h), which the station owns and which it follows by its signals.
//
//     TfStation station(executablePath, colourDepth);
//     station.StartUp(commandLine);
//     QTimer::singleShot(0, &station, &TfStation::FirstShow);
//     app.exec();                      // until Exit, a title ending with the close request, ...
//
// Threads: main thread only.

#include "core/commandline.h"
#include "core/jukebox.h"
#include "presentation/tfdisplay.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <memory>

class QSystemTrayIcon;
class TNewsCheck;
class TPopupListBox;
class TStationListBox;
class TTimerSource;
class TfFloat;
class TfPref;
class TfRozedAdivid;

class TfStation : public QWidget {
    Q_OBJECT

public:
    TfStation(const QString &executablePath, int colourDepth, TTimerSource *timers = nullptr);
    ~TfStation() override;

    // The start-up sequence (the jukebox's).
    void StartUp(const TCommandLine &commandLine);
    // The end of the start-up: the tray icon shows, the ticker runs, play starts when asked.
    void FirstShow();
    // A termination signal: modal dialogs are dismissed and the program closes as by Exit.
    void CloseForSignal();

    TJukebox &Jukebox() const { return *jukebox_; }
    QMenu *ReopenMenu() const { return reopenMenu_; }
    QSystemTrayIcon *TrayIcon() const { return tiStation; }
    QMenu *TrayMenu() const { return pmTray; }

    // The actions.
    QAction *aEditAlbums, *aEditPrograms, *aEditTitles;
    QAction *aPlay, *aPlayPause, *aPlayStop, *aPlayPrev, *aPlayRew, *aPlayFB, *aPlayFF, *aPlayNext;
    QAction *aMiscPref, *aHelpTopics;
    QAction *aShowMain, *aExit;

    QAction *Action(TStationAction action) const;

    // The display window while it exists (the program is not in the tray), else null.
    TfDisplay *Display() const { return fDisplay; }
    // The popup list boxes and the lists they lend.
    TPopupListBox *plbTitles = nullptr, *plbPrograms = nullptr, *plbAlbums = nullptr;
    TStationListBox *lbTitles = nullptr, *lbPrograms = nullptr, *lbAlbums = nullptr;
    TPopupListBox *PopupBox(TStationList list) const;
    // Pops a list up with its top-left corner at the point (screen coordinates); the programs
    // and albums lists are filled first, the titles list selects the current title.
    void PopupListAt(TStationList list, const QPoint &topLeft);
    void PopupTitlesAt(const QPoint &topLeft) { PopupListAt(TStationList::Titles, topLeft); }

    // The floating bar's slot.
    bool FloatbarExists() const;
    void ToggleFloatbar();

    // The news manager and the news check.
    void ShowNewsManager();
    void CheckNewsNow();
    TNewsCheck &NewsCheck() const { return *news_; }
    TfRozedAdivid *NewsManager() const;

    // The preferences dialog: one at a time, freed when closed.
    void ShowPreferences();
    TfPref *Preferences() const;

private:
    void CreateActions();
    void CreateTray();
    void ConnectJukebox();
    void BuildDeviceMenu();
    void RebuildReopenMenu();
    void FollowAction(TStationAction action);
    void RunAction(TStationAction action);
    void Localise();
    void ShowMainWindow();
    void OpenFromDeviceMenu(TSPDeviceInfo *device);
    void CreatePopupLists();
    void FollowCloaked(bool cloaked);
    void FreeDisplay();
    void ApplyThemeToWindows();

    TTimerSource &timers_;
    std::unique_ptr<TJukebox> jukebox_;
    std::unique_ptr<TNewsCheck> news_;
    QPointer<TfRozedAdivid> fRozedAdivid;
    QPointer<TfPref> fPref;
    QPointer<TfDisplay> fDisplay;
    QPointer<QMenu> reopenMenu_;
    QSystemTrayIcon *tiStation = nullptr;
    QMenu *pmTray = nullptr;
    QPointer<TfFloat> fFloat;
    // A closed bar on its way out (it frees itself from the event loop).
    QPointer<TfFloat> closingFloat_;
};

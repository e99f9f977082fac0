#pragma once
// The station: the program's hidden main object. It is never shown; it owns what outlives any
// one window (the player, the mixer, the recent-files list, the three lists behind the popup
// lists, the tray icon and its menu, the action list and the ticker) and the global state. Its
// construction is the program's start-up, FirstShow() ends the start-up, and its close query
// and destruction are the shut-down:
//
//     TfStation station(commandLine, executablePath, colourDepth);
//     QTimer::singleShot(0, &station, &TfStation::FirstShow);
//     app.exec();                      // until Exit, a title ending with the close request, ...
//     (destroy the station)            // saves preferences, current album and recent files
//
// The ticker and the windows reach the station through deferred commands (events, see
// stationevents.h); second starts through the hand-off target below.
//
// Threads: main thread only.

#include "core/commandline.h"
#include "core/handoffreceiver.h"
#include "core/recentfiles.h"
#include "core/stationcommands.h"
#include "core/stationsink.h"
#include "core/transport.h"
#include "playback/sonoricmixer.h"
#include "playback/sonoricplayer.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QSystemTrayIcon;
class TDisplayTexts;
class TStationKeys;
class TStationLists;
class TTimerThread;
class TTonariaGlobals;

class TfStation : public QWidget,
                  public THandoffTarget,
                  public TStationSink,
                  public TStationCommands {
public:
    // Runs the start-up sequence: the global state, preferences and recent files, devices,
    // mixer, albums, the command line's files in the system album, the ticker (idle).
    // status: receives the progress texts (the splash's status line); may be empty.
    TfStation(const TCommandLine &commandLine, const QString &executablePath, int colourDepth,
              std::function<void(const QString &)> status = {});
    // The shut-down's second half: the ticker goes, the preferences, the current album and the
    // recent files are saved, the global state is freed.
    ~TfStation() override;

    // The end of the start-up: the tray icon, the ticker, and playing when asked to.
    void FirstShow();

    // Gives the ticker the meter's and the animation's schedule from the preferences (again
    // after the preferences change).
    void RefreshTickerSchedule();

    // ---- Closing ----
    // "Exit": closes unless the program is still starting up or already closing.
    void Exit();
    // Asks to close; true when the close went ahead (the event loop is told to end).
    bool RequestClose();
    // A termination signal: modal dialogs are dismissed and the program closes as by Exit.
    void CloseForSignal();
    bool Closed() const { return closed_; }
    // Called once when the close goes ahead, before the event loop ends.
    std::function<void()> OnClosing;
    // Called once when the start-up is over (the splash can go).
    std::function<void()> OnStarted;

    // The seek buttons of the display and the floating bar: a run while held down (1 backward,
    // 2 forward). Like every transport command of the user's, it cancels the close request.
    void SeekButtonDown(int direction);
    void SeekButtonUp(int direction);

    // ---- Files ----
    // Opens a comma-text list of files (an empty list: the device itself) as the system album's
    // new contents, with the device (null or the automatic record: the file chooses).
    void OpenFiles(const QString &text, TSPDeviceInfo *device);
    // A click on the recent-files entry at index.
    void OpenRecent(int index);
    // Paths dropped on the display window or the floating bar.
    void DropFiles(const QStringList &paths);

    // ---- Hand-off from a second start ----
    void handoffAddFile(const QString &fileName) override;
    void handoffCommit() override;
    void setPlayRequested() override;
    void setCloseRequested() override;

    // ---- What other parts use ----
    TTonariaGlobals &GlobalState() const { return *globals_; }
    TSonoricPlayer &Player() { return spStation; }
    TRecentFiles &RecentFiles() { return mmStation; }
    QMenu *ReopenMenu() const { return reopenMenu_; }
    // The lists behind the popup list boxes, and the keyboard of the display and the floating bar.
    TStationLists &Lists() const { return *lists_; }
    TStationKeys &Keys() const { return *keys_; }
    QSystemTrayIcon *TrayIcon() const { return tiStation; }
    QMenu *TrayMenu() const { return pmTray; }
    QString HelpFile() const { return helpFile_; }
    QString FileFilter() const { return fileFilter_; }

    // The actions.
    QAction *aEditAlbums, *aEditPrograms, *aEditTitles;
    QAction *aPlay, *aPlayPause, *aPlayStop, *aPlayPrev, *aPlayRew, *aPlayFB, *aPlayFF, *aPlayNext;
    QAction *aMiscPref, *aHelpTopics;
    QAction *aShowMain, *aExit;

    QAction *Action(TStationAction action) const;
    // The display texts; the display window and the floating bar install their sinks here.
    TDisplayTexts &DisplayTexts() const { return *texts_; }

    // ---- What the lists and keys ask of the station ----
    bool ActionEnabled(TStationAction action) const override;
    void ExecuteAction(TStationAction action) override;
    void SelectTitle(TTitle *title) override;
    void QuickNumberKey(QChar digit) override;
    void ClosePopup(TStationList list) override;

    // ---- What the display texts write into the station ----
    QString ApplicationTitle() const override { return applicationTitle_; }
    void SetApplicationTitle(const QString &title) override;
    void SetTrayHint(const QString &hint) override;
    void SetActionHint(TStationAction action, const QString &hint) override;
    void SetActionEnabled(TStationAction action, bool enabled) override;

    // Runs a command, showing any failure of the player or of a package in a message box.
    static void Guard(const std::function<void()> &command);

protected:
    bool event(QEvent *e) override;

private:
    void Status(const QString &text);
    void CreateActions();
    void CreateTray();
    void HookPlayer();
    void StartUpAlbums(const TCommandLine &commandLine);
    void RebuildReopenMenu();
    void HandleCommand(int code, void *param);
    // The eight transport actions: the user's command cancels the close request.
    void Transport(const std::function<void()> &command);
    // A seek action from the keyboard or a menu makes one step.
    void SeekOnce(int direction);
    void ShowMainWindow();
    void SetCloaked(bool cloaked);
    bool CloseQuery();

    std::function<void(const QString &)> status_;
    std::unique_ptr<TTonariaGlobals> globals_;
    TSonoricPlayer spStation;
    TSonoricMixer mixer_;
    TRecentFiles mmStation;
    QPointer<QMenu> reopenMenu_;
    std::unique_ptr<TStationLists> lists_;
    std::unique_ptr<TStationKeys> keys_;
    QSystemTrayIcon *tiStation = nullptr;
    QMenu *pmTray = nullptr;
    std::unique_ptr<TTimerThread> ticker_;
    std::unique_ptr<TDisplayTexts> texts_;
    QString applicationTitle_ = QStringLiteral("Tonaria");
    QString helpFile_;
    QString fileFilter_;
    bool closed_ = false;
    bool signalled_ = false;
};

// Whether a plug-in device whose extension list (comma text, "mid,kar") is given plays the
// file: its extension, lower-cased and without the dot, must be in the list; an extension of
// one letter never matches.
bool ExtensionListSupports(const QString &extensionList, const QString &fileName);

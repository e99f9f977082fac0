#pragma once
// The jukebox: the program's engine, without any window. It owns what outlives every window
// (the global state, the player, the mixer, the recent files, the three station lists, the
// ticker and the display texts) and runs the start-up, the hand-off from second starts, the
// opening of files and drops, the deferred station commands, the seek runs and the logic of
// the close. It tells every listener by its signals; the windows, the tray and the plug-in host
// listen, as many of them as there are.
//
//     TJukebox jukebox(executablePath, colourDepth);
//     connect(&jukebox, &TJukebox::statusChanged, ...);    // the splash's status line
//     jukebox.StartUp(commandLine);
//     jukebox.FinishStartUp();                              // once the event loop runs
//     app.exec();                                           // until closing()
//     (destroy the jukebox)          // saves preferences, current album and recent files
//
// Threads: main thread only, except Post, which any thread may call.

#include "core/commandline.h"
#include "core/handoffreceiver.h"
#include "core/recentfiles.h"
#include "core/stationactions.h"
#include "core/stationcommands.h"
#include "core/stationsink.h"
#include "core/transport.h"
#include "playback/sonoricmixer.h"
#include "playback/sonoricplayer.h"
#include "plugins/pihost.h"
#include "plugins/pihostsite.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

class TDisplayTexts;
class TStationKeys;
class TStationLists;
class TTicker;
class TTimer;
class TTimerSource;
class TTonariaGlobals;
class TAlbum;

// The deferred station commands: work asked for from elsewhere (a window, a plug-in, another
// thread) that runs on the main thread when the event loop comes to it. At most one of each kind
// waits at a time.
enum class TStationCommand { PeakMeter, Display, CloseDisplay, Animation, EndCheck, Controls };

class TJukebox : public QObject,
                 public THandoffTarget,
                 public TStationSink,
                 public TStationCommands,
                 private TPIHostSite {
    Q_OBJECT

public:
    // Creates the global state (with the timers of `timers`, the system's when none is given).
    // Nothing else happens until StartUp.
    explicit TJukebox(const QString &executablePath, int colourDepth = 24,
                      TTimerSource *timers = nullptr);
    // The shut-down's second half: the preferences, the current album and the recent files are
    // saved, the global state is freed.
    ~TJukebox() override;

    // The start-up sequence: preferences and recent files, devices, plug-in devices, mixer,
    // albums, the command line's files in the system album, the open dialog's filter. Each step
    // first tells its text (statusChanged).
    void StartUp(const TCommandLine &commandLine);
    // The end of the start-up: the windows' states are decided, the ticker runs, and play
    // starts when asked to.
    void FinishStartUp();

    // ---- Closing ----
    // "Exit": closes unless the program is still starting up or already closing.
    void Exit();
    // Asks to close; true when the close went ahead (the event loop is told to end).
    bool RequestClose();
    bool Closed() const { return closed_; }
    // Asked before a close goes ahead: false refuses it (a modal dialog is open). The one form
    // that runs dialogs sets it.
    std::function<bool()> CloseAllowed;

    // ---- Commands ----
    // Runs one of the station's actions; the transport actions cancel the close request, and a
    // seek action makes one step. The actions of windows that do not live here are asked for
    // through actionRequested.
    void ExecuteAction(TStationAction action) override;
    bool ActionEnabled(TStationAction action) const override;
    QString ActionHint(TStationAction action) const;
    // The seek buttons of the display and the floating bar: a run while held down.
    void SeekButtonDown(TSeekDirection direction);
    void SeekButtonUp(TSeekDirection direction);
    void SelectTitle(TTitle *title) override;
    // The library editors changed the current album: the titles list is refilled and every
    // listener told (titlesChanged).
    void TitlesEdited() { FillTitles(); }
    void QuickNumberKey(QChar digit) override;
    void ClosePopup(TStationList list) override;
    // Queues a deferred command (any thread).
    void Post(TStationCommand command);
    // The windows that show moving contents (times, meter, flag): while one shows them, the
    // ticker keeps them fresh even when nothing plays.
    void SetMovingContentsShown(bool shown);
    // Pushes the preferences into the player, the language, the windows and the ticker.
    void ApplyPreferences();
    // Shows or hides the display window (the hidden form never shows).
    void SetCloaked(bool cloaked);

    // ---- Files ----
    // Opens a comma-text list of files (an empty list: the device itself) as the system album's
    // new contents, with the device (null or the automatic record: the file chooses).
    void OpenFiles(const QString &text, TSPDeviceInfo *device);
    // The recent-files entry at index.
    void OpenRecent(int index);
    // Paths dropped on the display window or the floating bar.
    void DropFiles(const QStringList &paths);

    // ---- Hand-off from a second start: answered at once, carried out from the event loop ----
    void handoffAddFile(const QString &fileName) override;
    void handoffCommit() override;
    void setPlayRequested() override;
    void setCloseRequested() override;

    // ---- What the display texts write ----
    QString ApplicationTitle() const override { return applicationTitle_; }
    void SetApplicationTitle(const QString &title) override;
    void SetTrayHint(const QString &hint) override;
    void SetActionHint(TStationAction action, const QString &hint) override;
    void SetActionEnabled(TStationAction action, bool enabled) override;

    // ---- What others use ----
    TTonariaGlobals &GlobalState() const { return *globals_; }
    TTransport &Transport() const;
    TSonoricPlayer &Player() { return spStation; }
    TSonoricMixer &Mixer() { return mixer_; }
    TRecentFiles &RecentFiles() { return mmStation; }
    TStationLists &Lists() const { return *lists_; }
    TPIHost &PluginHost() const { return *pluginHost_; }
    TStationKeys &Keys() const { return *keys_; }
    TDisplayTexts &DisplayTexts() const { return *texts_; }
    TTicker &Ticker() const { return *ticker_; }
    // The timers everything timed runs on (the system's, or the test's driven clock).
    TTimerSource &Timers() const { return *timers_; }
    QString HelpFile() const { return helpFile_; }
    QString FileFilter() const { return fileFilter_; }
    QString TrayHint() const { return trayHint_; }

signals:
    // A step of the start-up begins (the splash's status line).
    void statusChanged(const QString &text);
    // The plug-in devices are known: the device menu can be built.
    void devicesAnalysed();
    // The start-up is over (the splash can go).
    void started();
    // The close goes ahead (once), before the event loop ends.
    void closing();
    // The close query: the tray goes, the windows close.
    void shuttingDown();
    // An album has been loaded from its file.
    void albumLoaded(TAlbum *album);
    // The titles list has been refilled.
    void titlesChanged();
    // The internal programs got a new order (editors that show them refresh).
    void programsRegenerated();
    // The control states or the display texts were refreshed.
    void controlsChanged();
    void displayChanged();
    void peakMeterChanged();
    void animationStepped();
    // The preferences were applied (the windows take their looks and texts again).
    void preferencesApplied();
    // The display window is to show (false) or go (true).
    void cloakedChanged(bool cloaked);
    void closeDisplayRequested();
    // The popup list box showing the list is to close.
    void popupCloseRequested(TStationList list);
    // A hint or enabled state of an action changed.
    void actionChanged(TStationAction action);
    void applicationTitleChanged(const QString &title);
    void trayHintChanged(const QString &hint);
    // An action whose window lives elsewhere (editors, preferences, help).
    void actionRequested(TStationAction action);
    void recentFilesChanged();
    // What the plug-ins are told (a notification code).
    void pluginNotification(std::uint32_t code);
    // A failure was shown to the user.
    void failureShown(const QString &text);

private:
    void Status(const QString &text);
    void ConnectParts();
    void StartUpAlbums(const TCommandLine &commandLine);
    void ChooseStartAlbum();
    void EmptySystemAlbum();
    void TakeCommandLineFiles(const TCommandLine &commandLine);
    void AlbumLoaded(TAlbum &album);
    void FillTitles();
    void PlayIfRequested();
    void CommitHandoff();
    void RunHandoff(std::function<void()> step);
    void RunCommand(TStationCommand command);
    void RunEndCheck();
    void RefreshActivity();
    void RefreshTickerSchedule();
    // The display texts are written again; when a sung syllable is due before the ticker's
    // next refresh, a refresh is set for its moment.
    void RefreshDisplay();
    void UpdateControls();
    void TransportCommand(const std::function<void()> &command);
    void SeekOnce(TSeekDirection direction);
    bool CloseQuery();
    // Runs a command, showing any failure of the player or of a package once.
    void Guard(const std::function<void()> &command);
    void ShowFailure(const QString &text);
    void ConnectPluginHost();

    // ---- What the plug-in host asks ----
    void RunPluginAction(TPIHostAction action) override;
    QString PluginLoadedFile() override;
    std::int64_t PluginPosition() override;
    std::int64_t PluginLength() override;
    TPIPlayState PluginPlayState() override;
    void PluginLoadingStatus(const QString &text) override { Status(text); }

    std::unique_ptr<TTonariaGlobals> globals_;
    TSonoricPlayer spStation;
    TSonoricMixer mixer_;
    TRecentFiles mmStation;
    std::unique_ptr<TStationLists> lists_;
    std::unique_ptr<TPIHost> pluginHost_;
    std::unique_ptr<TStationKeys> keys_;
    std::unique_ptr<TTicker> ticker_;
    std::unique_ptr<TDisplayTexts> texts_;
    std::unique_ptr<TTimer> lyricTimer_;
    TTimerSource *timers_ = nullptr;
    QString applicationTitle_ = QStringLiteral("Tonaria");
    QString trayHint_ = QStringLiteral("Tonaria");
    QString helpFile_;
    QString fileFilter_;
    static constexpr std::size_t kActionCount = std::size_t(TStationAction::aHelpTopics) + 1;
    std::array<bool, kActionCount> enabled_{};
    std::array<QString, kActionCount> hints_{};
    std::array<std::atomic<bool>, 6> waiting_{};
    std::deque<std::function<void()>> handoffSteps_;
    bool movingShown_ = false;
    bool closed_ = false;
};

// Whether a plug-in device whose extension list (comma text, "mid,kar") is given plays the
// file: its extension, lower-cased and without the dot, must be in the list; an extension of
// one letter never matches.
bool ExtensionListSupports(const QString &extensionList, const QString &fileName);

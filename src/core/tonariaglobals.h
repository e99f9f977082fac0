#pragma once
// The program's one global state: the albums and the current and system albums, the transport
// state, the folder layout and every preference value. The station creates it first thing at
// start-up and frees it last; everything above the platform, file-format and library layers
// reaches it through Globals().
//
// Threads: the user-interface thread, except the fields marked "ticker": the ticker thread
// reads the intervals, counts the countdowns down and tests and clears the posted flags. Each of
// those is a single atomic word or byte that one side writes and the other reads; no lock is
// taken.

#include "library/album.h"
#include "library/albumfile.h"
#include "library/librarylistener.h"
#include "packages/zipman.h"
#include "platform/system/registry.h"
#include "platform/system/registrystore.h"
#include "settings/preferences.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class TSonoricMixer;
class TSonoricPlayer;
class TTransport;

class TTonariaGlobals : public TPreferences, private TLibraryListener {
public:
    // Sets up the folders below the program folder (from the executable's path), the private
    // temporary folder and every preference at its default, and installs itself as the
    // library's listener and as the process-wide global state.
    explicit TTonariaGlobals(const QString &executablePath, int colourDepth = 24);
    // Frees every album without saving, removes the temporary folder when empty.
    ~TTonariaGlobals() override;
    TTonariaGlobals(const TTonariaGlobals &) = delete;
    TTonariaGlobals &operator=(const TTonariaGlobals &) = delete;

    // ---- Components the station creates and hands over (not owned) ----
    TSonoricMixer *Mixer = nullptr;
    TSonoricPlayer *Player = nullptr;

    // The transport commands and the order of play over the current album and the player.
    TTransport &Transport() { return *transport_; }

    // ---- Albums ----
    std::vector<std::unique_ptr<TAlbum>> Albums;
    bool Cloaked = true;
    TAlbum *CurrentAlbum = nullptr;
    TAlbum *SystemAlbum = nullptr;

    // ---- Transport state ----
    std::atomic<bool> Seeking{false};
    std::atomic<int> SeekInterval{-1};      // ms, ticker
    std::atomic<std::uint8_t> SeekDirection{0}; // 0 none, 1 backward, 2 forward
    bool CloseRequested = false;
    bool PlayRequested = false;
    std::atomic<int> SeekCountdown{-1};      // ms, ticker
    std::atomic<int> AnimationInterval{100}; // ms, ticker
    std::atomic<int> DisplayInterval{500};   // ms, ticker
    std::atomic<int> QuickNumberCountdown{-1}; // ms, ticker
    std::atomic<int> TickInterval{10};       // ms, ticker
    QString QuickNumberDigits;
    bool LibraryReady = false;
    bool ZipMode = false;
    // The title open in the player: &LoadedTitleCopy, or none. The copy keeps the caption on
    // the display when the album's record goes away; LoadedTitleSource tells which album record
    // the copy came from and is cleared when that record is freed.
    TTitle *LoadedTitle = nullptr;
    TTitle LoadedTitleCopy;
    const TTitle *LoadedTitleSource = nullptr;

    // ---- Folders (each ends in "/") ----
    QString ExeFolder;
    QString ExecutablePath;
    QString AlbumsFolder;
    QString CDFolder;
    QString DefaultThemeFolder;
    QString LangFolder;
    QString PluginsFolder;
    QString ResetFolder;
    QString SUFolder;
    QString ThemesFolder;
    // The private scratch folder for unpacked package members (no trailing "/").
    QString TempFolder;

    // ---- Ticker hand-shake: true when the previous request of the kind has been handled ----
    std::atomic<bool> ControlsPosted{true};
    std::atomic<bool> DisplayPosted{true};
    std::atomic<bool> AnimationPosted{true};
    std::atomic<bool> MeterPosted{true};
    std::atomic<bool> EndCheckPosted{true};

    bool ShuttingDown = false;
    bool Sleeping = false;
    bool StartingUp = true;
    bool StoppedAtEnd = true;

    // The package manager: unpacks the entries of ".zip" titles into TempFolder.
    std::unique_ptr<TZipMan> ZipMan;

    // The peak meter's fall: per update the shown level drops by the larger of MeterMinFall and
    // (level - minimum) * MeterFallFactor, rounded.
    double MeterFallFactor = 0.05;
    int MeterMinFall = 100;

    // ---- The registry behind the preferences and the recent files ----
    TRegistryStore &RegistryStore() { return registryStore_; }

    // ---- Operations ----
    // Rebuilds Albums from the albums folder; makes a "Temporary" system album when there is
    // none; the system album comes first, the others by caption.
    void LoadAlbumList();
    void SortAlbums();
    // Saves and unloads the current album, loads the new one.
    void SetCurrentAlbum(TAlbum *album);
    // A title is open in the player, or chosen for it.
    bool IsTitleLoaded() const;
    void SetTickInterval(int ms);
    // The path a title's file name stands for: a relative name (as the shipped demo album
    // holds) is taken from the program folder; an absolute one, or a device's empty name, as
    // it is.
    QString TitleFilePath(const QString &fileName) const;
    static QString PadNumber(int value, int width);

    // Album files of this program's albums folder.
    const TAlbumFile &AlbumFile() const { return albumFile_; }
    int CurrentAlbumIndex() const;

    // The language of the preference "Lang" (English beneath it).
    bool LoadLanguage();
    // Reads and writes the preferences through the registry file.
    void LoadPreferences();
    bool SavePreferences();
    // Pushes the values into what exists: the windows' looks (through OnApplyToWindows), the
    // language and the windows' texts (OnLocaliseForms), the player's MIDI reset file, and the
    // control states.
    void ApplyPreferences();

    // Hooks for the layers above: control states changed, an album was loaded, the player has
    // a medium open. Empty until the station sets them.
    std::function<void()> OnUpdateControls;
    std::function<void(TAlbum &)> OnAlbumLoaded;
    std::function<void()> OnApplyToWindows;
    std::function<void()> OnLocaliseForms;
    // The display texts need a refresh now (the display window, when there is one).
    std::function<void()> OnUpdateDisplay;

    void UpdateControls()
    {
        if (OnUpdateControls)
            OnUpdateControls();
    }
    void UpdateDisplay()
    {
        if (OnUpdateDisplay)
            OnUpdateDisplay();
    }

private:
    void TitleDisposed(const TTitle *title) override;
    void InternalProgramNotDeleted(const TProgram &program) override;

    TRegistryStore registryStore_;
    TAlbumFile albumFile_;
    std::unique_ptr<TTransport> transport_;
};

// The process-wide global state; only valid while a TTonariaGlobals exists.
TTonariaGlobals &Globals();
bool HasGlobals();

#pragma once
// The program's one global state: the albums and the current and system albums, the transport
// state, the folder layout and every preference value. The station creates it first thing at
// start-up and frees it last; everything above the platform, file-format and library layers
// reaches it through Globals().
//
// Threads: the user-interface thread only.

#include "library/album.h"
#include "library/albumfile.h"
#include "library/librarylistener.h"
#include "packages/zipman.h"
#include "presentation/theme/tuiman.h"
#include "platform/system/registry.h"
#include "platform/system/registrystore.h"
#include "settings/preferences.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TSonoricMixer;
class TSonoricPlayer;
class TTimerSource;
class TTransport;

class TTonariaGlobals : public TPreferences, private TLibraryListener {
public:
    // Sets up the folders below the program folder (from the executable's path), the private
    // temporary folder and every preference at its default, and installs itself as the
    // library's listener and as the process-wide global state. The transport's timers come from
    // `timers` (the system's when none is given), which must outlive the global state.
    explicit TTonariaGlobals(const QString &executablePath, int colourDepth = 24,
                             TTimerSource *timers = nullptr);
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
    bool CloseRequested = false;
    bool PlayRequested = false;
    // The digits of the title number being typed.
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

    bool ShuttingDown = false;
    // The pause between titles is under way (the display shows the sleep text).
    bool Sleeping = false;
    bool StartingUp = true;

    // The theme manager: the chosen theme laid over "Default", loaded when the preferences
    // are applied.
    TUIMan UIMan;

    // The package manager: unpacks the entries of ".zip" titles into TempFolder.
    std::unique_ptr<TZipMan> ZipMan;

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
    // Pushes the values into what exists: the language and the player's MIDI reset file. The
    // engine then tells the windows (their looks and texts) and refreshes the controls.
    void ApplyPreferences();

    // The engine's own links (it alone sets them and tells every listener by its signals): the
    // control states or the display texts need a refresh; an album has been loaded.
    std::function<void()> OnUpdateControls;
    std::function<void()> OnUpdateDisplay;
    std::function<void(TAlbum &)> OnAlbumLoaded;

    void UpdateControls()
    {
        if (OnUpdateControls) OnUpdateControls();
    }
    void UpdateDisplay()
    {
        if (OnUpdateDisplay) OnUpdateDisplay();
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

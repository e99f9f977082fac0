#include "core/sessionreport.h"

#include "core/tonariaglobals.h"

#include <algorithm>

int RunSessionReport(const QString &executablePath, QTextStream &out)
{
    TTonariaGlobals globals(executablePath);
    globals.LoadPreferences();
    const bool languageLoaded = globals.LoadLanguage();
    globals.LoadAlbumList();

    // The saved album position, clamped to the list.
    if (!globals.Albums.empty()) {
        const int last = static_cast<int>(globals.Albums.size()) - 1;
        const int index = std::clamp(globals.CurAlbum, 0, last);
        TAlbum *chosen = globals.Albums[static_cast<std::size_t>(index)].get();
        globals.CurrentAlbum = nullptr;
        globals.SetCurrentAlbum(chosen);
    }
    globals.LibraryReady = true;

    out << "Tonaria " << TONARIA_VERSION << "\n";
    out << "Program folder: " << globals.ExeFolder << "\n";
    out << "Preferences: " << globals.RegistryStore().filePath() << "\n";
    out << "Language: " << globals.Lang << (languageLoaded ? "" : " (not loaded)") << "\n";
    out << "Albums: " << globals.Albums.size() << "\n";
    for (const auto &album : globals.Albums) {
        out << (album.get() == globals.CurrentAlbum ? "  * " : "    ") << album->Caption;
        if (album.get() == globals.SystemAlbum)
            out << " (system album)";
        if (album->Loaded)
            out << ": " << album->Titles.size() << " titles";
        out << "\n";
    }
    out.flush();

    // Shut-down order: the preferences (with the current album's position), then the album.
    const bool saved = globals.SavePreferences();
    globals.SetCurrentAlbum(nullptr);
    return saved ? 0 : 1;
}

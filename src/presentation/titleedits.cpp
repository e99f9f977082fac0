#include "presentation/titleedits.h"

#include "core/jukebox.h"
#include "core/stationlists.h"
#include "core/tonariaglobals.h"
#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"

#include <algorithm>

namespace {

// The current album's record of the loaded title, or none.
TTitle *LoadedRecord(TTonariaGlobals &g)
{
    if (!g.LoadedTitle || !g.CurrentAlbum || !g.LoadedTitleSource) return nullptr;
    const auto &titles = g.CurrentAlbum->Titles;
    const auto it = std::find(titles.begin(), titles.end(), g.LoadedTitleSource);
    return it == titles.end() ? nullptr : *it;
}

bool AskRemove(const TTonariaGlobals &g)
{
    return ShowMessageById(QStringLiteral("WarnRemoveTitle"), {g.LoadedTitleCopy.Caption},
                           MB_YESNO | MB_ICONWARNING) == IDYES;
}

bool Holds(const TProgram &program, const TTitle *title)
{
    return std::find(program.Titles.begin(), program.Titles.end(), title) != program.Titles.end();
}

void Refill(TJukebox &jukebox)
{
    jukebox.Lists().FillTitlesList();
    jukebox.GlobalState().UpdateControls();
}

} // namespace

void AddLoadedTitleToProgram(TJukebox &jukebox)
{
    TTonariaGlobals &g = jukebox.GlobalState();
    TAlbum *album = g.CurrentAlbum;
    if (!g.LoadedTitle || !album) return;
    TTitle *record = LoadedRecord(g);
    if (!record) {
        record = album->AddTitle();
        *record = g.LoadedTitleCopy;
        // The loaded title now stands for the new record, so the controls see it in the album.
        g.LoadedTitleSource = record;
    }
    if (TProgram *program = album->CurrentProgram;
        program && !program->IsInternal() && !Holds(*program, record))
        program->Titles.push_back(record);
    album->RefreshInternalPrograms();
    Refill(jukebox);
}

void RemoveLoadedTitleFromProgram(TJukebox &jukebox)
{
    TTonariaGlobals &g = jukebox.GlobalState();
    TProgram *program = g.CurrentAlbum ? g.CurrentAlbum->CurrentProgram : nullptr;
    TTitle *record = LoadedRecord(g);
    if (program && !program->IsInternal() && record && Holds(*program, record) && AskRemove(g)) {
        std::erase(program->Titles, record);
        jukebox.Lists().FillTitlesList();
    }
    g.UpdateControls();
}

void RemoveLoadedTitleFromAlbum(TJukebox &jukebox)
{
    TTonariaGlobals &g = jukebox.GlobalState();
    TTitle *record = LoadedRecord(g);
    if (!record || !AskRemove(g)) return;
    // The record goes at the end of this statement; the loaded copy keeps the caption shown.
    g.CurrentAlbum->RemoveTitle(record);
    Refill(jukebox);
}

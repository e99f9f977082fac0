#pragma once
// An album: a named collection of titles and the programs over them. The album owns its
// titles and programs; programs and the current title only point at the album's titles.
//
// A loaded album has exactly three internal programs (Normal, Shuffle, Reverse, in this
// order) and a current program. Programs are addressed by a combined index: 0 to 2 the
// internal programs, 3 + k custom program k.
//
// Threads: main thread only.
#include "library/program.h"
#include "library/title.h"

#include <QString>

#include <memory>
#include <vector>

// The playback device titles are bound to when files are added for one (only its name and
// description matter here).
struct TAddFilesDevice {
    QString Name;
    QString Description;
};

class TAlbum {
public:
    // A new, empty, unloaded album with its three internal programs (not yet refreshed) and
    // the Normal program current.
    TAlbum();
    ~TAlbum();
    TAlbum(const TAlbum &) = delete;
    TAlbum &operator=(const TAlbum &) = delete;

    static std::unique_ptr<TAlbum> CreateAlbum() { return std::make_unique<TAlbum>(); }

    // Stored and reloaded unchanged; nothing interprets it.
    int AlbumType = 0;
    QString Caption = QStringLiteral("Default Album name");
    TProgram *CurrentProgram = nullptr;
    TTitle *CurrentTitle = nullptr;
    // Stored and reloaded unchanged.
    QString DeviceName;
    // Full path of the album file; empty until the album is first saved. An album file keeps
    // its name for life.
    QString FileName;
    // The contents have been read from the file.
    bool Loaded = false;
    // The album file could not be read and the album was loaded empty: before the next save
    // writes over it, the unread file is put aside so that nothing in it is lost.
    bool FileUnread = false;
    // Stored and reloaded unchanged; at most kMediaIDLength characters are kept.
    QString MediaID;
    static constexpr qsizetype kMediaIDLength = 16;

    std::vector<std::unique_ptr<TProgram>> CustomPrograms;
    std::vector<std::unique_ptr<TProgram>> InternalPrograms;
    // The titles in album order. The album owns these records: take one out only through
    // RemoveTitle. Reordering the list is fine.
    std::vector<TTitle *> Titles;

    // --- Titles

    // A new title with the initial values, appended to the album (to no program).
    TTitle *AddTitle();
    // One title per item of the comma-text list, captioned from its file name and bound to
    // the device when one is given; an empty list gives one title standing for the device
    // (or a default title without one). Refreshes the internal programs and returns the last
    // title added.
    TTitle *AddFiles(const QString &list, const TAddFilesDevice *device = nullptr);
    // Unlinks the title from every program (every occurrence) and from the album, choosing
    // the next current title when it was the current one, and hands the record to the caller
    // (null when the album does not own it).
    TOwnedTitle RemoveTitle(TTitle *title);
    void SetCurrentTitle(TTitle *title) { CurrentTitle = title; }
    // Position in Titles, -1 when absent.
    qsizetype TitleIndex(const TTitle *title) const;

    // --- Programs

    // A new custom program of this album; the caller adds it to a list.
    std::unique_ptr<TProgram> CreateProgram() { return std::make_unique<TProgram>(this); }
    // The program at a combined index, or none.
    TProgram *ProgramByIndex(int index) const;
    int ProgramCount() const
    {
        return static_cast<int>(InternalPrograms.size() + CustomPrograms.size());
    }
    // Makes the program current and refreshes it.
    void SetCurrentProgram(TProgram *program);
    // Removes a custom program and hands it to the caller; when it was current, the program
    // that now has its index (or the Normal program) becomes current. An internal program is
    // refused (the library listener tells the user) and nothing changes: the result is null.
    std::unique_ptr<TProgram> DeleteProgram(TProgram *program);
    // NextTitle and PreviousTitle of the current program (none without one).
    TTitle *NextTitle() const;
    TTitle *PreviousTitle() const;
    void RefreshInternalPrograms();
    void RegenerateInternalPrograms();

    // --- The album as a whole

    // Forgets the medium: no device name, no media ID, no current title.
    void ClearMedia();
    // Frees every program and title; the album keeps only its caption and file name.
    void Unload();
    // Empties every program and frees every title; the programs themselves stay.
    void ClearLinks();

private:
    void DisposeAllTitles();
};

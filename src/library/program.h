#pragma once
// A program: an ordered play list over the titles of one album. Every album has three
// internal programs that follow its titles (Normal, Shuffle, Reverse) and any number of
// custom programs that only the user changes.
//
// Threads: main thread only.
#include <QString>

#include <vector>

class TAlbum;
struct TTitle;

// Program types.
inline constexpr int ptCustom = 0;
inline constexpr int ptNormal = 1;
inline constexpr int ptShuffle = 2;
inline constexpr int ptReverse = 3;

// The fixed caption of an internal program type: "Normal", "Shuffle" or "Reverse" (empty for
// any other type). These captions never come from the language file.
QString InternalProgramCaption(int type);

class TProgram {
public:
    // A program of type custom with the default caption, belonging to album (which it does
    // not join by itself: the caller adds it to one of the album's program lists).
    explicit TProgram(TAlbum *album) : Album(album) {}
    TProgram(const TProgram &) = delete;
    TProgram &operator=(const TProgram &) = delete;

    QString Caption = QStringLiteral("Default Program name");
    TAlbum *const Album;
    int ProgramType = ptCustom;
    // The play order: titles of Album, not owned. A custom program may hold a title more
    // than once.
    std::vector<TTitle *> Titles;

    bool IsInternal() const { return ProgramType != ptCustom; }

    // Combined index within the album: 0 to 2 for the internal programs, 3 + k for custom
    // program k; -1 when the album does not list this program.
    int ProgramIndex() const;

    // The title after (before) the album's current title, wrapping round; the first (last)
    // entry when the current title is none or not in this program; none for an empty program.
    TTitle *NextTitle() const;
    TTitle *PreviousTitle() const;

    // Position of the first occurrence of title, -1 when absent.
    qsizetype IndexOf(const TTitle *title) const;

    // Removes the first occurrence of title from this program only; false when absent.
    bool RemoveLink(const TTitle *title);

    // Brings an internal program in step with the album's titles: Normal and Reverse are
    // rebuilt; Shuffle drops titles that left the album (and repeats), keeps the order already
    // drawn and appends new titles in random order. A custom program is left as it is.
    void RefreshProgram();
    // Empties the program and refreshes it: a Shuffle program gets a whole new order.
    void Regenerate();

private:
    void RefreshShuffle();
};

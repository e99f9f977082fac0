#pragma once
// What a loaded album holds, kept so that a deletion can be taken back: the titles with their
// fields, every program's order, the custom programs and the current program and title.
// Restoring puts the album back as it was. Titles and custom programs that are still in the
// album keep their records; those that were deleted come back as new records with the same
// fields. It is meant for undoing the one change made since the snapshot, a deletion: any
// other change in between must discard the snapshot.
//
// Threads: main thread only.
#include "library/title.h"

#include <QString>

#include <vector>

class TAlbum;
class TProgram;

class TAlbumSnapshot {
public:
    explicit TAlbumSnapshot(const TAlbum &album);

    const TAlbum *Album() const { return album_; }
    void Restore(TAlbum &album) const;

private:
    struct TProgramState {
        const TProgram *Program;
        QString Caption;
        std::vector<int> Titles; // positions in titles_
    };

    const TAlbum *album_;
    std::vector<const TTitle *> records_;
    std::vector<TTitle> titles_;
    std::vector<TProgramState> internal_;
    std::vector<TProgramState> custom_;
    int currentProgram_ = -1; // combined index
    int currentTitle_ = -1;   // position in titles_
};

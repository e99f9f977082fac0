#pragma once
// Album files: each album lives in one text file (".tal") in the albums folder. Saving
// writes a temporary file beside the album file and renames it over the old one, so that a
// crash or a full disk never leaves a half-written album; a failed save is reported and
// keeps the old file. Loading reads the whole file before it changes anything beyond
// emptying the album.
//
// Failures are reported to the user through the message service and the operation returns
// false (or an empty name).
//
// Threads: main thread only.
#include <QString>

#include <functional>

class TAlbum;

class TAlbumFile {
public:
    struct TContext {
        // Where albums without a file get one (ends with "/").
        QString AlbumsFolder;
        // Whether the album is the system album at the moment it is saved.
        std::function<bool(const TAlbum &)> IsSystemAlbum;
        // Called after an album has been loaded from its file (also when it loaded empty
        // because the file could not be read): the program refills its titles list and, when
        // no title is open in the player and this is the current album, selects the album's
        // current title.
        std::function<void(TAlbum &)> AlbumLoaded;
    };

    explicit TAlbumFile(TContext context) : context_(std::move(context)) {}

    // Writes the album to fileName, or to a new file in the albums folder when fileName is
    // empty. Returns the name written; empty when nothing could be written (every name taken,
    // or a write failure), after telling the user.
    QString SaveToFile(const TAlbum &album, QString fileName) const;
    // SaveToFile with the album's file name; on success the album's FileName is the name
    // written (a new album thus gets its file).
    bool Save(TAlbum &album) const;

    // Empties the album and fills it from the file. An empty fileName leaves the album empty
    // and unloaded (true). A missing file is reported and leaves it empty and unloaded
    // (false). A file that cannot be read asks Retry or Cancel; after Cancel the album loads
    // empty (false).
    bool LoadFromFile(TAlbum &album, const QString &fileName) const;
    // LoadFromFile with the album's file name.
    bool Load(TAlbum &album) const;

    // The largest album file read: an album of a hundred thousand titles is a few MiB; a
    // larger file is not an album, and reading it whole would only fill the memory.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

private:
    TContext context_;
};

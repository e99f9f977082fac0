#pragma once
// The quick look at an album file used when the album list is built: only the caption, and
// whether the file belongs to the system album, without reading the titles.
//
// Threads: any.
#include <QString>

struct TAlbumHeader {
    QString Caption = QStringLiteral("Default Album name");
    // The file carries SysAlbum=1 before its caption.
    bool SystemAlbum = false;
    // The file exists but could not be read; the caption is then the default one.
    bool Unreadable = false;
};

// Reads the "[Album]" section up to its Caption line (keys and values trimmed of blanks). A
// missing file gives the default caption; one that cannot be read, or is larger than an album
// file may be, is Unreadable.
TAlbumHeader ReadAlbumHeader(const QString &fileName);

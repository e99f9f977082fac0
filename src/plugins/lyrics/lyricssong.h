#pragma once
// One title as the view shows it: its words and its notes, read from the file the host has
// loaded. A file that is not a MIDI file, cannot be read, or is larger than any sung song gives
// an empty song with the reason in Problem; nothing in a file, however broken, makes loading
// crash or read past the end.
//
// Threads: Load runs on any thread; a song is read-only once loaded.

#include "karaoketext.h"
#include "notetimeline.h"

#include <QString>

struct TLyricsSong {
    // Larger files are refused before they are read: no sung song comes near it.
    static constexpr qint64 MaxFileSize = 8 * 1024 * 1024;

    QString Path;
    QString Title;   // the karaoke title, else the file's name without its extension
    QString Problem; // why there are no words or notes; "" when the file read well
    TKaraokeText Words;
    TNoteTimeline Notes;

    static TLyricsSong Load(const QString &path);
};

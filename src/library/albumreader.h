#pragma once
// Fills an album from the lines of its album file. The reading is tolerant: unknown keys and
// sections are ignored, a number that is not a decimal integer reads as 0 (a track as none),
// links to titles that do not exist are dropped, and missing internal programs are made
// anew, so that any text gives a loaded album that keeps its invariants.
//
// Threads: main thread only (refreshing a shuffle program draws from the process-wide
// random generator).
#include <QStringList>

class TAlbum;

// album must be empty (unloaded). Afterwards it is loaded: three internal programs, a
// current program, and a current title when it has titles.
void ReadAlbumLines(TAlbum &album, const QStringList &lines);

#pragma once
// Replacing a file the program owns all at once: the bytes go to a new file in the same
// folder, which is flushed to the disk and then renamed over the old one, so the file is
// always either the old one or the new one, whole. A failure (a full disk, a file larger than
// the system allows the program to write, a folder it may not write in) removes the new file,
// leaves the old one as it was and gives the system's own reason.
//
// Threads: any; touches only the file system.

#include <QByteArrayView>
#include <QString>

// Writes bytes to path (through a link, to the file it leads to). mode, when not negative, is the
// new file's permission bits; otherwise a file being replaced keeps its permissions and a new one
// gets the usual ones (0666 less the user's umask). False, with the reason, when the old file (if
// any) stays. A caller writing many files at once may pass flush = false and flush the whole
// file system once at the end (FlushFileSystemOf) before it relies on them.
bool WriteFileAtomically(const QString &path, QByteArrayView bytes, QString &reason, int mode = -1,
                         bool flush = true);

// Flushes everything written to the file system that holds path. False when it could not.
bool FlushFileSystemOf(const QString &path);

#pragma once
// The program's start without windows: sets up the global state, reads the preferences, the
// language and the album list, says what it found, saves everything and ends. It is what
// the program does until the station takes over the start-up.
//
// Threads: main thread only.
#include <QString>
#include <QTextStream>

// Returns the process exit status.
int RunSessionReport(const QString &executablePath, QTextStream &out);

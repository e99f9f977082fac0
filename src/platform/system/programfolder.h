#pragma once
// The program folder: where albums, language files, themes, reset files, plug-ins and news
// files live, and how it is given the files the program ships with.
//
// Threads: any; these functions touch only the file system.

#include <QString>
#include <QStringList>

// The program folder, ending in "/": $TONARIA_HOME when set; else executableFolder when it
// holds the program's data (it has "Lang/English.tlg"); else $XDG_DATA_HOME/tonaria/
// (~/.local/share/tonaria/ when unset). The folder is not created here.
QString LocateProgramFolder(const QString &executableFolder);

// The folder of the files the program ships with, laid out as a program folder is, ending
// in "/": the installed share folder of an installed program, else the source tree's data.
QString ShippedDataFolder();

struct TSeedResult {
    QStringList copied;  // relative names of the files given to the program folder
    QStringList updated; // relative names of the files replaced by a newer shipped copy
    QStringList failed;  // "name: reason" for each file that could not be given
};

// The record, in the program folder, of what each shipped file held when it was given: how a
// later start tells a copy that is as it was shipped from one the user changed.
inline constexpr char kShippedRecordName[] = ".shipped";

// Whether a shipped file (named relative to the shipped folder) is part of the first start's
// welcome: the demo album and its pieces.
bool IsFirstStartFile(const QString &relativeName);

// Gives the program folder every shipped file it lacks, creating folders as needed, and keeps
// the copies current: a copy that is still as it was shipped is replaced when the program
// ships a newer one (the English language file must hold every message the program shows).
// A file the user changed, and a link or folder in a file's place, stay as they are. The first
// start's files are given only while the program folder has no "Albums" folder, and are never
// replaced: they become the user's library. A shipped folder that does not exist, or that is
// the program folder itself, gives nothing.
TSeedResult SeedProgramFolder(const QString &programFolder, const QString &shippedFolder);

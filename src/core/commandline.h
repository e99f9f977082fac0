#pragma once
// The program's command line: media file names and the options "/play" (start playing once
// the files are in) and "/close" (close the program when the title being played ends). An
// option is "/" followed by a name of ASCII letters and digits only; the name is compared
// without regard to case and an unknown name is ignored. Every other non-empty argument is a
// file name: "/home/me/song.mid" and "/song.mid" begin with "/" too and are files. Empty
// arguments are skipped; files keep their order.
//
// Threads: any; a pure function.

#include <QString>
#include <QStringList>
#include <vector>

struct TCommandLineItem {
    enum TKind { File, Play, Close };
    TKind kind = File;
    QString fileName; // for File only
};

struct TCommandLine {
    // The options and files in the order given.
    std::vector<TCommandLineItem> items;
    // True when there was at least one argument, even an empty or unknown one.
    bool hasArguments = false;

    QStringList files() const;
    bool play() const;
    bool close() const;
};

// arguments: the program's arguments without the program's own name. A relative file name is
// taken from `workingFolder` when one is given, and passed on whole: the files of a second
// start reach the first instance, whose working folder is another.
TCommandLine ParseCommandLine(const QStringList &arguments, const QString &workingFolder = {});

#pragma once
// The program's command line: media file names and the options "/play" (start playing once
// the files are in) and "/close" (close the program when the title being played ends). An
// option is "/" followed by a name of ASCII letters and digits only; the name is compared
// without regard to case and an unknown name is ignored. Every other non-empty argument is a
// file name: "/home/me/song.mid" and "/song.mid" begin with "/" too and are files. Empty
// arguments are skipped; files keep their order.
//
// Beside these, the options a Linux user types first: "--help" (or "-h"), "--version" and
// "--devices" ask for something other than the jukebox; "--" ends them, so that "-x.mid" after
// it is a file. Before "--", any other argument that begins with "-" (a lone "-" too) is an
// unknown option and never a file. "/play" and "/close" keep their meaning after "--".
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
    // What the start asks for. The first unknown option wins over everything; else the first
    // of "--help", "--version" and "--devices" given.
    enum TRequest { Run, Help, Version, Devices, UnknownOption };
    TRequest request = Run;
    // The unknown option, as given (for UnknownOption only).
    QString unknownOption;

    // The options and files in the order given.
    std::vector<TCommandLineItem> items;
    // True when there was at least one argument, even an empty or unknown one ("--" is not one).
    bool hasArguments = false;

    QStringList files() const;
    bool play() const;
    bool close() const;
};

// arguments: the program's arguments without the program's own name. A relative file name is
// taken from `workingFolder` when one is given, and passed on whole: the files of a second
// start reach the first instance, whose working folder is another.
TCommandLine ParseCommandLine(const QStringList &arguments, const QString &workingFolder = {});

// What "--help" prints: the switches, the options and the environment the program reads.
QString CommandLineUsage();
// What "--version" prints, one line.
QString CommandLineVersion();

#pragma once
// File associations the freedesktop way: the user's desktop entry for Tonaria, a MIME package
// for the types the system does not define, and the user's default application per MIME type
// (mimeapps.list in $XDG_CONFIG_HOME).
//
// Threads: main thread only. Reading the current defaults only reads files; associating a type
// the system's MIME database lacks runs update-mime-database once, for at most a few seconds.

#include <QByteArray>
#include <QString>
#include <QStringList>

class TDesktopAssociations {
public:
    // The desktop entry's file name, "tonaria.desktop".
    static QString DesktopId();
    // The MIME types an extension (with or without its dot, any case) stands for, the one the
    // desktop looks a file up by first; empty when unknown.
    static QStringList MimeTypesFor(const QString &extension);
    // False for the types this build cannot play (video) and for unknown extensions.
    static bool Supported(const QString &extension);
    // The desktop entry that now opens the extension's files, "" when none: the first entry
    // that is installed among the defaults the user's and the system's mimeapps.list files
    // name, in the order the desktop reads them, else the system's cached choice.
    static QString CurrentDefault(const QString &extension);
    static bool IsTonariaDefault(const QString &extension);
    // Installs the user's desktop entry and MIME package when missing and makes Tonaria the
    // default for every MIME type of the extension. On failure: false and a message in *error.
    static bool Associate(const QString &extension, QString *error);

    // The user's desktop entry for the executable at program: the installed entry, starting
    // that file by its full path.
    static QByteArray DesktopEntryFor(const QString &program);
};

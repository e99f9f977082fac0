#pragma once
// File associations the freedesktop way: the user's desktop entry for Tonaria, a MIME package
// for the types the system does not define, and the user's default application per MIME type
// (mimeapps.list in $XDG_CONFIG_HOME).
//
// Threads: main thread only.

#include <QString>
#include <QStringList>

class TDesktopAssociations {
public:
    // The desktop entry's file name, "tonaria.desktop".
    static QString DesktopId();
    // The MIME types an extension (without the dot, any case) stands for; empty when unknown.
    static QStringList MimeTypesFor(const QString &extension);
    // False for the types this build cannot play (video).
    static bool Supported(const QString &extension);
    // The desktop entry that now opens the extension's first MIME type, "" when none.
    static QString CurrentDefault(const QString &extension);
    static bool IsTonariaDefault(const QString &extension);
    // Installs the user's desktop entry and MIME package when missing and makes Tonaria the
    // default for every MIME type of the extension. On failure: false and a message in *error.
    static bool Associate(const QString &extension, QString *error);
};

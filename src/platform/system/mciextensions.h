#pragma once
// The table of media file extensions and the device that plays each: the "[mci extensions]"
// section of "mci.ini" in the program folder, lines of the form  extension=device .
//
// Threads: any.

#include <QByteArray>
#include <QList>
#include <QString>

struct TMciExtension {
    QString extension; // lower case, without a dot
    QString device;
};

// The pairs in file order. Section and extension names compare without regard to ASCII case;
// an extension listed twice keeps its first entry. Lines starting with ";" and lines without
// "=" are skipped. A missing file gives an empty list.
QList<TMciExtension> ReadMciExtensions(const QString &programFolder);
QList<TMciExtension> ParseMciExtensions(const QByteArray &iniText);

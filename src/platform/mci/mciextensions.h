#pragma once
// The table that chooses a media device by a file's extension: the [mci extensions] section of
// mci.ini in the program folder ("mid=sequencer"). Without the file, or without the section,
// the shipped defaults hold.
//
// Threads: any, one object per thread (a plain value).

#include <QList>
#include <QPair>
#include <QString>

class TMciExtensionTable {
public:
    // The shipped defaults.
    TMciExtensionTable();

    // Reads the section from the file; a missing or unreadable file, or a file without the
    // section, keeps the defaults.
    static TMciExtensionTable fromFile(const QString &iniPath);
    // Reads the section from the text of an INI file (CR, LF or CR LF line ends).
    static TMciExtensionTable fromText(const QString &text);

    // The device name for a file: by the text after the last dot of its file-name part,
    // compared without letter case; empty when no device is named for it.
    QString deviceFor(const QString &fileName) const;

    // The pairs (extension in lower case, device name) in file order.
    const QList<QPair<QString, QString>> &pairs() const { return pairs_; }

private:
    QList<QPair<QString, QString>> pairs_;
};

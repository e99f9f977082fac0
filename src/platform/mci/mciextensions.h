#pragma once
// The table that chooses a media device by a file's extension: the [mci extensions] section of
// mci.ini in the program folder ("mid=sequencer"). Without the file, the shipped defaults hold.
//
// Threads: any; a plain value.

#include "platform/system/mciextensions.h"

#include <QList>
#include <QString>

class TMciExtensionTable {
public:
    // The shipped defaults.
    TMciExtensionTable();
    explicit TMciExtensionTable(const QList<TMciExtension> &pairs) : pairs_(pairs) {}

    // The table of mci.ini in the program folder, or the defaults when there is no such file.
    static TMciExtensionTable fromProgramFolder(const QString &programFolder);

    // The device name for a file: by the text after the last dot of its file-name part,
    // compared without letter case; empty when no device is named for it.
    QString deviceFor(const QString &fileName) const;

    const QList<TMciExtension> &pairs() const { return pairs_; }

private:
    QList<TMciExtension> pairs_;
};

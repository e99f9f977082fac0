#pragma once
// Unpacks one member of a ZIP archive into a folder, through libzip.
//
// The member is written under a plain file name that the caller chooses, never under the path
// stored in the archive, so nothing lands outside the folder. A member that is a symbolic link,
// a folder or another special file is refused; so is a member that does not fit on the disk,
// that is damaged, or that is encrypted. The file appears whole or not at all: it is written
// to a temporary name in the same folder and renamed when complete. A link already standing
// under the file's name is replaced, never written through.
//
// Threads: any, one object per thread. Extract runs to its end before it returns.
#include <QByteArray>
#include <QString>

class TZipExtractor {
public:
    // Unpacks the member whose stored name is `memberName` (the name's bytes as the archive
    // holds them) from `archive` into `folder` as the file `fileName`, replacing a file of that
    // name. `fileName` must be a plain name: not empty, not "." or "..", without "/". The
    // folder must exist. Returns the number of files unpacked: 1, or 0 on any failure.
    int Extract(const QString &archive, const QByteArray &memberName, const QString &folder,
                const QString &fileName);

    // Whether `name` can serve as the name of a file directly inside a folder.
    static bool IsPlainFileName(const QString &name);
};

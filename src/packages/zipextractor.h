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
// A member larger than the limits allow, by what the archive declares or by what its data
// turns out to hold, is refused. The data is unpacked in blocks and counted as it comes, so a
// member that lies about its size is stopped at the limit, not at the end of the disk.
//
// Threads: any, one object per thread. Extract runs to its end, or until `stop` is requested
// (looked at between blocks of 64 KiB), before it returns.
#include "packages/ziplimits.h"

#include <QByteArray>
#include <QString>

#include <stop_token>

class TZipExtractor {
public:
    // Unpacks the member whose stored name is `memberName` (the name's bytes as the archive
    // holds them) from `archive` into `folder` as the file `fileName`, replacing a file of that
    // name. `fileName` must be a plain name: not empty, not "." or "..", without "/". The
    // folder must exist. Returns the number of files unpacked: 1, or 0 on any failure and when
    // stopped, with LastError saying why.
    int Extract(const QString &archive, const QByteArray &memberName, const QString &folder,
                const QString &fileName, const TZipLimits &limits = {},
                std::stop_token stop = {});

    // Why the last Extract unpacked nothing, in a few technical words; empty after a success.
    const QString &LastError() const { return lastError_; }

    // Whether `name` can serve as the name of a file directly inside a folder.
    static bool IsPlainFileName(const QString &name);

private:
    int Fail(const char *why);

    QString lastError_;
};

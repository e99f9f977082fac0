#pragma once
// One package, listed and unpacked where the caller runs: the work behind the package manager.
// It lists the playable members of a ".zip" archive, unpacks the current one into the
// program's temporary folder, and deletes what it unpacked when the member changes, the
// package closes or the object goes away.
//
// A member is always unpacked as the file name part of its stored name directly inside the
// temporary folder; a stored name that is absolute or climbs out with ".." cannot place a file
// anywhere else. A package whose playable members together declare more than the limits allow
// does not open, and a member over the limits does not unpack.
//
// Listing and unpacking read the archive in blocks and give up between two blocks when the
// stop token asks them to; what was cut short is forgotten (a listing) or deleted (a file).
//
// Threads: any, one object per thread; the package manager runs it on its worker thread.
#include "packages/zipdirectory.h"
#include "packages/zipextractor.h"
#include "packages/ziplimits.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <stop_token>

class TZipPackage {
public:
    // `tempFolder` is the program's private scratch folder; nothing is written anywhere else.
    explicit TZipPackage(QString tempFolder, TZipLimits limits = {});
    // Deletes whatever was unpacked.
    ~TZipPackage();
    TZipPackage(const TZipPackage &) = delete;
    TZipPackage &operator=(const TZipPackage &) = delete;

    // Stores the path of the package to open next.
    void SetPackage(const QString &path);
    // Lists the playable members of the stored package: every member whose file name part is
    // not blank and is not itself a ".zip" package, in archive order. Returns whether there is
    // one; if so the first is current. A package file that does not exist lists nothing.
    // Throws EZipStreamError when the file cannot be read as an archive, its members are too
    // large together, or `stop` was requested; the listing is then empty.
    bool OpenPackage(std::stop_token stop = {});
    // Chooses the current member; the caller keeps it within the entries.
    void SetIndex(int index);
    // Deletes what was unpacked before and unpacks the current member. On success the current
    // file and caption are set and true is returned; otherwise both stay empty and
    // LastError says why.
    bool UnpackCurrent(std::stop_token stop = {});
    // Deletes what was unpacked and forgets the package's members.
    void ClosePackage();
    // Deletes what was unpacked; the current file and caption are empty.
    void CleanUp();

    // Opening a package title: stores `path`, lists it and unpacks its first member; returns
    // the unpacked file. Throws EZipStreamError ("Error" when the package holds nothing to play
    // or its first member cannot be unpacked, or a listing error).
    QString OpenTitle(const QString &path);

    const QString &Package() const { return package_; }
    const QString &TempFolder() const { return tempFolder_; }
    // Whether the stored package's members are listed.
    bool Listed() const { return listed_; }
    // The stored names of the playable members, in archive order.
    const QStringList &Entries() const { return entries_; }
    int Count() const { return int(entries_.size()); }
    // The current member; -1 when there is none.
    int CurrentIndex() const { return currentIndex_; }
    // The full path of the unpacked current member; empty when none is unpacked.
    const QString &CurrentFile() const { return currentFile_; }
    // The current member's caption, tidied from its file name ("MY_SONG.MID" gives "My Song").
    const QString &CurrentCaption() const { return currentCaption_; }
    // A second line for the caption: the current member's stored name; empty when none is
    // unpacked.
    const QString &CurrentSubCaption() const { return currentSubCaption_; }
    // Why the last UnpackCurrent failed; empty after a success.
    const QString &LastError() const { return lastError_; }

    // The file name part of a stored member name: what follows the last "/" or "\".
    static QString NamePart(const QString &entry);

private:
    void ForgetEntries();

    QString tempFolder_;
    TZipLimits limits_;
    QString package_;
    bool listed_ = false;
    QStringList entries_;
    // The entries' names as the archive stores them, to find them again when unpacking.
    QByteArrayList storedNames_;
    int currentIndex_ = -1;
    QString currentFile_;
    QString currentCaption_;
    QString currentSubCaption_;
    QString lastError_;
    QStringList unpackedFiles_;
    TZipDirectory directory_;
    TZipExtractor extractor_;
};

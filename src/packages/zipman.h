#pragma once
// The package manager: a title that names a ".zip" archive plays the archive's members one
// after another. The manager lists the playable members, unpacks the current one into the
// program's temporary folder, gives its path and captions to the transport, and deletes what
// it unpacked when the member changes, the package closes or the manager goes away.
//
// A member is always unpacked as the file name part of its stored name directly inside the
// temporary folder; a stored name that is absolute or climbs out with ".." cannot place a file
// anywhere else.
//
// Threads: main thread only.
#include "packages/zipdirectory.h"
#include "packages/zipextractor.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>

class TZipMan {
public:
    // `tempFolder` is the program's private scratch folder; the manager writes nothing
    // anywhere else.
    explicit TZipMan(QString tempFolder);
    // Deletes whatever the manager unpacked.
    ~TZipMan();
    TZipMan(const TZipMan &) = delete;
    TZipMan &operator=(const TZipMan &) = delete;

    // Stores the path of the package to open next.
    void SetPackage(const QString &path);
    // Lists the playable members of the stored package: every member whose file name part is
    // not blank and is not itself a ".zip" package, in archive order. Returns whether there is
    // one; if so the first is current. A package file that does not exist lists nothing.
    // Throws EZipStreamError when the file cannot be read as an archive.
    bool OpenPackage();
    // Chooses the current member; the caller keeps it within the entries.
    void SetIndex(int index);
    // Deletes what was unpacked before and unpacks the current member. On success the current
    // file and caption are set and true is returned; otherwise both stay empty.
    bool UnpackCurrent();
    // Deletes what was unpacked and forgets the package's members.
    void ClosePackage();

    // Opening a package title: stores `path`, lists it and unpacks its first member; returns
    // the unpacked file. Throws EZipStreamError ("Error" when the package holds nothing to play
    // or its first member cannot be unpacked, or a listing error).
    QString OpenTitle(const QString &path);

    const QString &Package() const { return package_; }
    const QString &TempFolder() const { return tempFolder_; }
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

    // The file name part of a stored member name: what follows the last "/" or "\".
    static QString NamePart(const QString &entry);

private:
    void CleanUp();

    QString tempFolder_;
    QString package_;
    QStringList entries_;
    // The entries' names as the archive stores them, to find them again when unpacking.
    QByteArrayList storedNames_;
    int currentIndex_ = -1;
    QString currentFile_;
    QString currentCaption_;
    QString currentSubCaption_;
    QStringList unpackedFiles_;
    TZipDirectory directory_;
    TZipExtractor extractor_;
};

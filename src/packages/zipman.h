#pragma once
// The package manager: a title that names a ".zip" archive plays the archive's members one
// after another. The manager lists the playable members, unpacks the current one into the
// program's temporary folder, gives its path and captions to the transport, and deletes what
// it unpacked when the member changes, the package closes or the manager goes away.
//
// Listing and unpacking take as long as the archive makes them take, so they run on the
// manager's own worker thread; the user-interface thread only asks and is told. Prepare
// returns at once; when the member is ready (or cannot be), the manager's fields change and
// the caller's callback runs, both on the thread that owns the manager, by its event loop. A
// newer request, Cancel or ClosePackage stops the work under way between two blocks of the
// archive and drops its answer, so at most one answer is ever outstanding and it is always
// for the latest request. Destroying the manager stops the worker the same way and waits for
// it (a fraction of a second at most).
//
// The work itself, with its limits against archives that would fill the disk, is TZipPackage.
//
// Threads: the thread that creates the manager (the main thread) only.
#include "packages/ziplimits.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>
#include <memory>
#include <stop_token>

class TZipPackage;

class TZipMan : public QObject {
public:
    // Told whether the member asked for is unpacked and current.
    using TDone = std::function<void(bool unpacked)>;

    // `tempFolder` is the program's private scratch folder; the manager writes nothing
    // anywhere else.
    explicit TZipMan(QString tempFolder, TZipLimits limits = {});
    // Stops the work under way, deletes whatever was unpacked and ends the worker.
    ~TZipMan() override;
    TZipMan(const TZipMan &) = delete;
    TZipMan &operator=(const TZipMan &) = delete;

    // Makes member `index` of the package at `path` current: lists the package first unless
    // it is the one listed, deletes the member unpacked before, and unpacks this one. Returns
    // at once with Package and CurrentIndex set; the current file and captions stay as they
    // are (the earlier member may go on playing) until the answer. Then the entries, the
    // current file and the captions are those of the result (all empty on failure, with
    // FailureReason saying why) and `done` runs, unless `context` was destroyed meanwhile.
    // A package that does not list, has nothing to play, or whose member does not unpack
    // fails.
    void Prepare(const QString &path, int index, QObject *context, TDone done);
    // Stops the request under way, if any; its answer never comes, and the worker deletes
    // what it had unpacked.
    void Cancel();
    // A request is under way.
    bool Busy() const { return busy_; }
    // Stops the request under way and forgets the package; the worker deletes what it
    // unpacked.
    void ClosePackage();

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
    // A second line for the caption: the current member's stored name.
    const QString &CurrentSubCaption() const { return currentSubCaption_; }
    // Why the last request failed, in technical words for the log; empty after a success.
    const QString &FailureReason() const { return failureReason_; }

private:
    struct TOutcome;
    // Worker thread: does one request on the package.
    TOutcome Work(const QString &path, int index, std::stop_token stop);
    // Stops the request under way and drops its answer.
    void StopWork();
    // Takes an outcome's fields.
    void Take(const TOutcome &outcome);

    QString tempFolder_;
    // Lives on the worker thread from construction to destruction; only jobs touch it.
    std::unique_ptr<TZipPackage> work_;
    QThread thread_;
    QObject *worker_ = nullptr; // a context object living on the worker thread
    std::stop_source stop_;
    quint64 request_ = 0;
    bool busy_ = false;

    QString package_;
    QStringList entries_;
    int currentIndex_ = -1;
    QString currentFile_;
    QString currentCaption_;
    QString currentSubCaption_;
    QString failureReason_;
};

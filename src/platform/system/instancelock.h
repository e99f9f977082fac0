#pragma once
// The marker of the first instance: an exclusive flock on a lock file in the user's private
// runtime folder. Whoever holds the lock is the first instance; the kernel drops the lock when
// that process ends, however it ends, so a crash never leaves a start locked out. The lock file
// itself is never removed: removing it would let two starts lock two different files.
//
// Threads: one object is used by one thread at a time; the lock belongs to the process.

#include <QString>

// The folder of the instance lock and the hand-off socket: "instance" in the runtime folder's
// "tonaria" ($XDG_RUNTIME_DIR), or without one in the user's cache folder's "tonaria"; each
// private to the user (mode 0700, never a link, never someone else's). A folder of its own,
// so that nothing unpacked into the temporary folder can take the name of the lock file.
// Returns the path without a trailing "/", or an empty string with *error set.
QString PrepareInstanceFolder(QString *error = nullptr);

class TInstanceLock {
public:
    // The lock file is folder + "/instance.lock".
    explicit TInstanceLock(const QString &folder);
    ~TInstanceLock(); // releases the lock if held
    TInstanceLock(const TInstanceLock &) = delete;
    TInstanceLock &operator=(const TInstanceLock &) = delete;

    // Takes the lock without waiting. True when this object holds it (also when it already
    // did); false when another holder has it or the file cannot be opened (see error()).
    bool tryLock();
    void unlock();
    bool isLocked() const { return fd_ >= 0; }

    // Why the last tryLock() failed; empty when another instance simply holds the lock.
    QString error() const { return error_; }
    QString fileName() const { return fileName_; }

private:
    QString fileName_;
    QString error_;
    int fd_ = -1;
};

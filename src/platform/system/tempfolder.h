#pragma once
// The private scratch folder where package members are unpacked: per user, mode 0700, never a
// folder other users can reach or replace. Another user could read the names of what is
// unpacked there and swap the files before the player opens them, so a folder that is not
// the user's own is never written into.
//
// Threads: any; touches only the file system.

#include <QString>

struct TTempFolder {
    QString path; // without a trailing "/"; empty when no private folder could be had
    bool ok = false;
    QString error; // why the usual place, or any place, could not be used
    // The usual place when it was passed over (someone else's folder, a link, not a folder):
    // the user is told, and path is then a fresh folder of this run's own.
    QString refused;
};

// $XDG_RUNTIME_DIR/tonaria when that variable names a folder and the place is (or can be made)
// the user's own private folder. Otherwise a fresh folder of an unpredictable name, created
// with mode 0700 in $TMPDIR (or /tmp), that no one else can have prepared.
TTempFolder PreparePrivateTempFolder();

// Makes sure the given path is a private folder of the user: created with mode 0700; an
// existing one is used only when it is a real folder (not a link) owned by the user, and its
// mode is narrowed to 0700. When it cannot be used, ok is false and path still names it.
TTempFolder PreparePrivateFolder(const QString &path);

// The runtime folder's "tonaria" when $XDG_RUNTIME_DIR names a folder; empty otherwise.
QString RuntimeFolder();

#pragma once
// The private scratch folder where package members are unpacked: per user, mode 0700, never a
// folder other users can reach or replace.
//
// Threads: any; touches only the file system.

#include <QString>

struct TTempFolder {
    QString path; // without a trailing "/"
    bool ok = false;
    QString error; // why the folder cannot be used, when not ok
};

// $XDG_RUNTIME_DIR/tonaria when that variable names a folder, else /tmp/tonaria-<uid>. The folder
// is created with mode 0700; an existing one is used only when it is a real folder (not a link)
// owned by the user, and its mode is narrowed to 0700. When it cannot be used, ok is false and
// path still names it, for the message.
TTempFolder PreparePrivateTempFolder();
// The same for a given path (for tests and for callers that choose the place themselves).
TTempFolder PreparePrivateFolder(const QString &path);

#pragma once
// The recent-files list behind the "Reopen" menu: the ten newest names, newest first, each
// at most once, with a number the owner keeps beside each (the player's device index). It
// lives in the registry under "Recent" of the program's key as the values "File1", "Data1",
// "File2", ... (1 the newest).
//
// Threads: main thread only.

#include "platform/system/registry.h"

#include <QObject>
#include <QString>

#include <vector>

struct TRecentFile {
    QString Name;
    int Data = 0;
};

class TRecentFiles : public QObject {
    Q_OBJECT

public:
    static constexpr int Capacity = 10;

    const std::vector<TRecentFile> &Items() const { return items_; }
    // Puts the name first; an entry of the same name moves up (with the new data), and the
    // oldest falls off past the capacity. An empty name is not kept.
    void Add(const QString &name, int data = 0);
    void Clear();

    // Reads the list; missing or malformed values are passed over.
    void Load(TRegistry &registry);
    // Replaces the stored list with this one (written to the file by the registry's Flush).
    bool Save(TRegistry &registry) const;

signals:
    // After every change (the "Reopen" menu rebuilds itself).
    void changed();

private:
    void Changed();
    std::vector<TRecentFile> items_;
};

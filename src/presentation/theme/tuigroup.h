#pragma once
// One group of a theme: the entries for screens of one colour depth (its number, in bits per
// pixel). Each entry is kept as one line "key=value"; within a group keys are unique without
// regard to letter case.
//
// Threads: main thread only, like the theme manager that owns the groups.

#include "localisation/lmgroup.h"

#include <QString>
#include <QStringList>

class TUIGroup {
public:
    explicit TUIGroup(int number) : number_(number) {}

    int Number() const { return number_; }
    const QStringList &Lines() const { return entries_.Lines(); }
    qsizetype Count() const { return entries_.Count(); }
    QString Value(QStringView key) const { return entries_.Value(key); }

    // Replaces the entry with that key (letter case aside) or appends it.
    void SetEntry(const QString &key, const QString &value) { entries_.SetEntry(key, value); }
    // Sorts the entries alphabetically without regard to letter case, as files are written.
    void Sort() { entries_.Sort(); }

private:
    int number_;
    TLMGroup entries_{QString()};
};

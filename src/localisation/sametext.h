#pragma once
// Names of groups and entries match without regard to letter case. Only the ASCII letters
// fold, whatever the user's locale, so a language file means the same on every machine.
//
// Threads: any (pure functions).

#include <QString>
#include <QStringView>

inline char16_t FoldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

// Negative, zero or positive as a sorts before, equal to or after b, ASCII letters folded.
inline int CompareText(QStringView a, QStringView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = FoldAscii(a[i].unicode());
        const char16_t y = FoldAscii(b[i].unicode());
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline bool SameText(QStringView a, QStringView b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

#pragma once
// Letter case that does not depend on the user's locale: only the ASCII letters "A" to "Z" and
// "a" to "z" have a case here, so names, keys, extensions and options match the same way on
// every machine, and a look-alike letter of another script never matches a plain one.
//
// Comparisons fold to capitals, so that "_" and the other characters between "Z" and "a"
// sort after every letter, as they always have in this program's lists.
//
// Threads: any (pure functions).

#include <QString>
#include <QStringView>

inline char16_t AsciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

inline char16_t AsciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

inline bool IsAsciiUpper(char16_t c)
{
    return c >= u'A' && c <= u'Z';
}

inline bool IsAsciiLower(char16_t c)
{
    return c >= u'a' && c <= u'z';
}

// The text with its ASCII capitals made small; every other character stays.
QString AsciiLower(QStringView text);

// Negative, zero or positive as a sorts before, equal to or after b, letter by letter with
// the ASCII letters folded to capitals; a text sorts before any longer text it begins.
int CompareAsciiNoCase(QStringView a, QStringView b);

inline bool SameAsciiNoCase(QStringView a, QStringView b)
{
    return a.size() == b.size() && CompareAsciiNoCase(a, b) == 0;
}

#include "platform/system/asciicase.h"

#include <algorithm>

QString AsciiLower(QStringView text)
{
    QString lower = text.toString();
    for (QChar &c : lower)
        c = QChar(AsciiLower(c.unicode()));
    return lower;
}

int CompareAsciiNoCase(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = AsciiUpper(a[i].unicode());
        const char16_t y = AsciiUpper(b[i].unicode());
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

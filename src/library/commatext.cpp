#include "library/commatext.h"

namespace {

// Characters 1 to 32 separate items; character 0 is an ordinary character.
bool IsSeparatorBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

bool NeedsQuotes(const QString &item)
{
    for (const QChar c : item) {
        if (c.unicode() <= 32 || c == u'"' || c == u',') return true;
    }
    return false;
}

} // namespace

QStringList SplitCommaText(QStringView text)
{
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && IsSeparatorBlank(text[i]))
        ++i;
    while (i < n) {
        QString item;
        if (text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i; // the closing quote
                    break;
                }
                item += text[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && !IsSeparatorBlank(text[i]) && text[i] != u',')
                ++i;
            item = text.mid(start, i - start).toString();
        }
        items.append(item);
        while (i < n && IsSeparatorBlank(text[i]))
            ++i;
        if (i < n && text[i] == u',') {
            ++i;
            while (i < n && IsSeparatorBlank(text[i]))
                ++i;
        }
    }
    return items;
}

QString QuoteCommaItem(const QString &item)
{
    if (!NeedsQuotes(item)) return item;
    QString quoted;
    quoted.reserve(item.size() + 2);
    quoted += u'"';
    for (const QChar c : item) {
        if (c == u'"') quoted += u'"';
        quoted += c;
    }
    quoted += u'"';
    return quoted;
}

QString JoinCommaText(const QStringList &items)
{
    if (items.size() == 1 && items.front().isEmpty()) return QStringLiteral("\"\"");
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0) text += u',';
        text += QuoteCommaItem(items[i]);
    }
    return text;
}

#include "settings/filefilter.h"

#include "library/commatext.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace {

QString asciiLower(QString text)
{
    for (QChar &c : text) {
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
    }
    return text;
}

// The usable extensions of a list, in their order, each once. An empty item, or one that would
// break the filter's "|" structure, is left out.
QStringList extensionsOf(const QString &list)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &item : SplitCommaText(list)) {
        if (item.isEmpty() || item.contains(u'|') ||
            std::any_of(item.cbegin(), item.cend(), [](QChar c) { return c.unicode() < 32; }))
            continue;
        const QString key = asciiLower(item);
        if (seen.contains(key)) continue;
        seen.insert(key);
        result.append(item);
    }
    return result;
}

QString patternPair(const QStringList &extensions)
{
    QStringList patterns;
    for (const QString &e : extensions)
        patterns.append(QStringLiteral("*.") + e);
    return QStringLiteral(" (") + patterns.join(QStringLiteral(", ")) + QStringLiteral(")|") +
           patterns.join(u';') + u'|';
}

} // namespace

QString BuildFileFilter(const QList<TFilterDevice> &devices, const QList<TMciExtension> &extensions)
{
    QStringList lists(devices.size());
    for (const TMciExtension &pair : extensions) {
        const QString device = asciiLower(pair.device);
        for (qsizetype d = 0; d < devices.size(); ++d) {
            if (asciiLower(devices[d].Name) == device) {
                lists[d] += u'"' + asciiLower(pair.extension) + QStringLiteral("\" ");
                break;
            }
        }
    }
    for (qsizetype d = 0; d < devices.size(); ++d) {
        if (devices[d].PluginExtensions) lists[d] = *devices[d].PluginExtensions;
    }

    QList<QStringList> perDevice;
    QStringList all;
    QSet<QString> seen;
    for (const QString &list : lists) {
        perDevice.append(extensionsOf(list));
        for (const QString &e : perDevice.last()) {
            if (!seen.contains(asciiLower(e))) {
                seen.insert(asciiLower(e));
                all.append(e);
            }
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const QString &a, const QString &b) {
        return asciiLower(a) < asciiLower(b);
    });

    QString filter = QStringLiteral("Supported files") + patternPair(all);
    for (qsizetype d = 0; d < devices.size(); ++d) {
        if (!perDevice[d].isEmpty()) filter += devices[d].Description + patternPair(perDevice[d]);
    }
    return filter + QStringLiteral("All files (*.*)|*.*");
}

QStringList QtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        // The description's own list of patterns gives way to the dialog's.
        if (description.endsWith(u')')) {
            const qsizetype open = description.lastIndexOf(QStringLiteral(" ("));
            if (open >= 0) description.truncate(open);
        }
        const QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        result.append(description + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return result;
}

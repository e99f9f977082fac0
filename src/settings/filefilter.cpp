#include "settings/filefilter.h"

#include "library/commatext.h"
#include "platform/system/asciicase.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace {

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
        const QString key = AsciiLower(item);
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
        for (qsizetype d = 0; d < devices.size(); ++d) {
            if (SameAsciiNoCase(devices[d].Name, pair.device)) {
                lists[d] += u'"' + AsciiLower(pair.extension) + QStringLiteral("\" ");
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
            if (!seen.contains(AsciiLower(e))) {
                seen.insert(AsciiLower(e));
                all.append(e);
            }
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const QString &a, const QString &b) {
        return CompareAsciiNoCase(a, b) < 0;
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

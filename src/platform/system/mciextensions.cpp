#include "platform/system/mciextensions.h"

#include "platform/system/asciicase.h"
#include "platform/system/textdecoding.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {

} // namespace

QList<TMciExtension> ParseMciExtensions(const QByteArray &iniText)
{
    QList<TMciExtension> pairs;
    QSet<QString> seen;
    bool inSection = false;
    const QString text = DecodeText(iniText);
    for (QString line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            inSection =
                close > 0 && AsciiLower(line.mid(1, close - 1).trimmed()) == u"mci extensions";
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inSection || eq <= 0) continue;
        QString extension = AsciiLower(line.left(eq).trimmed());
        if (extension.startsWith(u'.')) extension.remove(0, 1);
        const QString device = line.mid(eq + 1).trimmed();
        if (extension.isEmpty() || device.isEmpty() || seen.contains(extension)) continue;
        seen.insert(extension);
        pairs.append({extension, device});
    }
    return pairs;
}

QList<TMciExtension> ReadMciExtensions(const QString &programFolder)
{
    QString path = programFolder;
    if (!path.endsWith(u'/')) path += u'/';
    QFile file(path + QStringLiteral("mci.ini"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    // An extension table is a few lines; a huge file is not one.
    return ParseMciExtensions(file.read(1024 * 1024));
}

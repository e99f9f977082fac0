#include "platform/mci/mciextensions.h"

#include <QFile>

TMciExtensionTable::TMciExtensionTable()
{
    const char *const sequencer[] = {"mid", "rmi", "kar"};
    const char *const wave[] = {"wav", "aif", "aiff", "flac", "ogg", "oga", "opus", "mp3"};
    for (const char *ext : sequencer)
        pairs_.append({QString::fromLatin1(ext), QStringLiteral("sequencer")});
    for (const char *ext : wave)
        pairs_.append({QString::fromLatin1(ext), QStringLiteral("waveaudio")});
}

TMciExtensionTable TMciExtensionTable::fromFile(const QString &iniPath)
{
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly)) return TMciExtensionTable();
    // The file is small; refuse anything absurd rather than read it all.
    if (file.size() > 1024 * 1024) return TMciExtensionTable();
    return fromText(QString::fromUtf8(file.readAll()));
}

TMciExtensionTable TMciExtensionTable::fromText(const QString &text)
{
    TMciExtensionTable table;
    QList<QPair<QString, QString>> pairs;
    bool inSection = false;
    bool sectionSeen = false;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QChar(u'\r'), QChar(u'\n'));
    const QStringList lines = normalised.split(QChar(u'\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QChar(u';'))) continue;
        if (line.startsWith(QChar(u'['))) {
            const qsizetype close = line.indexOf(QChar(u']'));
            const QString section = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = section.compare(QStringLiteral("mci extensions"), Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) continue;
        const qsizetype eq = line.indexOf(QChar(u'='));
        if (eq <= 0) continue;
        const QString ext = line.left(eq).trimmed().toLower();
        // The value may carry more words after the device name; the name is the first.
        const QString value = line.mid(eq + 1).trimmed().section(QChar(u' '), 0, 0);
        if (ext.isEmpty() || value.isEmpty()) continue;
        pairs.append({ext, value});
    }
    if (sectionSeen) table.pairs_ = pairs;
    return table;
}

QString TMciExtensionTable::deviceFor(const QString &fileName) const
{
    const qsizetype slash =
        std::max(fileName.lastIndexOf(QChar(u'/')), fileName.lastIndexOf(QChar(u'\\')));
    const QString base = fileName.mid(slash + 1);
    const qsizetype dot = base.lastIndexOf(QChar(u'.'));
    if (dot < 0) return QString();
    const QString ext = base.mid(dot + 1);
    for (const auto &pair : pairs_) {
        if (pair.first.compare(ext, Qt::CaseInsensitive) == 0) return pair.second;
    }
    return QString();
}

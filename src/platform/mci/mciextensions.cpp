#include "platform/mci/mciextensions.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

TMciExtensionTable::TMciExtensionTable()
{
    const char *const sequencer[] = {"mid", "rmi", "kar"};
    const char *const wave[] = {"wav", "aif", "aiff", "flac", "ogg", "oga", "opus", "mp3"};
    for (const char *ext : sequencer)
        pairs_.append({QString::fromLatin1(ext), QStringLiteral("sequencer")});
    for (const char *ext : wave)
        pairs_.append({QString::fromLatin1(ext), QStringLiteral("waveaudio")});
}

TMciExtensionTable TMciExtensionTable::fromProgramFolder(const QString &programFolder)
{
    if (!QFileInfo::exists(QDir(programFolder).filePath(QStringLiteral("mci.ini"))))
        return TMciExtensionTable();
    return TMciExtensionTable(ReadMciExtensions(programFolder));
}

QString TMciExtensionTable::deviceFor(const QString &fileName) const
{
    const qsizetype slash =
        std::max(fileName.lastIndexOf(QChar(u'/')), fileName.lastIndexOf(QChar(u'\\')));
    const QString base = fileName.mid(slash + 1);
    const qsizetype dot = base.lastIndexOf(QChar(u'.'));
    if (dot < 0) return QString();
    const QString ext = base.mid(dot + 1);
    for (const TMciExtension &pair : pairs_) {
        if (pair.extension.compare(ext, Qt::CaseInsensitive) == 0)
            return pair.device.section(QChar(u' '), 0, 0);
    }
    return QString();
}

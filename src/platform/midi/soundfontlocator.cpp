#include "platform/midi/soundfontlocator.h"

#include <QDir>
#include <QFileInfo>

QString TSoundFontLocator::locate()
{
    return locate(qEnvironmentVariable("TONARIA_SOUNDFONT"), QString::fromLatin1(DefaultFolder));
}

QString TSoundFontLocator::locate(const QString &environmentValue, const QString &folder)
{
    if (!environmentValue.isEmpty() && QFileInfo(environmentValue).isFile())
        return environmentValue;
    const QDir dir(folder);
    const QString preferred = dir.filePath(QStringLiteral("default-GM.sf2"));
    if (QFileInfo(preferred).isFile()) return preferred;
    const QFileInfoList found =
        dir.entryInfoList({QStringLiteral("*.sf2"), QStringLiteral("*.SF2")},
                          QDir::Files | QDir::Readable, QDir::Name);
    return found.isEmpty() ? QString() : found.first().filePath();
}

#include "platform/system/programfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(u'/')) folder += u'/';
    return folder;
}

// Copies a file through a temporary file in the target's folder, so that a target is either
// whole or absent.
QString copyFile(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return in.errorString();
    if (!QDir().mkpath(QFileInfo(to).absolutePath()))
        return QStringLiteral("cannot create the folder");
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) return out.errorString();
    while (!in.atEnd()) {
        const QByteArray block = in.read(64 * 1024);
        if (block.isEmpty() && in.error() != QFileDevice::NoError) return in.errorString();
        if (out.write(block) != block.size()) return out.errorString();
    }
    if (!out.commit()) return out.errorString();
    return QString();
}

} // namespace

QString LocateProgramFolder(const QString &executableFolder)
{
    const QString home = qEnvironmentVariable("TONARIA_HOME");
    if (!home.isEmpty()) return withSlash(QDir(home).absolutePath());
    if (!executableFolder.isEmpty() &&
        QFileInfo(withSlash(executableFolder) + QStringLiteral("Lang/English.tlg")).isFile())
        return withSlash(QDir(executableFolder).absolutePath());
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(data) + QStringLiteral("tonaria/");
}

QString ShippedDataFolder()
{
    return withSlash(QStringLiteral(TONARIA_DATA_DIR));
}

bool IsFirstStartFile(const QString &relativeName)
{
    return relativeName.startsWith(QLatin1String("Albums/")) ||
           relativeName.startsWith(QLatin1String("Demo/"));
}

TSeedResult SeedProgramFolder(const QString &programFolder, const QString &shippedFolder)
{
    TSeedResult result;
    const QFileInfo shipped(shippedFolder);
    if (!shipped.isDir()) return result;
    const QString target = withSlash(programFolder);
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == shipped.canonicalFilePath())
        return result;

    // The demo album and its pieces are a first start's welcome: a program folder that already
    // has an albums folder has a library of its own, and an album the user deleted stays gone.
    const bool firstStart = !QFileInfo(target + QStringLiteral("Albums")).exists();

    const QDir source(shippedFolder);
    QDirIterator it(shippedFolder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString name = source.relativeFilePath(from);
        if (!firstStart && IsFirstStartFile(name)) continue;
        const QString to = target + name;
        const QFileInfo existing(to);
        if (existing.exists() || existing.isSymLink()) continue;
        const QString why = copyFile(from, to);
        if (why.isEmpty())
            result.copied.append(name);
        else
            result.failed.append(name + QStringLiteral(": ") + why);
    }
    result.copied.sort();
    return result;
}

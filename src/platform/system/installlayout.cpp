#include "platform/system/installlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString ExecutableFolder()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

// The prefix an executable in <prefix>/bin belongs to, "" for any other folder.
QString PrefixOf(const QString &executableFolder)
{
    if (executableFolder.isEmpty()) return {};
    const QDir folder(QDir::cleanPath(QDir(executableFolder).absolutePath()));
    if (folder.dirName() != QLatin1String("bin") || folder.isRoot()) return {};
    return QDir::cleanPath(folder.absoluteFilePath(QStringLiteral("..")));
}

} // namespace

QString InstalledDataFolderFor(const QString &executableFolder)
{
    const QString prefix = PrefixOf(executableFolder);
    if (prefix.isEmpty()) return {};
    const QString data = prefix + QStringLiteral("/share/tonaria/");
    // The English language file is what every program folder has.
    return QFileInfo(data + QStringLiteral("Lang/English.tlg")).isFile() ? data : QString();
}

QString InstalledPluginsFolderFor(const QString &executableFolder)
{
    if (InstalledDataFolderFor(executableFolder).isEmpty()) return {};
    const QString plugins = PrefixOf(executableFolder) + QStringLiteral("/lib/tonaria/Plugins/");
    return QFileInfo(plugins).isDir() ? plugins : QString();
}

QString InstalledDataFolder()
{
    return InstalledDataFolderFor(ExecutableFolder());
}
QString InstalledPluginsFolder()
{
    return InstalledPluginsFolderFor(ExecutableFolder());
}

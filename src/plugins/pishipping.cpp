#include "plugins/pishipping.h"

#include "platform/system/installlayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdlib>

namespace {

QString WithSlash(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder;
    return folder + QLatin1Char('/');
}

QStringList PluginNames(const QString &folder)
{
    QStringList names;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Readable, QDir::Name)) {
        if (name.endsWith(QLatin1String(".tpi"), Qt::CaseInsensitive)) names.append(name);
    }
    return names;
}

// Copies through a temporary file in the same folder, so that a half-copied plug-in never
// lies there under its name.
bool CopyWhole(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) return false;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 16);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            return false;
        }
    }
    if (!target.commit()) return false;
    QFile::setPermissions(to, source.permissions());
    return true;
}

} // namespace

QString ShippedPluginsFolder()
{
    if (const char *chosen = std::getenv("TONARIA_SHIPPED_PLUGINS"))
        return WithSlash(QFile::decodeName(chosen));
    const QString installed = InstalledPluginsFolder();
    if (!installed.isEmpty()) return WithSlash(installed);
    return WithSlash(QStringLiteral(TONARIA_BUILD_PLUGINS_DIR));
}

QStringList ShipPlugins(const QString &pluginsFolder, const QString &shippedFolder)
{
    QStringList failed;
    if (shippedFolder.isEmpty() || !QFileInfo(shippedFolder).isDir()) return failed;
    const QString shipped = WithSlash(shippedFolder);
    const QString target = WithSlash(pluginsFolder);
    // The same folder (a portable copy run where it was built): nothing to give.
    if (QFileInfo(shipped).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return failed;
    const QStringList names = PluginNames(shipped);
    if (names.isEmpty()) return failed;
    QDir().mkpath(target);
    for (const QString &name : names) {
        if (QFileInfo::exists(target + name)) continue;
        if (!CopyWhole(shipped + name, target + name)) failed.append(name);
    }
    return failed;
}

QStringList FoundPlugins(const QString &pluginsFolder)
{
    const QString folder = WithSlash(pluginsFolder);
    QStringList paths;
    for (const QString &name : PluginNames(folder))
        paths.append(folder + name);
    return paths;
}

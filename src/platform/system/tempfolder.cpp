#include "platform/system/tempfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A new folder of a name no one can guess, made by the system in one step with mode 0700.
TTempFolder FreshPrivateFolder()
{
    QString base = qEnvironmentVariable("TMPDIR");
    if (base.isEmpty() || QDir::isRelativePath(base) || !QFileInfo(base).isDir())
        base = QStringLiteral("/tmp");
    QByteArray name = QFile::encodeName(QDir::cleanPath(base) + QStringLiteral("/tonaria-XXXXXX"));
    TTempFolder folder;
    if (!::mkdtemp(name.data())) {
        folder.error = SystemReason();
        folder.refused = QFile::decodeName(name);
        return folder;
    }
    folder.path = QFile::decodeName(name);
    folder.ok = true;
    return folder;
}

} // namespace

QString RuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || QDir::isRelativePath(runtime) || !QFileInfo(runtime).isDir())
        return {};
    return QDir::cleanPath(runtime) + QStringLiteral("/tonaria");
}

TTempFolder PreparePrivateTempFolder()
{
    const QString usual = RuntimeFolder();
    if (usual.isEmpty()) return FreshPrivateFolder();
    const TTempFolder runtime = PreparePrivateFolder(usual);
    if (runtime.ok) return runtime;
    TTempFolder fresh = FreshPrivateFolder();
    fresh.refused = runtime.path;
    fresh.error = fresh.ok ? runtime.error : runtime.error + QStringLiteral("; ") + fresh.error;
    return fresh;
}

TTempFolder PreparePrivateFolder(const QString &path)
{
    TTempFolder folder;
    folder.path = path;
    while (folder.path.size() > 1 && folder.path.endsWith(u'/'))
        folder.path.chop(1);
    const QByteArray name = QFile::encodeName(folder.path);
    auto fail = [&folder](const QString &why) {
        folder.error = why;
        return folder;
    };

    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return fail(SystemReason());
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return fail(SystemReason());
    if (S_ISLNK(st.st_mode)) return fail(QStringLiteral("it is a symbolic link"));
    if (!S_ISDIR(st.st_mode)) return fail(QStringLiteral("it is not a folder"));
    if (st.st_uid != ::getuid()) return fail(QStringLiteral("it belongs to another user"));
    if ((st.st_mode & 07777) != 0700 && ::chmod(name.constData(), 0700) != 0)
        return fail(SystemReason());
    folder.ok = true;
    return folder;
}

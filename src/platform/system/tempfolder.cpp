#include "platform/system/tempfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

TTempFolder PreparePrivateTempFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && !QDir::isRelativePath(runtime) && QFileInfo(runtime).isDir())
        return PreparePrivateFolder(QDir::cleanPath(runtime) + QStringLiteral("/tonaria"));
    return PreparePrivateFolder(QStringLiteral("/tmp/tonaria-%1").arg(::getuid()));
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

    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISLNK(st.st_mode)) return fail(QStringLiteral("it is a symbolic link"));
    if (!S_ISDIR(st.st_mode)) return fail(QStringLiteral("it is not a folder"));
    if (st.st_uid != ::getuid()) return fail(QStringLiteral("it belongs to another user"));
    if ((st.st_mode & 07777) != 0700 && ::chmod(name.constData(), 0700) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    folder.ok = true;
    return folder;
}

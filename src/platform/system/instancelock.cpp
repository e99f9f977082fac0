#include "platform/system/instancelock.h"

#include "platform/system/tempfolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString systemError(const char *what, const QString &path)
{
    return QStringLiteral("%1 %2: %3")
        .arg(QString::fromLatin1(what), path, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

QString PrepareInstanceFolder(QString *error)
{
    // Every start must find the running instance, so its folder has a name known in advance, in
    // a place only the user can write to: the runtime folder, else the user's cache folder.
    QString base = RuntimeFolder();
    if (base.isEmpty()) {
        QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
        if (cache.isEmpty() || QDir::isRelativePath(cache))
            cache = QDir::homePath() + QStringLiteral("/.cache");
        QDir().mkpath(cache);
        base = QDir::cleanPath(cache) + QStringLiteral("/tonaria");
    }
    TTempFolder folder = PreparePrivateFolder(base);
    if (folder.ok) folder = PreparePrivateFolder(folder.path + QStringLiteral("/instance"));
    if (!folder.ok) {
        if (error) *error = QStringLiteral("Cannot use %1: %2").arg(folder.path, folder.error);
        return {};
    }
    return folder.path;
}

TInstanceLock::TInstanceLock(const QString &folder)
    : fileName_(folder + QStringLiteral("/instance.lock"))
{
}

TInstanceLock::~TInstanceLock()
{
    unlock();
}

bool TInstanceLock::tryLock()
{
    error_.clear();
    if (fd_ >= 0) return true;
    const int fd = ::open(QFile::encodeName(fileName_).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = systemError("Cannot open", fileName_);
        return false;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (errno != EWOULDBLOCK) error_ = systemError("Cannot lock", fileName_);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void TInstanceLock::unlock()
{
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

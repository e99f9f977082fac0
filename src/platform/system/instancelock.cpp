#include "platform/system/instancelock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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
    QString path;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (!runtime.isEmpty() && ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        path = QFile::decodeName(runtime) + QStringLiteral("/tonaria");
    else
        path = QStringLiteral("/tmp/tonaria-%1").arg(::getuid());

    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (error) *error = systemError("Cannot create", path);
        return {};
    }
    if (::lstat(native.constData(), &st) != 0) {
        if (error) *error = systemError("Cannot inspect", path);
        return {};
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        if (error)
            *error = QStringLiteral("%1 is not a folder of this user; it cannot be used").arg(path);
        return {};
    }
    if ((st.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0) {
        if (error) *error = systemError("Cannot restrict", path);
        return {};
    }
    return path;
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

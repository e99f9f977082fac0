#include "platform/system/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Opens a new file of a name no one can have guessed beside the target.
int CreateSibling(const QByteArray &target, QByteArray &name, int &error)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            error = errno;
            return fd;
        }
    }
    error = EEXIST;
    return -1;
}

bool WriteAll(int fd, QByteArrayView bytes, int &error)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(left));
        if (written < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const QString &path, QByteArrayView bytes, QString &reason, int mode,
                         bool flush)
{
    // A file kept as a link elsewhere (a settings file in a folder of dotfiles) stays a link:
    // the file it leads to is replaced.
    const QFileInfo info(path);
    const QString resolved = info.isSymLink() ? info.canonicalFilePath() : QString();
    const QByteArray target = QFile::encodeName(resolved.isEmpty() ? path : resolved);
    struct stat old {};
    if (mode < 0 && ::stat(target.constData(), &old) == 0) mode = int(old.st_mode & 07777);

    QByteArray temporary;
    int error = 0;
    const int fd = CreateSibling(target, temporary, error);
    if (fd < 0) {
        reason = SystemReason(error);
        return false;
    }
    // A system call's result: on failure its reason is kept.
    auto done = [&error](bool succeeded) {
        if (!succeeded) error = errno;
        return succeeded;
    };
    bool ok = (mode < 0 || done(::fchmod(fd, mode_t(mode)) == 0)) && WriteAll(fd, bytes, error) &&
              (!flush || done(::fsync(fd) == 0));
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        reason = SystemReason(error);
    }
    return ok;
}

bool FlushFileSystemOf(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = ::syncfs(fd) == 0;
    ::close(fd);
    return flushed;
}

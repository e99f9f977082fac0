#include "packages/zipextractor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <zip.h>

#include <sys/stat.h>

#include <cstdio>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct TZipCloser {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
struct TZipFileCloser {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

constexpr zip_uint64_t kChunkSize = 64 * 1024;

// Whether the member is an ordinary file: Unix archivers keep the file type in the upper half
// of the external attributes; other systems leave no type there.
bool IsRegularMember(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    if (system != ZIP_OPSYS_UNIX) return true;
    const zip_uint32_t type = (attributes >> 16) & S_IFMT;
    return type == 0 || type == S_IFREG;
}

} // namespace

int TZipExtractor::Fail(const char *why)
{
    lastError_ = QString::fromUtf8(why);
    return 0;
}

bool TZipExtractor::IsPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(QChar(0));
}

int TZipExtractor::Extract(const QString &archive, const QByteArray &memberName,
                           const QString &folder, const QString &fileName,
                           const TZipLimits &limits, std::stop_token stop)
{
    lastError_.clear();
    if (!IsPlainFileName(fileName) || memberName.isEmpty() || memberName.contains('\0'))
        return Fail("no plain file name");
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir()) return Fail("no temporary folder");

    int openError = 0;
    std::unique_ptr<zip_t, TZipCloser> zip(
        zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &openError));
    if (!zip) return Fail("not a readable archive");

    const zip_int64_t index = zip_name_locate(zip.get(), memberName.constData(), ZIP_FL_ENC_RAW);
    if (index < 0) return Fail("member not found");
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip.get(), zip_uint64_t(index), 0, &stat) != 0)
        return Fail("member not readable");
    if (memberName.endsWith('/') || !IsRegularMember(zip.get(), zip_uint64_t(index)))
        return Fail("not a plain file");

    // What a member may unpack to: its declared size when it has one, never more than the
    // limit, and past the ratio-free start never more than the ratio allows for its packed
    // bytes (which cannot exceed the archive itself).
    zip_uint64_t packed = zip_uint64_t(std::max<qint64>(QFileInfo(archive).size(), 0));
    if (stat.valid & ZIP_STAT_COMP_SIZE) packed = std::min<zip_uint64_t>(packed, stat.comp_size);
    const zip_uint64_t ratioAllows =
        std::max<zip_uint64_t>(limits.RatioFreeSize, packed * limits.MaxRatio);
    const bool sizeKnown = (stat.valid & ZIP_STAT_SIZE) != 0;
    if (sizeKnown) {
        if (stat.size > limits.MaxMemberSize) return Fail("member too large");
        if (stat.size > ratioAllows) return Fail("member packed too tightly");
        const QStorageInfo storage(folderInfo.absoluteFilePath());
        if (storage.isValid() && storage.bytesAvailable() >= 0 &&
            zip_uint64_t(storage.bytesAvailable()) < stat.size)
            return Fail("no room on the disk");
    }

    const QString target = QDir(folder).filePath(fileName);
    if (QFileInfo(target).isDir()) return Fail("a folder stands in the way");

    std::unique_ptr<zip_file_t, TZipFileCloser> member(
        zip_fopen_index(zip.get(), zip_uint64_t(index), 0));
    if (!member) return Fail("member cannot be unpacked");

    // A scratch file needs no flush to the disk, so a temporary file and a rename do what a
    // save file would, without its wait. The temporary file is created anew (never through a
    // link), and the rename replaces whatever has the target's name, a link included, without
    // following it.
    QTemporaryFile out(QDir(folder).filePath(QStringLiteral(".unpack-XXXXXX")));
    if (!out.open()) return Fail("cannot write in the temporary folder");
    std::vector<char> buffer(kChunkSize);
    zip_uint64_t total = 0;
    // The temporary file goes with every early return.
    for (;;) {
        if (stop.stop_requested()) return Fail("stopped");
        const zip_int64_t got = zip_fread(member.get(), buffer.data(), kChunkSize);
        if (got < 0) return Fail("damaged data");
        if (got == 0) break;
        total += zip_uint64_t(got);
        if (total > limits.MaxMemberSize) return Fail("member too large");
        if (total > ratioAllows) return Fail("member packed too tightly");
        if (sizeKnown && total > stat.size) return Fail("member larger than declared");
        if (out.write(buffer.data(), got) != got) return Fail("write failed");
    }
    if ((sizeKnown && total != stat.size) || !out.flush()) return Fail("write failed");
    if (::rename(QFile::encodeName(out.fileName()).constData(),
                 QFile::encodeName(target).constData()) != 0)
        return Fail("write failed");
    out.setAutoRemove(false);
    return 1;
}

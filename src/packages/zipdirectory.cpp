#include "packages/zipdirectory.h"

#include "packages/zipstreamerror.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr std::uint32_t kEndOfCentralSignature = 0x06054B50;

constexpr qint64 kLocalHeaderSize = 30;   // signature and the fixed fields
constexpr qint64 kCentralHeaderSize = 46; // likewise for a central directory entry
constexpr qint64 kEndOfCentralSize = 22;  // the end record without its comment
constexpr qint64 kMaxComment = 65535;
// Members written with a data descriptor carry their sizes in the central directory only; a
// central directory larger than this is not read for them.
constexpr qint64 kMaxCentralDirectory = 16 * 1024 * 1024;
// Flag bit 3: sizes and CRC follow the data instead of standing in the local header.
constexpr std::uint16_t kDataDescriptorFlag = 0x0008;

std::uint16_t Le16(const uchar *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t Le32(const uchar *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

bool IsSignature(std::uint32_t value)
{
    return value == kLocalHeaderSignature || value == kCentralHeaderSignature ||
           value == kEndOfCentralSignature;
}

bool ReadExactly(QFile &file, void *buffer, qint64 length)
{
    return file.read(static_cast<char *>(buffer), length) == length;
}

// The sizes of a member as the central directory gives them.
struct TCentralSizes {
    std::uint32_t Compressed = 0;
    std::uint32_t Uncompressed = 0;
};

[[noreturn]] void Fail(int number)
{
    // The first message spells "File" with a capital; the others do not.
    throw EZipStreamError(number == 1 ? QStringLiteral("Error 1 reading Zip File")
                                      : QStringLiteral("Error %1 reading Zip file").arg(number));
}

[[noreturn]] void Stopped()
{
    throw EZipStreamError(QStringLiteral("Stopped reading Zip file"));
}

// The scan reads four bytes at a time until it meets a signature. Starting at `pos`, returns
// the first such position (pos, pos + 4, ...) that holds one of the three signatures, or the
// first position from which fewer than four bytes can be read.
qint64 NextSignature(QFile &file, qint64 pos, std::vector<uchar> &buffer, std::stop_token stop)
{
    for (;;) {
        if (stop.stop_requested()) Stopped();
        if (!file.seek(pos)) return pos;
        const qint64 got =
            file.read(reinterpret_cast<char *>(buffer.data()), qint64(buffer.size()));
        if (got < 4) return pos;
        for (qint64 i = 0; i + 4 <= got; i += 4)
            if (IsSignature(Le32(buffer.data() + i))) return pos + i;
        pos += got / 4 * 4;
    }
}

// Whether an end-of-central-directory signature stands where an archive keeps it: in the
// last record's length plus the longest comment before the end of the file.
bool HasEndRecord(QFile &file, qint64 size)
{
    const qint64 tailSize = std::min(size, kEndOfCentralSize + kMaxComment);
    if (tailSize < kEndOfCentralSize || !file.seek(size - tailSize)) return false;
    const QByteArray tail = file.read(tailSize);
    return tail.lastIndexOf(QByteArrayView("PK\5\6", 4)) >= 0;
}

// Member sizes by the offset of the member's local header, from the central directory.
// Empty when the archive has no readable central directory.
QHash<qint64, TCentralSizes> ReadCentralSizes(QFile &file, qint64 size)
{
    QHash<qint64, TCentralSizes> sizes;
    const qint64 tailSize = std::min(size, kEndOfCentralSize + kMaxComment);
    if (tailSize < kEndOfCentralSize || !file.seek(size - tailSize)) return sizes;
    const QByteArray tailBytes = file.read(tailSize);
    if (tailBytes.size() != tailSize) return sizes;
    const auto *tail = reinterpret_cast<const uchar *>(tailBytes.constData());

    for (qint64 i = tailSize - kEndOfCentralSize; i >= 0; --i) {
        if (Le32(tail + i) != kEndOfCentralSignature) continue;
        if (i + kEndOfCentralSize + Le16(tail + i + 20) > tailSize) continue;
        const qint64 endPos = size - tailSize + i;
        const qint64 directorySize = Le32(tail + i + 12);
        const qint64 directoryOffset = Le32(tail + i + 16);
        if (directorySize > kMaxCentralDirectory || directoryOffset + directorySize > endPos)
            return sizes;
        if (!file.seek(directoryOffset)) return sizes;
        const QByteArray directoryBytes = file.read(directorySize);
        if (directoryBytes.size() != directorySize) return sizes;
        const auto *entry = reinterpret_cast<const uchar *>(directoryBytes.constData());

        qint64 p = 0;
        while (p + kCentralHeaderSize <= directorySize &&
               Le32(entry + p) == kCentralHeaderSignature) {
            const std::uint32_t compressed = Le32(entry + p + 20);
            const std::uint32_t uncompressed = Le32(entry + p + 24);
            const std::uint32_t localOffset = Le32(entry + p + 42);
            // 0xFFFFFFFF marks a value kept in a 64-bit extension; such members are not
            // resolved here.
            if (compressed != 0xFFFFFFFFu && localOffset != 0xFFFFFFFFu)
                sizes.insert(localOffset, TCentralSizes{compressed, uncompressed});
            p += kCentralHeaderSize + Le16(entry + p + 28) + Le16(entry + p + 30) +
                 Le16(entry + p + 32);
        }
        return sizes;
    }
    return sizes;
}

} // namespace

void TZipDirectory::Read(const QString &path, std::stop_token stop)
{
    records_.clear();
    if (!QFileInfo::exists(path)) return;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZipStreamError(QStringLiteral("Cannot open Zip file: %1").arg(file.errorString()));
    const qint64 size = file.size();
    // A file that neither starts nor ends like an archive would be searched to its end for a
    // directory it cannot hold.
    uchar first[4] = {};
    if ((!ReadExactly(file, first, 4) || Le32(first) != kLocalHeaderSignature) &&
        !HasEndRecord(file, size))
        Fail(1);
    std::vector<uchar> buffer(64 * 1024);
    std::optional<QHash<qint64, TCentralSizes>> centralSizes;

    qint64 pos = 0;
    for (;;) {
        pos = NextSignature(file, pos, buffer, stop);
        uchar signature[4];
        if (!file.seek(pos) || !ReadExactly(file, signature, 4)) Fail(1);
        if (Le32(signature) != kLocalHeaderSignature) return; // the central directory

        uchar header[kLocalHeaderSize - 4];
        if (!ReadExactly(file, header, sizeof header)) Fail(2);
        TZipDirectoryRecord record;
        record.VersionNeeded = Le16(header);
        record.Flags = Le16(header + 2);
        record.CompressionMethod = Le16(header + 4);
        record.ModTime = Le16(header + 6);
        record.ModDate = Le16(header + 8);
        record.Crc32 = Le32(header + 10);
        record.CompressedSize = Le32(header + 14);
        record.UncompressedSize = Le32(header + 18);
        record.NameLength = Le16(header + 22);
        record.ExtraLength = Le16(header + 24);
        record.Name = file.read(record.NameLength);
        if (record.Name.size() != record.NameLength) Fail(2);
        const qsizetype zero = record.Name.indexOf('\0');
        if (zero >= 0) record.Name.truncate(zero);

        if (records_.size() >= MaxRecords) Fail(6);
        if ((record.Flags & kDataDescriptorFlag) && record.CompressedSize == 0) {
            // The sizes follow the data; take them from the central directory. Without one,
            // the scan searches forward from the start of the data.
            if (!centralSizes) centralSizes = ReadCentralSizes(file, size);
            const TCentralSizes sizes = centralSizes->value(pos);
            record.CompressedSize = sizes.Compressed;
            if (record.UncompressedSize == 0) record.UncompressedSize = sizes.Uncompressed;
        }
        records_.append(record);

        const qint64 dataSize = record.CompressedSize;

        const qint64 afterName = pos + kLocalHeaderSize + record.NameLength;
        if (afterName + record.ExtraLength + dataSize > size - kEndOfCentralSize) Fail(3);
        pos = afterName + record.ExtraLength;
        if (!file.seek(pos)) Fail(4);
        pos += dataSize;
        if (!file.seek(pos)) Fail(5);
    }
}

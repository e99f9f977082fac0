#include "testarchive.h"

#include <QDataStream>
#include <QFile>
#include <QIODevice>

#include <zip.h>
#include <zlib.h>

#include <sys/stat.h>

#include <stdexcept>

namespace {

void Check(bool ok, const char *what)
{
    if (!ok) throw std::runtime_error(what);
}

} // namespace

QByteArray MakeZip(const QList<TTestMember> &members)
{
    if (members.isEmpty()) return MakeStreamedZip(members); // libzip writes no empty archive
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *zip = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    Check(zip, "zip_open_from_source");
    zip_source_keep(buffer);
    for (const TTestMember &member : members) {
        zip_source_t *data =
            zip_source_buffer(zip, member.Data.constData(), zip_uint64_t(member.Data.size()), 0);
        const zip_int64_t index = zip_file_add(zip, member.Name.constData(), data, ZIP_FL_ENC_RAW);
        Check(index >= 0, "zip_file_add");
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_STORE, 0);
        if (member.Symlink)
            zip_file_set_external_attributes(zip, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                             zip_uint32_t(S_IFLNK | 0777) << 16);
    }
    Check(zip_close(zip) == 0, "zip_close");

    zip_stat_t stat;
    zip_stat_init(&stat);
    Check(zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0, "reopen");
    QByteArray bytes(qsizetype(stat.size), '\0');
    const zip_int64_t got = zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    Check(got == zip_int64_t(stat.size), "zip_source_read");
    return bytes;
}

QByteArray MakeStreamedZip(const QList<TTestMember> &members)
{
    QByteArray local, central;
    QDataStream out(&local, QIODevice::WriteOnly), dir(&central, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    dir.setByteOrder(QDataStream::LittleEndian);
    for (const TTestMember &member : members) {
        const auto offset = quint32(local.size());
        const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(member.Data.constData()),
                                       uInt(member.Data.size())));
        const auto size = quint32(member.Data.size());
        const auto nameLength = quint16(member.Name.size());
        // Version, flags (data descriptor), method (stored), time, date, CRC and sizes (zero).
        out << quint32(0x04034B50) << quint16(20) << quint16(8) << quint16(0) << quint16(0)
            << quint16(0x21) << quint32(0) << quint32(0) << quint32(0) << nameLength << quint16(0);
        out.writeRawData(member.Name.constData(), nameLength);
        out.writeRawData(member.Data.constData(), int(size));
        out << quint32(0x08074B50) << crc << size << size;

        dir << quint32(0x02014B50) << quint16(20) << quint16(20) << quint16(8) << quint16(0)
            << quint16(0) << quint16(0x21) << crc << size << size << nameLength << quint16(0)
            << quint16(0) << quint16(0) << quint16(0) << quint32(0) << offset;
        dir.writeRawData(member.Name.constData(), nameLength);
    }
    const auto centralOffset = quint32(local.size());
    out.writeRawData(central.constData(), int(central.size()));
    out << quint32(0x06054B50) << quint16(0) << quint16(0) << quint16(members.size())
        << quint16(members.size()) << quint32(central.size()) << centralOffset << quint16(0);
    return local;
}

namespace {

// The CRC-32 of `size` zero bytes, by doubling instead of reading them.
quint32 ZerosCrc(quint32 size)
{
    uLong crc = 0;
    uLong block = crc32(0, reinterpret_cast<const Bytef *>("\0"), 1); // one zero byte
    for (quint64 length = 1; size != 0; size >>= 1, length *= 2) {
        if (size & 1) crc = crc32_combine(crc, block, z_off_t(length));
        block = crc32_combine(block, block, z_off_t(length));
    }
    return quint32(crc);
}

// The local header of a lone member, and what follows its data: the central directory entry
// and the end record.
struct TLoneMember {
    QByteArray Local;
    QByteArray Trailer;
};

TLoneMember LoneMember(const QByteArray &name, quint16 method, quint32 crc, quint32 packed,
                       quint32 size)
{
    TLoneMember member;
    QDataStream out(&member.Local, QIODevice::WriteOnly), dir(&member.Trailer, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    dir.setByteOrder(QDataStream::LittleEndian);
    const auto nameLength = quint16(name.size());
    out << quint32(0x04034B50) << quint16(20) << quint16(0) << method << quint16(0) << quint16(0x21)
        << crc << packed << size << nameLength << quint16(0);
    out.writeRawData(name.constData(), nameLength);
    dir << quint32(0x02014B50) << quint16(20) << quint16(20) << quint16(0) << method << quint16(0)
        << quint16(0x21) << crc << packed << size << nameLength << quint16(0) << quint16(0)
        << quint16(0) << quint16(0) << quint32(0) << quint32(0);
    dir.writeRawData(name.constData(), nameLength);
    const quint64 centralOffset = quint64(member.Local.size()) + packed;
    dir << quint32(0x06054B50) << quint16(0) << quint16(0) << quint16(1) << quint16(1)
        << quint32(46 + nameLength) << quint32(centralOffset) << quint16(0);
    return member;
}

// Writes deflate's bits, lowest first.
struct TBitWriter {
    QByteArray Bytes;
    quint64 Pending = 0;
    int Count = 0;
    void Put(quint32 bits, int count)
    {
        Pending |= quint64(bits) << Count;
        Count += count;
        while (Count >= 8) {
            Bytes.append(char(Pending & 0xFF));
            Pending >>= 8;
            Count -= 8;
        }
    }
    void Finish()
    {
        if (Count > 0) Bytes.append(char(Pending & 0xFF));
        Pending = 0;
        Count = 0;
    }
};

} // namespace

QByteArray MakeZeroBomb(const QByteArray &name, quint32 size, qint64 declaredSize)
{
    // One block with the fixed codes: a literal zero, then copies of 258 bytes from one byte
    // back, then literal zeros for the rest. Codes go out with their first bit first, so they
    // are written reversed.
    constexpr quint32 kLiteralZero = 0x0C; // 00110000 reversed, 8 bits
    constexpr quint32 kLength258 = 0xA3;   // code 285: 11000101 reversed, 8 bits
    TBitWriter bits;
    bits.Bytes.reserve(qsizetype(size / 258 * 13 / 8 + 64));
    bits.Put(1 | (1 << 1), 3); // the last block, fixed codes
    quint32 left = size;
    if (left > 0) {
        bits.Put(kLiteralZero, 8);
        --left;
    }
    for (; left >= 258; left -= 258)
        bits.Put(kLength258, 8 + 5); // distance code 0 (one back): five zero bits
    for (; left > 0; --left)
        bits.Put(kLiteralZero, 8);
    bits.Put(0, 7); // end of block
    bits.Finish();

    const auto packed = quint32(bits.Bytes.size());
    const auto claimed = declaredSize < 0 ? size : quint32(declaredSize);
    const TLoneMember member = LoneMember(name, 8, ZerosCrc(size), packed, claimed);
    return member.Local + bits.Bytes + member.Trailer;
}

bool WriteSparseZip(const QString &path, const QByteArray &name, quint32 size)
{
    const TLoneMember member = LoneMember(name, 0, ZerosCrc(size), size, size);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(member.Local) == member.Local.size() &&
           file.seek(member.Local.size() + qint64(size)) &&
           file.write(member.Trailer) == member.Trailer.size();
}

#include "testarchive.h"

#include <QDataStream>
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

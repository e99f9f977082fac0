#pragma once
// The list of members of a ZIP archive, read by walking its local file headers from the start
// of the file to the central directory. Every offset and length is checked against the size of
// the file, so a truncated, damaged or hostile archive gives an error, never a read beyond its
// end.
//
// A file that neither starts with a member nor has an end-of-directory record near its end is
// no archive; it is refused without being read through, however large it is. Otherwise the walk reads in blocks and stops between
// two blocks when asked to.
//
// Threads: any, one object per thread.
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <stop_token>

// One member as its local file header describes it.
struct TZipDirectoryRecord {
    std::uint16_t VersionNeeded = 0;
    std::uint16_t Flags = 0;
    std::uint16_t CompressionMethod = 0;
    std::uint16_t ModTime = 0;
    std::uint16_t ModDate = 0;
    std::uint32_t Crc32 = 0;
    std::uint32_t CompressedSize = 0;
    // For a member written with its sizes after the data, the sizes come from the central
    // directory.
    std::uint32_t UncompressedSize = 0;
    std::uint16_t NameLength = 0;
    std::uint16_t ExtraLength = 0;
    // The member's name as stored (no particular encoding), up to its first zero byte.
    QByteArray Name;
};

class TZipDirectory {
public:
    // An archive that claims more members than a ZIP file without 64-bit extensions can hold
    // is refused.
    static constexpr qsizetype MaxRecords = 65535;

    // Forgets the previous listing and lists the members of the archive at `path` in archive
    // order. A file that does not exist gives an empty listing. Throws EZipStreamError when the
    // file cannot be read as an archive ("Error 1 reading Zip File" for a file that ends
    // before a central directory is found, "Error 2" to "Error 5 reading Zip file" for a
    // damaged member header). When `stop` is requested the walk ends with an EZipStreamError
    // and the listing is incomplete.
    void Read(const QString &path, std::stop_token stop = {});

    const QList<TZipDirectoryRecord> &Records() const { return records_; }

private:
    QList<TZipDirectoryRecord> records_;
};

#include "support/cdimage.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr int kFramesPerSector = 588;
constexpr int kSectorBytes = 2352;

QString msf(int sectors)
{
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / (75 * 60), 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

std::int16_t CdImageSample(std::uint32_t seed, std::int64_t frame, int channel)
{
    // A hash of (seed, frame, channel): every sample is its own, so a run of them is found in
    // the output at exactly one place.
    std::uint64_t x =
        (std::uint64_t(seed) << 40) ^ (std::uint64_t(frame) << 1) ^ std::uint64_t(channel);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ull;
    x ^= x >> 33;
    return std::int16_t(std::int32_t(x % 21845) - 10922);
}

QString WriteCdImage(const QString &folder, const QString &name,
                     const std::vector<TCdImageTrack> &tracks)
{
    QByteArray bin;
    QString cue = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(name);
    int sector = 0;
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const TCdImageTrack &track = tracks[t];
        cue += QStringLiteral("  TRACK %1 %2\n    INDEX 01 %3\n")
                   .arg(int(t + 1), 2, 10, QLatin1Char('0'))
                   .arg(track.audio ? QStringLiteral("AUDIO") : QStringLiteral("MODE1/2352"))
                   .arg(msf(sector));
        for (int s = 0; s < track.sectors; ++s) {
            QByteArray raw(kSectorBytes, '\0');
            if (track.audio) {
                for (int f = 0; f < kFramesPerSector; ++f) {
                    for (int c = 0; c < 2; ++c) {
                        const auto v = std::uint16_t(
                            CdImageSample(track.seed, std::int64_t(s) * kFramesPerSector + f, c));
                        raw[(f * 2 + c) * 2] = char(v & 0xFF); // little-endian, as on a disc
                        raw[(f * 2 + c) * 2 + 1] = char(v >> 8);
                    }
                }
            } else {
                // The sync pattern of a data sector; the rest stays empty.
                for (int i = 1; i <= 10; ++i)
                    raw[i] = char(0xFF);
                raw[15] = 1;
            }
            bin += raw;
        }
        sector += track.sectors;
    }
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    if (!writeAll(base + name + QStringLiteral(".bin"), bin)) return QString();
    const QString cuePath = base + name + QStringLiteral(".cue");
    if (!writeAll(cuePath, cue.toUtf8())) return QString();
    return cuePath;
}

TCdromVariable::TCdromVariable(const QString &value)
    : old_(qgetenv("TONARIA_CDROM")), had_(qEnvironmentVariableIsSet("TONARIA_CDROM"))
{
    qputenv("TONARIA_CDROM", value.toLocal8Bit());
}

TCdromVariable::~TCdromVariable()
{
    if (had_)
        qputenv("TONARIA_CDROM", old_);
    else
        qunsetenv("TONARIA_CDROM");
}

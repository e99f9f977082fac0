#include "platform/mci/cddiscreader.h"

#include <QFile>
#include <QtEndian>

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kSamplesPerSector = TCdDiscReader::FramesPerSector * 2;

// libcdio reports on standard error by default; the program reports through its own errors.
void quietLog(cdio_log_level_t, const char *) {}

void quietenLibrary()
{
    static const bool done = [] {
        cdio_log_set_handler(quietLog);
        return true;
    }();
    (void)done;
}

bool looksLikeImage(const QString &source)
{
    // A drive is a device node; anything else that exists is taken for an image.
    const QByteArray path = QFile::encodeName(source);
    return !cdio_is_device(path.constData(), DRIVER_DEVICE);
}

} // namespace

TCdDiscReader::~TCdDiscReader()
{
    close();
}

QString TCdDiscReader::sourceFromEnvironment()
{
    return qEnvironmentVariable("TONARIA_CDROM");
}

void TCdDiscReader::close()
{
    const std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
    state_ = State::NoDrive;
    tracks_.clear();
    leadOut_ = 0;
}

void TCdDiscReader::closeLocked()
{
    if (paranoia_) cdio_paranoia_free(paranoia_);
    paranoia_ = nullptr;
    paranoiaNext_ = -1;
    if (drive_) cdio_cddap_close_no_free_cdio(drive_);
    drive_ = nullptr;
    if (cdio_) cdio_destroy(cdio_);
    cdio_ = nullptr;
}

TCdDiscReader::State TCdDiscReader::open(const QString &source)
{
    quietenLibrary();
    const std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
    tracks_.clear();
    leadOut_ = 0;
    source_ = source;
    state_ = State::NoDrive;

    if (source.isEmpty()) {
        // The first drive of the machine, if it has one.
        driver_id_t driver = DRIVER_DEVICE;
        char *found = cdio_get_default_device_driver(&driver);
        if (!found) return state_;
        drivePath_ = found;
        std::free(found);
        image_ = false;
        cdio_ = cdio_open(drivePath_.constData(), driver);
    } else {
        drivePath_ = QFile::encodeName(source);
        image_ = looksLikeImage(source);
        if (image_ && !QFile::exists(source)) return state_;
        const driver_id_t driver = !image_ ? DRIVER_DEVICE
                                   : source.endsWith(QLatin1String(".cue"), Qt::CaseInsensitive)
                                       ? DRIVER_BINCUE
                                       : DRIVER_UNKNOWN;
        cdio_ = cdio_open(drivePath_.constData(), driver);
    }
    if (!cdio_) return state_;
    if (!readToc()) {
        // An image that has no readable table of contents is no disc; a drive has no disc in.
        state_ = image_ ? State::NoDrive : State::NoMedia;
        tracks_.clear();
        return state_;
    }
    state_ = State::Ready;
    return state_;
}

bool TCdDiscReader::readToc()
{
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t count = cdio_get_num_tracks(cdio_);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 ||
        first + count - 1 > CDIO_CD_MAX_TRACKS)
        return false;
    firstTrackNumber_ = first;
    const lsn_t leadOut = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN || leadOut <= 0) return false;
    std::vector<TTrack> tracks;
    for (int i = 0; i < count; ++i) {
        const auto number = track_t(first + i);
        const lsn_t start = cdio_get_track_lsn(cdio_, number);
        if (start == CDIO_INVALID_LSN || start < 0 || start >= leadOut) return false;
        if (!tracks.empty() && start <= tracks.back().startLsn) return false;
        TTrack track;
        track.startLsn = start;
        track.audio = cdio_get_track_format(cdio_, number) == TRACK_FORMAT_AUDIO;
        tracks.push_back(track);
    }
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const std::int32_t end = i + 1 < tracks.size() ? tracks[i + 1].startLsn : leadOut;
        tracks[i].sectors = end - tracks[i].startLsn;
    }
    tracks_ = std::move(tracks);
    leadOut_ = leadOut;
    return true;
}

QString TCdDiscReader::identity() const
{
    if (state_ != State::Ready) return QString();
    // FNV-1a over the numbers that make up the table of contents.
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            hash ^= (value >> (8 * i)) & 0xFFu;
            hash *= 1099511628211ull;
        }
    };
    mix(std::uint32_t(firstTrackNumber_));
    mix(std::uint32_t(tracks_.size()));
    for (const TTrack &track : tracks_)
        mix(std::uint32_t(track.startLsn) ^ (track.audio ? 0u : 0x80000000u));
    mix(std::uint32_t(leadOut_));
    return QStringLiteral("%1").arg(hash, 16, 16, QLatin1Char('0')).toUpper();
}

bool TCdDiscReader::readAudio(std::int32_t lsn, int count, std::int16_t *out)
{
    if (count <= 0) return true;
    const std::lock_guard<std::mutex> guard(lock_);
    bool ok = state_ == State::Ready && cdio_ && lsn >= 0 && lsn + count <= leadOut_;
    if (ok) ok = image_ ? readStraight(lsn, count, out) : readCorrected(lsn, count, out);
    if (!ok) std::fill(out, out + std::size_t(count) * kSamplesPerSector, std::int16_t(0));
    return ok;
}

bool TCdDiscReader::readStraight(std::int32_t lsn, int count, std::int16_t *out)
{
    if (cdio_read_audio_sectors(cdio_, out, lsn, std::uint32_t(count)) != DRIVER_OP_SUCCESS)
        return false;
    // The sectors hold little-endian samples.
    for (std::size_t i = 0; i < std::size_t(count) * kSamplesPerSector; ++i)
        out[i] = qFromLittleEndian(out[i]);
    return true;
}

bool TCdDiscReader::readCorrected(std::int32_t lsn, int count, std::int16_t *out)
{
    if (!paranoia_) {
        drive_ = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
        if (!drive_ || cdio_cddap_open(drive_) != 0) {
            if (drive_) cdio_cddap_close_no_free_cdio(drive_);
            drive_ = nullptr;
            return readStraight(lsn, count, out);
        }
        paranoia_ = cdio_paranoia_init(drive_);
        if (!paranoia_) return readStraight(lsn, count, out);
        // Verify and repair, but never retry a bad spot for ever: playback must go on.
        cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
        paranoiaNext_ = -1;
    }
    if (paranoiaNext_ != lsn) {
        cdio_paranoia_seek(paranoia_, lsn, SEEK_SET);
        paranoiaNext_ = lsn;
    }
    for (int i = 0; i < count; ++i) {
        const std::int16_t *sector = cdio_paranoia_read(paranoia_, nullptr);
        if (!sector) {
            paranoiaNext_ = -1;
            return false;
        }
        std::memcpy(out + std::size_t(i) * kSamplesPerSector, sector,
                    sizeof(std::int16_t) * kSamplesPerSector);
        ++paranoiaNext_;
    }
    return true;
}

bool TCdDiscReader::eject()
{
    const std::lock_guard<std::mutex> guard(lock_);
    if (image_ || !cdio_) return false;
    if (paranoia_) cdio_paranoia_free(paranoia_);
    paranoia_ = nullptr;
    if (drive_) cdio_cddap_close_no_free_cdio(drive_);
    drive_ = nullptr;
    // On success libcdio frees the handle and clears it.
    const bool ok = cdio_eject_media(&cdio_) == DRIVER_OP_SUCCESS;
    if (ok) {
        tracks_.clear();
        leadOut_ = 0;
        state_ = State::NoMedia;
    }
    return ok;
}

bool TCdDiscReader::closeTray()
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (image_ || drivePath_.isEmpty()) return false;
        closeLocked();
        driver_id_t driver = DRIVER_DEVICE;
        if (cdio_close_tray(drivePath_.constData(), &driver) != DRIVER_OP_SUCCESS) return false;
    }
    // The disc that went in is read anew.
    open(source_);
    return true;
}

#include "platform/audio/wavfilewriter.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <array>

namespace {

SNDFILE *handle(void *file)
{
    return static_cast<SNDFILE *>(file);
}

// libsndfile's reason, as the end of a sentence of ours: "System error : No such file or
// directory." becomes "No such file or directory".
QString reason(const char *text)
{
    QString why = QString::fromLocal8Bit(text).simplified();
    const QString system = QStringLiteral("System error :");
    if (why.startsWith(system)) why = why.mid(system.size()).trimmed();
    while (why.endsWith(QLatin1Char('.')))
        why.chop(1);
    return why;
}

} // namespace

TWavFileWriter::~TWavFileWriter()
{
    close();
}

bool TWavFileWriter::open(const QString &path, int sampleRate)
{
    close();
    path_ = path;
    error_.clear();
    frames_ = 0;
    failed_ = false;

    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_RF64 | SF_FORMAT_FLOAT;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file) {
        error_ = QStringLiteral("Cannot write \"%1\": %2").arg(path, reason(sf_strerror(nullptr)));
        return false;
    }
    // A file that stays below 4 GiB is finished as a plain WAV file.
    sf_command(file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    file_ = file;
    return true;
}

bool TWavFileWriter::write(const float *samples, std::int64_t frames)
{
    if (!file_ || failed_) return false;
    if (frames <= 0) return true;
    const sf_count_t done = sf_writef_float(handle(file_), samples, frames);
    frames_ += done;
    if (done != frames) {
        failed_ = true;
        error_ = QStringLiteral("Cannot write \"%1\": %2")
                     .arg(path_, reason(sf_strerror(handle(file_))));
        return false;
    }
    return true;
}

bool TWavFileWriter::writeSilence(std::int64_t frames)
{
    static const std::array<float, 2 * 1024> silence{};
    while (frames > 0) {
        const std::int64_t chunk = std::min<std::int64_t>(frames, silence.size() / 2);
        if (!write(silence.data(), chunk)) return false;
        frames -= chunk;
    }
    return true;
}

bool TWavFileWriter::writeAt(std::int64_t at, const float *samples, std::int64_t frames)
{
    if (at > frames_ && !writeSilence(at - frames_)) return false;
    return write(samples, frames);
}

void TWavFileWriter::updateHeader()
{
    if (file_ && !failed_) sf_command(handle(file_), SFC_UPDATE_HEADER_NOW, nullptr, 0);
}

bool TWavFileWriter::close()
{
    if (!file_) return !failed_;
    const int result = sf_close(handle(file_));
    file_ = nullptr;
    if (result != 0 && !failed_) {
        failed_ = true;
        error_ =
            QStringLiteral("Cannot finish \"%1\": %2").arg(path_, reason(sf_error_number(result)));
    }
    return !failed_;
}

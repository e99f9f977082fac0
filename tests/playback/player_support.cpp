#include "player_support.h"

#include "platform/mci/mcinotifyevent.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cmath>
#include <cstring>

bool WaitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void RunEvents(int ms)
{
    QElapsedTimer timer;
    timer.start();
    WaitUntil([&] { return timer.elapsed() >= ms; }, ms + 1000);
}

namespace {

void Put(QByteArray &out, std::uint32_t value, int bytes, bool bigEndian)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * (bigEndian ? bytes - 1 - i : i))));
}

} // namespace

QByteArray MidiFileBytes(std::uint32_t lengthMs)
{
    // 120 beats a minute at 480 ticks a beat: 0.96 ticks a millisecond.
    std::uint32_t ticks = lengthMs * 480 / 500;
    QByteArray delta;
    do {
        delta.prepend(char((ticks & 0x7F) | (delta.isEmpty() ? 0 : 0x80)));
        ticks >>= 7;
    } while (ticks != 0);
    QByteArray track("\x00\xFF\x51\x03\x07\xA1\x20\x00\x90\x3C\x64", 11);
    track += delta + QByteArray("\x80\x3C\x00\x00\xFF\x2F\x00", 7);

    QByteArray file("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk", 18);
    Put(file, std::uint32_t(track.size()), 4, true);
    return file + track;
}

QByteArray RmidFileBytes(std::uint32_t lengthMs)
{
    QByteArray smf = MidiFileBytes(lengthMs);
    QByteArray data("RMIDdata");
    Put(data, std::uint32_t(smf.size()), 4, false);
    data += smf;
    if (smf.size() % 2) data.append('\0');
    QByteArray file("RIFF");
    Put(file, std::uint32_t(data.size()), 4, false);
    return file + data;
}

QByteArray WavFileBytes(std::uint32_t lengthMs, double level)
{
    const std::uint32_t frames = 44100 * lengthMs / 1000;
    QByteArray samples;
    for (std::uint32_t f = 0; f < frames; ++f) {
        const long sample = ((f / 50) % 2 ? -1 : 1) * std::lround(level * 32767);
        Put(samples, std::uint32_t(sample), 2, false);
    }
    QByteArray file("RIFF");
    Put(file, std::uint32_t(36 + samples.size()), 4, false);
    file += "WAVEfmt ";
    for (const auto &[value, bytes] :
         {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {44100u, 4}, {88200u, 4}, {2u, 2}, {16u, 2}})
        Put(file, value, bytes, false);
    file += "data";
    Put(file, std::uint32_t(samples.size()), 4, false);
    return file + samples;
}

void UseTestSoundFont()
{
    qputenv("TONARIA_SOUNDFONT", "/usr/share/sounds/sf2/TimGM6mb.sf2");
}

void OpenOnAnyDevice(TSonoricPlayer &player, const QString &path)
{
    TSonoricPlayer::ResetDeviceInfo(&AnyDeviceInfo);
    player.SetDevice(&AnyDeviceInfo);
    player.SetFilename(path);
    player.Open();
}

void TScriptedDevice::Attach(TSonoricPlayer &player)
{
    player.OnDeviceCount = [](TSonoricPlayer *, std::int32_t &count) { count = 1; };
    player.OnDeviceMessage = [this](TSonoricPlayer *, std::int32_t, std::uint32_t uMsg,
                                    std::uint32_t flags, std::uintptr_t param,
                                    std::int32_t &result) {
        result = std::int32_t(Handle(uMsg, flags, param));
    };
}

std::uint32_t TScriptedDevice::TrackStartOf(std::uint32_t track) const
{
    std::uint32_t start = Start;
    for (std::uint32_t t = 1; t < track && t <= TrackLengths.size(); ++t)
        start += TrackLengths[t - 1];
    return start;
}

std::uint32_t TScriptedDevice::TotalLength() const
{
    return TrackStartOf(std::uint32_t(TrackLengths.size()) + 1) - Start;
}

MCIERROR TScriptedDevice::Handle(std::uint32_t uMsg, std::uint32_t flags, std::uintptr_t param)
{
    Commands.push_back(uMsg);
    if (const auto failure = Failures.find(uMsg); failure != Failures.end()) return failure->second;
    auto copy = [](const QString &text, char *buffer, std::uint32_t size) -> MCIERROR {
        const QByteArray bytes = text.toUtf8();
        if (!buffer || std::uint32_t(bytes.size()) >= size) return MCIERR_PARAM_OVERFLOW;
        std::memcpy(buffer, bytes.constData(), std::size_t(bytes.size()) + 1);
        return 0;
    };
    // Every command completes at once.
    if (flags & MCI_NOTIFY)
        postMciNotify(mciReceiver(*reinterpret_cast<const std::uintptr_t *>(param)),
                      MCI_NOTIFY_SUCCESSFUL, 1);

    switch (uMsg) {
    case MCI_SYSINFO: {
        auto *p = reinterpret_cast<MCI_SYSINFO_PARMS *>(param);
        return copy(Name, p->lpstrReturn, p->dwRetSize);
    }
    case MCI_INFO: {
        auto *p = reinterpret_cast<MCI_INFO_PARMS *>(param);
        return copy(Product, p->lpstrReturn, p->dwRetSize);
    }
    case MCI_GETDEVCAPS: {
        auto *p = reinterpret_cast<MCI_GETDEVCAPS_PARMS *>(param);
        p->dwReturn = p->dwItem == MCI_GETDEVCAPS_DEVICE_TYPE ? Type
                      : p->dwItem == MCI_GETDEVCAPS_CAN_EJECT ? 1
                                                              : 0;
        return 0;
    }
    case MCI_OPEN:
        reinterpret_cast<MCI_OPEN_PARMS *>(param)->wDeviceID = 1;
        return 0;
    case MCI_STATUS: {
        auto *p = reinterpret_cast<MCI_STATUS_PARMS *>(param);
        ++StatusQuestions[p->dwItem];
        const bool track = (flags & MCI_TRACK) != 0;
        if (track && (p->dwTrack < 1 || p->dwTrack > TrackLengths.size())) return MCIERR_OUTOFRANGE;
        std::uint32_t current = 1;
        while (current < TrackLengths.size() && Position >= TrackStartOf(current + 1))
            ++current;
        switch (p->dwItem) {
        case MCI_STATUS_READY:
            p->dwReturn = 1;
            return 0;
        case MCI_STATUS_MODE:
            p->dwReturn = Mode;
            return 0;
        case MCI_STATUS_CURRENT_TRACK:
            p->dwReturn = current;
            return 0;
        case MCI_STATUS_NUMBER_OF_TRACKS:
            p->dwReturn = TrackLengths.size();
            return 0;
        case MCI_STATUS_LENGTH:
            p->dwReturn = track ? TrackLengths[p->dwTrack - 1] : TotalLength();
            return 0;
        case MCI_STATUS_POSITION:
            p->dwReturn = (flags & MCI_STATUS_START) ? Start
                          : track                    ? TrackStartOf(p->dwTrack)
                                                     : Position;
            return 0;
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
        }
    }
    case MCI_PLAY:
    case MCI_RESUME:
        Mode = MCI_MODE_PLAY;
        return 0;
    case MCI_PAUSE:
        Mode = MCI_MODE_PAUSE;
        return 0;
    case MCI_STOP:
        Mode = MCI_MODE_STOP;
        return 0;
    case MCI_SEEK: {
        const auto to = reinterpret_cast<const MCI_SEEK_PARMS *>(param)->dwTo;
        if (to < Start || to > Start + TotalLength()) return MCIERR_OUTOFRANGE;
        Position = to;
        if (Mode == MCI_MODE_PLAY) Mode = MCI_MODE_STOP;
        return 0;
    }
    case MCI_CLOSE:
    case MCI_SET:
        return 0;
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

#include "player_support.h"

#include "platform/mci/mcinotifyevent.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
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

void PutBE(QByteArray &out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char(value >> (8 * i)));
}

void PutLE(QByteArray &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i)));
}

void PutVarLen(QByteArray &out, std::uint32_t value)
{
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = std::uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.append(char(groups[--count] | 0x80));
    out.append(char(groups[0]));
}

} // namespace

QByteArray MidiFileBytes(std::uint32_t lengthMs)
{
    // 120 beats a minute at 480 ticks a beat: 0.96 ticks a millisecond.
    const std::uint32_t ticks = lengthMs * 480 / 500;
    QByteArray track;
    PutVarLen(track, 0);
    track.append("\xFF\x51\x03\x07\xA1\x20", 6);
    PutVarLen(track, 0);
    track.append("\x90\x3C\x64", 3);
    PutVarLen(track, ticks);
    track.append("\x80\x3C\x00", 3);
    PutVarLen(track, 0);
    track.append("\xFF\x2F\x00", 3);

    QByteArray file("MThd");
    PutBE(file, 6, 4);
    PutBE(file, 0, 2);
    PutBE(file, 1, 2);
    PutBE(file, 480, 2);
    file.append("MTrk");
    PutBE(file, std::uint32_t(track.size()), 4);
    file.append(track);
    return file;
}

QByteArray RmidFileBytes(std::uint32_t lengthMs)
{
    const QByteArray smf = MidiFileBytes(lengthMs);
    QByteArray data("RMID");
    data.append("data");
    PutLE(data, std::uint32_t(smf.size()), 4);
    data.append(smf);
    if (smf.size() % 2) data.append('\0');
    QByteArray file("RIFF");
    PutLE(file, std::uint32_t(data.size()), 4);
    file.append(data);
    return file;
}

QByteArray WavFileBytes(std::uint32_t lengthMs, const std::vector<double> &levels)
{
    const std::uint32_t rate = 44100;
    const auto channels = std::uint32_t(levels.size());
    const std::uint32_t frames = rate * lengthMs / 1000;
    QByteArray samples;
    for (std::uint32_t f = 0; f < frames; ++f) {
        const int sign = (f / 50) % 2 ? -1 : 1;
        for (double level : levels)
            PutLE(samples, std::uint32_t(std::int16_t(sign * std::lround(level * 32767))), 2);
    }
    QByteArray file("RIFF");
    PutLE(file, std::uint32_t(36 + samples.size()), 4);
    file.append("WAVEfmt ");
    PutLE(file, 16, 4);
    PutLE(file, 1, 2);
    PutLE(file, channels, 2);
    PutLE(file, rate, 4);
    PutLE(file, rate * channels * 2, 4);
    PutLE(file, channels * 2, 2);
    PutLE(file, 16, 2);
    file.append("data");
    PutLE(file, std::uint32_t(samples.size()), 4);
    file.append(samples);
    return file;
}

void UseTestSoundFont()
{
    qputenv("TONARIA_SOUNDFONT", "/usr/share/sounds/sf2/TimGM6mb.sf2");
}

// ---- TScriptedDevice
// ------------------------------------------------------------------------------

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
    std::uint32_t total = 0;
    for (std::uint32_t length : TrackLengths)
        total += length;
    return total;
}

std::uint32_t TScriptedDevice::TrackAt(std::uint32_t position) const
{
    std::uint32_t track = 1;
    for (std::uint32_t t = 2; t <= TrackLengths.size(); ++t)
        if (position >= TrackStartOf(t)) track = t;
    return track;
}

void TScriptedDevice::Retire(bool byNotifyingCommand)
{
    if (pendingCallback_ == 0) return;
    postMciNotify(mciReceiver(pendingCallback_),
                  byNotifyingCommand ? MCI_NOTIFY_SUPERSEDED : MCI_NOTIFY_ABORTED, 1);
    pendingCallback_ = 0;
}

void TScriptedDevice::FinishPlay()
{
    Mode = MCI_MODE_STOP;
    if (pendingCallback_ != 0)
        postMciNotify(mciReceiver(pendingCallback_), MCI_NOTIFY_SUCCESSFUL, 1);
    pendingCallback_ = 0;
}

MCIERROR TScriptedDevice::Handle(std::uint32_t uMsg, std::uint32_t flags, std::uintptr_t param)
{
    Commands.push_back(uMsg);
    if (const auto failure = Failures.find(uMsg); failure != Failures.end()) return failure->second;
    const bool notify = (flags & MCI_NOTIFY) != 0;
    const std::uintptr_t callback = param ? *reinterpret_cast<const std::uintptr_t *>(param) : 0;
    auto copy = [](const QString &text, char *buffer, std::uint32_t size) -> MCIERROR {
        const QByteArray bytes = text.toUtf8();
        if (!buffer || std::uint32_t(bytes.size()) >= size) return MCIERR_PARAM_OVERFLOW;
        std::memcpy(buffer, bytes.constData(), std::size_t(bytes.size()) + 1);
        return 0;
    };
    auto complete = [&] {
        if (notify) postMciNotify(mciReceiver(callback), MCI_NOTIFY_SUCCESSFUL, 1);
    };

    switch (uMsg) {
    case MCI_SYSINFO: {
        auto *p = reinterpret_cast<MCI_SYSINFO_PARMS *>(param);
        return copy(Name, p->lpstrReturn, p->dwRetSize);
    }
    case MCI_OPEN:
        reinterpret_cast<MCI_OPEN_PARMS *>(param)->wDeviceID = 1;
        Mode = MCI_MODE_STOP;
        Position = Start;
        return 0;
    case MCI_CLOSE:
        Retire(false);
        return 0;
    case MCI_GETDEVCAPS: {
        auto *p = reinterpret_cast<MCI_GETDEVCAPS_PARMS *>(param);
        switch (p->dwItem) {
        case MCI_GETDEVCAPS_DEVICE_TYPE:
            p->dwReturn = Type;
            return 0;
        case MCI_GETDEVCAPS_USES_FILES:
            p->dwReturn = UsesFiles;
            return 0;
        case MCI_GETDEVCAPS_CAN_EJECT:
            p->dwReturn = CanEject;
            return 0;
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
        }
    }
    case MCI_INFO: {
        auto *p = reinterpret_cast<MCI_INFO_PARMS *>(param);
        return copy(Product, p->lpstrReturn, p->dwRetSize);
    }
    case MCI_SET:
        if (flags & MCI_SET_DOOR_OPEN) DoorOpen = true;
        if (flags & MCI_SET_DOOR_CLOSED) DoorOpen = false;
        return 0;
    case MCI_STATUS: {
        auto *p = reinterpret_cast<MCI_STATUS_PARMS *>(param);
        ++StatusQuestions[p->dwItem];
        const bool track = (flags & MCI_TRACK) != 0;
        if (track && (p->dwTrack < 1 || p->dwTrack > TrackLengths.size())) return MCIERR_OUTOFRANGE;
        switch (p->dwItem) {
        case MCI_STATUS_READY:
            p->dwReturn = 1;
            return 0;
        case MCI_STATUS_MODE:
            p->dwReturn = Mode;
            return 0;
        case MCI_STATUS_CURRENT_TRACK:
            p->dwReturn = TrackAt(Position);
            return 0;
        case MCI_STATUS_NUMBER_OF_TRACKS:
            p->dwReturn = TrackLengths.size();
            return 0;
        case MCI_STATUS_TIME_FORMAT:
            p->dwReturn = MCI_FORMAT_MILLISECONDS;
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
        Retire(notify);
        Mode = MCI_MODE_PLAY;
        if (notify) pendingCallback_ = callback;
        return 0;
    case MCI_RESUME:
        if (Mode != MCI_MODE_PAUSE) return MCIERR_NONAPPLICABLE_FUNCTION;
        Retire(notify);
        Mode = MCI_MODE_PLAY;
        if (notify) pendingCallback_ = callback;
        return 0;
    case MCI_PAUSE:
        Retire(notify);
        if (Mode == MCI_MODE_PLAY) Mode = MCI_MODE_PAUSE;
        complete();
        return 0;
    case MCI_STOP:
        Retire(notify);
        Mode = MCI_MODE_STOP;
        complete();
        return 0;
    case MCI_SEEK: {
        const auto *p = reinterpret_cast<const MCI_SEEK_PARMS *>(param);
        if (p->dwTo < Start || p->dwTo > Start + TotalLength()) return MCIERR_OUTOFRANGE;
        Retire(notify);
        if (Mode == MCI_MODE_PLAY) Mode = MCI_MODE_STOP;
        Position = p->dwTo;
        complete();
        return 0;
    }
    default:
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

#include "player_support.h"

#include "platform/mci/mcinotifyevent.h"
#include "platform/midi/smfbuilder.h"
#include "support/wavbytes.h"

#include <cstring>

QByteArray MidiFileBytes(std::uint32_t lengthMs)
{
    // 120 beats a minute at 480 ticks a beat: 0.96 ticks a millisecond.
    TSmfBuilder smf(0, 480);
    smf.track().tempo(0, 500000).noteOn(0, 0, 60, 100).noteOff(lengthMs * 480 / 500, 0, 60);
    return smf.endOfTrack(0).build();
}

QByteArray RmidFileBytes(std::uint32_t lengthMs)
{
    return TSmfBuilder::rmid(MidiFileBytes(lengthMs));
}

QByteArray WavFileBytes(std::uint32_t lengthMs, double level)
{
    return MakeWav(44100, 1, int(44100 * lengthMs / 1000),
                   [level](int n, int) { return (n / 50) % 2 ? -level : level; });
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

#pragma once
// The "waveaudio" device: sound files read by libsndfile (WAV, AIFF, FLAC, Ogg Vorbis, Opus,
// MP3), device type MCI_DEVTYPE_WAVEFORM_AUDIO.
//
// Threads: main thread only.

#include "platform/mci/mcidriver.h"

class TWaveAudioDriver : public TMciDriver {
public:
    QString name() const override { return QStringLiteral("waveaudio"); }
    std::uint32_t deviceType() const override { return MCI_DEVTYPE_WAVEFORM_AUDIO; }
    QString product() const override { return QStringLiteral("Sound Files"); }

    MCIERROR openElement(const QString &path, const TMciOutputFormat &format,
                         std::unique_ptr<TMciTransport> &transport) override;
};

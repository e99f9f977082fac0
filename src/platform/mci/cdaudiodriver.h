#pragma once
// The "cdaudio" device: the tracks of an audio CD, read digitally from the first drive of the
// machine, or from the drive or disc image that TONARIA_CDROM names, and played into the
// program's output. Device type MCI_DEVTYPE_CD_AUDIO; it opens without a file.
//
// Nothing looks for a drive before the device is opened. Without a drive or a disc the device
// still opens, reports no media, and answers the commands that need a disc with
// MCIERR_DEVICE_NOT_READY.
//
// Threads: main thread only.

#include "platform/mci/mcidriver.h"

class TCdAudioDriver : public TMciDriver {
public:
    QString name() const override { return QStringLiteral("cdaudio"); }
    std::uint32_t deviceType() const override { return MCI_DEVTYPE_CD_AUDIO; }
    QString product() const override { return QStringLiteral("CD Audio"); }
    bool usesFiles() const override { return false; }

    // A CD plays no file: an element is refused before it gets here.
    MCIERROR openElement(const QString &path, const TMciOutputFormat &format,
                         std::unique_ptr<TMciTransport> &transport) override;
    MCIERROR openDevice(const TMciOutputFormat &format,
                        std::unique_ptr<TMciTransport> &transport) override;
};

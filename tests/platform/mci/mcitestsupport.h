#pragma once
// Helpers of the media-control tests: a receiver that records completion notices, waiting with
// the event loop running, media files made on the spot, and short forms of common commands.

#include "support/testwait.h"
#include "support/wavbytes.h"
#include "tonaria/mci.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TNoticeRecorder : public QObject {
public:
    struct TNotice {
        unsigned code;
        MCIDEVICEID device;
    };
    std::vector<TNotice> notices;

    std::uintptr_t callback() { return reinterpret_cast<std::uintptr_t>(this); }
    // The codes received, in order.
    std::vector<unsigned> codes() const;

protected:
    void customEvent(QEvent *event) override;
};

// Reads a float WAV written by the audio output: interleaved stereo samples.
std::vector<float> readStereoWav(const QString &path, int *rate = nullptr);
// Index of the first frame whose left or right sample exceeds `threshold`, or -1.
long firstSound(const std::vector<float> &stereo, float threshold, long fromFrame = 0);

// Short forms; each returns the MCI error code.
MCIERROR openFile(const QString &path, MCIDEVICEID &id, const char *type = nullptr,
                  const char *alias = nullptr);
MCIERROR statusItem(MCIDEVICEID id, std::uint32_t item, std::uintptr_t &value,
                    std::uint32_t extraFlags = 0, std::uint32_t track = 0);
std::uintptr_t statusOf(MCIDEVICEID id, std::uint32_t item); // 0xDEAD on error
// The position once the audio thread has taken a pause or stop: the same in two readings 50 ms
// apart (the output may be slow to run its next block on a busy machine).
std::uintptr_t settledPosition(MCIDEVICEID id);
MCIERROR closeDevice(MCIDEVICEID id);
QString errorText(MCIERROR code);
// A device's capability, product text, and the layer's system information by number.
std::uint32_t devCaps(MCIDEVICEID id, std::uint32_t item, MCIERROR *error = nullptr);
QString productOf(MCIDEVICEID id);
QString sysInfoName(MCIDEVICEID id, std::uintptr_t flags, std::uint32_t number,
                    MCIERROR *error = nullptr);
// The names of all devices the layer lists.
QStringList deviceNames();

#include "support/testenv.h"

#include <gtest/gtest.h>

class TAudioOutput;

// Every media-control test runs in its own program folder with a fresh layer, on the small
// SoundFont (it loads fast).
class TMciTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file into the scratch folder and returns its path.
    QString writeMedia(const QString &name, const QByteArray &bytes) const
    {
        return env.writeFile(name, bytes);
    }
    // Puts an unpaced render output (or a real-time "wav:" one) writing to `path` into the
    // layer and returns it (the layer owns it).
    TAudioOutput *useOutput(const QString &choice);

    TTestEnvironment env;
};

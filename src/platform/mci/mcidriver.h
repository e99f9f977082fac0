#pragma once
// A kind of media device ("sequencer", "waveaudio", ...): its name, type code and product name,
// and how it opens a file for play. The media-control layer keeps an ordered table of drivers;
// more can be registered (hardware MIDI ports add sequencer-type devices).
//
// Threads: main thread only.

#include "tonaria/mci.h"

#include <QString>

#include <memory>

class TMciTransport;

// What a driver needs to know of the output a medium will play into.
struct TMciOutputFormat {
    int sampleRate = 44100;
    // The output renders as fast as it can (the render tool): a medium must have its sound
    // ready before play, as the audio thread will not wait for it.
    bool unpaced = false;
};

class TMciDriver {
public:
    virtual ~TMciDriver() = default;

    // The device name, as MCI_SYSINFO lists it and MCI_OPEN takes it ("sequencer").
    virtual QString name() const = 0;
    // MCI_DEVTYPE_... code.
    virtual std::uint32_t deviceType() const = 0;
    // The product name (MCI_INFO_PRODUCT), shown in the device menu.
    virtual QString product() const = 0;
    // True when the device plays files (MCI_GETDEVCAPS_USES_FILES).
    virtual bool usesFiles() const { return true; }

    // Opens `path` (an existing file) for play on an output of this format. Returns 0 and sets
    // `transport`, or returns an MCIERR_ code and leaves it empty. May take a while (a SoundFont
    // is loaded the first time).
    virtual MCIERROR openElement(const QString &path, const TMciOutputFormat &format,
                                 std::unique_ptr<TMciTransport> &transport) = 0;

    // Opens the device itself, without a file (a drive and its disc). Returns 0 and may set
    // `transport` (a device that plays no medium of its own leaves it empty and only answers
    // questions), or returns an MCIERR_ code. The default opens nothing.
    virtual MCIERROR openDevice(const TMciOutputFormat &format,
                                std::unique_ptr<TMciTransport> &transport)
    {
        (void)format;
        (void)transport;
        return 0;
    }

    // Takes a transport back after it has been closed and its source detached; a driver may keep
    // parts of it for the next open. The default destroys it.
    virtual void release(std::unique_ptr<TMciTransport> transport) { transport.reset(); }
};

#pragma once
// Learns what a playback device is: opens it by its name (no file), reads its type, whether it
// opens files and can eject, and its product name, and closes it again.
//
// Threads: main thread only.

#include "playback/spdeviceinfo.h"

#include "tonaria/mci.h"

#include <QString>

#include <cstdint>
#include <functional>

class TSPDeviceProbe {
public:
    // Carries one command to the device under test: `id` is 0 for the open and the ID the open
    // returned afterwards (a plug-in device ignores it and is addressed by its Identifier).
    using TSend = std::function<MCIERROR(MCIDEVICEID id, std::uint32_t uMsg, std::uint32_t flags,
                                         std::uintptr_t params)>;

    explicit TSPDeviceProbe(TSend send) : send_(std::move(send)) {}

    // Fills DeviceType, UsesFiles, CanEject and Description of `info` (whose Name is set).
    // Returns false when the device is to be left out, with the text to show in *failure: the
    // layer's error text, or "Operation aborted" when the device does not open. A failure to
    // read whether it uses files or can eject counts as "no".
    bool Probe(TSPDeviceInfo &info, QString *failure);

private:
    TSend send_;
};

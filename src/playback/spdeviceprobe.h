#pragma once
// Learns what a playback device is: opens it by its name (no file), reads its type, whether it
// opens files and can eject, and its product name, and closes it again.
//
// Threads: main thread only.

#include "playback/spdeviceinfo.h"

#include <QString>

class TMciCommands;

class TSPDeviceProbe {
public:
    // `device` carries the commands: the media-control layer, or the path to a plug-in device.
    explicit TSPDeviceProbe(TMciCommands &device) : device_(device) {}

    // Fills DeviceType, UsesFiles, CanEject and Description of `info` (whose Name is set).
    // Returns false when the device is to be left out, with the text to show in *failure: the
    // layer's error text, or "Operation aborted" when the device does not open. A failure to
    // read whether it uses files or can eject counts as "no".
    bool Probe(TSPDeviceInfo &info, QString *failure);

private:
    TMciCommands &device_;
};

#pragma once
// The playback devices as a user reads them on the console ("tonaria --devices"): the devices
// the player lists at start-up, one a line, each with the device name an album file binds a
// title to, its product name (the device menu's caption) and whether it opens files. ALSA
// sequencer ports are among them, named "sequencer-..." like any other device.
//
// Threads: main thread only (the player and the media-control layer live there).

#include "playback/spdeviceinfo.h"

#include <QString>

#include <memory>
#include <vector>

// A table with a heading line, the columns padded to their widest entry.
QString DeviceListing(const std::vector<std::unique_ptr<TSPDeviceInfo>> &devices);

// Analyses the devices as the jukebox does when it starts (without starting it, and without a
// running instance) and lists them.
QString ListPlayerDevices();

#pragma once
// The description of one playback device, and the one record that stands for "let the file
// choose the device".
//
// Threads: main thread only (the records belong to the player, which lives there).

#include <QString>

#include <cstdint>

struct TSPDeviceInfo {
    // Kinds of device.
    static constexpr std::uint8_t KindMci = 0;
    static constexpr std::uint8_t KindPlugin = 1;

    // True only in AnyDeviceInfo.
    bool IsAny = false;
    std::uint8_t Kind = KindMci;
    // The device's name for the media-control layer ("sequencer", "cdaudio"), or the name a
    // plug-in device reports.
    QString Name;
    // The record's index in the player's device list when it was added; -1 in the blank
    // automatic record.
    std::int32_t Identifier = -1;
    // An MCI_DEVTYPE_ code; -1 when unknown.
    std::int32_t DeviceType = -1;
    // The device opens files (its menu entry asks for one).
    bool UsesFiles = false;
    bool CanEject = false;
    // The product name: the menu caption.
    QString Description;

    // The blank values of the automatic record.
    static TSPDeviceInfo BlankAny();
};

using PSPDeviceInfo = TSPDeviceInfo *;

// The record behind "Any supported file...": the file decides which device plays it. After a
// file has been opened on it, it describes the device that was chosen. Callers pass its address
// as the player's Device; ResetDeviceInfo returns it to the blank values.
extern TSPDeviceInfo AnyDeviceInfo;

// Time modes of the player's positions and lengths. Only spmtPhysical changes anything;
// spmtMedia counts as spmtLogical.
enum TSPModeTime : std::uint8_t { spmtLogical = 0, spmtMedia = 1, spmtPhysical = 2 };

#pragma once
// The media-control commands as C++ calls: what mciSendCommand carries in a parameter block, here
// as typed arguments, texts as QString and the receiver of a completion notice as a QObject.
// The media-control layer answers them for the program's own devices; the player's path to a
// plug-in device answers them by sending the same command to the plug-in.
//
// `flags` are the command's MCI_ flags as mciSendCommand takes them (MCI_WAIT, MCI_NOTIFY, the
// command's own); with MCI_NOTIFY the completion notice goes to `notify`. Every call answers 0
// or an MCIERR_ code.
//
// Threads: main thread only.

#include "tonaria/mci.h"

#include <QString>

#include <cstdint>

class QObject;

// MCI_OPEN.
struct TMciOpenRequest {
    // MCI_OPEN_TYPE, MCI_OPEN_TYPE_ID, MCI_OPEN_ELEMENT, MCI_OPEN_ALIAS, MCI_WAIT, MCI_NOTIFY...
    std::uint32_t flags = 0;
    QString deviceType;            // with MCI_OPEN_TYPE: the device name ("sequencer")
    std::uint32_t deviceTypeId = 0; // with MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID: an MCI_DEVTYPE_ code
    QString element;               // with MCI_OPEN_ELEMENT: the file
    QString alias;                 // with MCI_OPEN_ALIAS
    QObject *notify = nullptr;
};

// MCI_SYSINFO: the question (number, deviceType) and the answer (count or name).
struct TMciSysInfo {
    std::uint32_t number = 0;     // 1-based, for MCI_SYSINFO_NAME
    std::uint32_t deviceType = 0; // 0 = every type
    std::uint32_t count = 0;      // the answer to MCI_SYSINFO_QUANTITY
    QString name;                 // the answer to MCI_SYSINFO_NAME and MCI_SYSINFO_INSTALLNAME
};

class TMciCommands {
public:
    virtual ~TMciCommands() = default;

    // `id` in: the device the open is meant for (a plug-in device is known by its number; the
    // layer gives a new one); out: the opened device's ID.
    virtual MCIERROR open(const TMciOpenRequest &request, MCIDEVICEID &id) = 0;
    // MCI_CLOSE, MCI_PAUSE, MCI_RESUME, MCI_STOP and MCI_CONFIGURE: commands whose parameter
    // block holds nothing but the notice's receiver.
    virtual MCIERROR generic(MCIDEVICEID id, std::uint32_t command, std::uint32_t flags,
                             QObject *notify) = 0;
    // MCI_PLAY; `from` with MCI_FROM, `to` with MCI_TO.
    virtual MCIERROR play(MCIDEVICEID id, std::uint32_t flags, QObject *notify,
                          std::uint32_t from = 0, std::uint32_t to = 0) = 0;
    // MCI_SEEK; `to` with MCI_TO.
    virtual MCIERROR seek(MCIDEVICEID id, std::uint32_t flags, std::uint32_t to,
                          QObject *notify) = 0;
    // MCI_STATUS of `item`; `track` with MCI_TRACK.
    virtual MCIERROR status(MCIDEVICEID id, std::uint32_t flags, std::uint32_t item,
                            std::uint32_t track, std::uintptr_t &value) = 0;
    // MCI_SET; `timeFormat` with MCI_SET_TIME_FORMAT.
    virtual MCIERROR set(MCIDEVICEID id, std::uint32_t flags, std::uint32_t timeFormat) = 0;
    // MCI_GETDEVCAPS of `item`.
    virtual MCIERROR getDevCaps(MCIDEVICEID id, std::uint32_t flags, std::uint32_t item,
                                std::uint32_t &value) = 0;
    // MCI_INFO of the kind the flags name (MCI_INFO_PRODUCT, MCI_INFO_FILE).
    virtual MCIERROR info(MCIDEVICEID id, std::uint32_t flags, QString &text) = 0;
    // MCI_SYSINFO; MCI_ALL_DEVICE_ID asks about every device.
    virtual MCIERROR sysInfo(MCIDEVICEID id, std::uint32_t flags, TMciSysInfo &query) = 0;
};

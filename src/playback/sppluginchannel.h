#pragma once
// The player's path to a plug-in device: each command becomes the media-control command code,
// flags and parameter block a plug-in device takes, handed to `send` (the player's
// OnDeviceMessage). Texts travel in buffers of TextBufferSize bytes, as the plug-in expects.
//
// The device is addressed by whoever sends; the IDs given here only seed an open's wDeviceID.
//
// Threads: main thread only.

#include "platform/mci/mcicommands.h"

#include <cstdint>
#include <functional>

class TSPPluginChannel : public TMciCommands {
public:
    // One command for the device: its code, its flags and the address of its parameter block.
    using TSend =
        std::function<MCIERROR(std::uint32_t uMsg, std::uint32_t flags, std::uintptr_t param)>;

    static constexpr std::uint32_t TextBufferSize = 300;

    explicit TSPPluginChannel(TSend send) : send_(std::move(send)) {}

    MCIERROR open(const TMciOpenRequest &request, MCIDEVICEID &id) override;
    MCIERROR generic(MCIDEVICEID id, std::uint32_t command, std::uint32_t flags,
                     QObject *notify) override;
    MCIERROR play(MCIDEVICEID id, std::uint32_t flags, QObject *notify, std::uint32_t from = 0,
                  std::uint32_t to = 0) override;
    MCIERROR seek(MCIDEVICEID id, std::uint32_t flags, std::uint32_t to,
                  QObject *notify) override;
    MCIERROR status(MCIDEVICEID id, std::uint32_t flags, std::uint32_t item, std::uint32_t track,
                    std::uintptr_t &value) override;
    MCIERROR set(MCIDEVICEID id, std::uint32_t flags, std::uint32_t timeFormat) override;
    MCIERROR getDevCaps(MCIDEVICEID id, std::uint32_t flags, std::uint32_t item,
                        std::uint32_t &value) override;
    MCIERROR info(MCIDEVICEID id, std::uint32_t flags, QString &text) override;
    MCIERROR sysInfo(MCIDEVICEID id, std::uint32_t flags, TMciSysInfo &query) override;

private:
    template <class TBlock>
    MCIERROR Send(std::uint32_t uMsg, std::uint32_t flags, TBlock &block);

    TSend send_;
};

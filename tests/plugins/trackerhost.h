#pragma once
// A host for one plug-in in the tests: loads the library, sends PI_INITIALIZE and PI_SETHOST as
// the program does, answers the plug-in's device registration, and sends it device messages.
#include "tonaria/mci.h"
#include "tonaria/plugin.h"

#include <QString>

#include <cstdint>

class TTestPluginHost {
public:
    // The DeviceID the host hands out; a negative value refuses the registration.
    static inline intptr_t NextDeviceId = 7;
    static inline int Registrations = 0;
    static inline uintptr_t RegisteredBy = 0;

    explicit TTestPluginHost(const char *path);
    ~TTestPluginHost();

    bool loaded() const { return proc_ != nullptr; }
    intptr_t send(std::uint32_t msg, uintptr_t wParam = 0, uintptr_t lParam = 0);
    // A text query, asked the way the host asks it: the size first, then the text.
    QString text(std::uint32_t msg);
    QString extensions();
    // One media-control command for the device.
    MCIERROR command(std::uint32_t msg, std::uintptr_t flags, void *params = nullptr);

    // Short forms of the player's commands.
    MCIERROR open(const QString &element);
    std::uintptr_t status(std::uint32_t item, std::uint32_t flags = 0);

private:
    void *library_ = nullptr;
    TPIProc proc_ = nullptr;
};

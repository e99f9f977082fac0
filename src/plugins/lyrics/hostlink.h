#pragma once
// The plug-in's side of PIHostProc: the questions the view asks the program, each a message
// through the call-back the host handed over in PI_SETHOST. A host that does not know a question
// leaves the answer as the plug-in set it; then the title counts as closed.
//
// Threads: main thread (the host answers there).

#include "tonaria/plugin.h"

#include <QString>

#include <cstdint>

class TPIHostLink {
public:
    // The longest file name taken from the host.
    static constexpr std::intptr_t MaxFileNameBytes = 64 * 1024;

    TPIHostLink() = default;
    TPIHostLink(TPIProc proc, std::uintptr_t pluginId) : proc_(proc), pluginId_(pluginId) {}

    bool Valid() const { return proc_ != nullptr; }
    std::uintptr_t PluginId() const { return pluginId_; }

    // PH_REGISTERVIEW: the new view's ID, or -1 when the host refused.
    std::intptr_t RegisterView() const;
    // PH_GETSTATE: one of the PH_STATE_ values.
    int State() const;
    // PH_GETPOSITION and PH_GETLENGTH, in milliseconds.
    std::int64_t Position() const;
    std::int64_t Length() const;
    // PH_GETFILENAME (a text query): the loaded title's path, "" when none.
    QString FileName() const;

private:
    std::intptr_t Send(std::uint32_t code, std::uintptr_t wParam, std::uintptr_t lParam,
                       std::intptr_t unanswered) const;

    TPIProc proc_ = nullptr;
    std::uintptr_t pluginId_ = 0;
};

#pragma once
// What the plug-in host asks of the program around it: the actions plug-ins may ask for, the
// loaded title's file and where it stands, and the splash's status line.
//
// Threads: main thread only.

#include <QString>

#include <cstdint>

// The actions a plug-in can ask for; each ends by telling every plug-in of it.
enum class TPIHostAction { UpdateControls, UpdateDisplay, Animate, PeakTick, CheckEnd };

// Where the loaded title stands, as the host tells plug-ins.
enum class TPIPlayState { Closed = 0, Stopped = 1, Playing = 2, Paused = 3 };

class TPIHostSite {
public:
    virtual ~TPIHostSite() = default;

    // Carries out the action now, inside the plug-in's call.
    virtual void RunPluginAction(TPIHostAction action) = 0;
    // The loaded title's file path, "" when nothing is loaded.
    virtual QString PluginLoadedFile() = 0;
    // The position in and the length of the loaded title, milliseconds (0 when nothing is
    // loaded or the device cannot tell).
    virtual std::int64_t PluginPosition() = 0;
    virtual std::int64_t PluginLength() = 0;
    virtual TPIPlayState PluginPlayState() = 0;
    // The splash's status line while plug-ins load.
    virtual void PluginLoadingStatus(const QString &text) = 0;
};

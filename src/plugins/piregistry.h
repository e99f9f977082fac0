#pragma once
// The host's three lists: the loaded plug-ins in load order, the devices and the views they
// registered.
//
// A plug-in's ID is its position in the plug-in list. A device's DeviceID is the number of the
// player's own devices plus the number of plug-in devices registered before it. A view's ViewID
// is the number of views in the list when it was registered.
//
// Views may come and go while the program runs. A ViewID is given once and keeps naming the same
// view until it is removed: a new view takes one more than the largest ViewID in the list
// (which is the list's length as long as no view before the last was removed), so two views
// never share an ID. Removing a view asks for its ViewID; while no earlier view has been removed
// that is also its position in the list.
//
// Threads: main thread only.

#include "tonaria/plugin.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct TPluginRec {
    int ID = 0;
    TPIProc Proc = nullptr;
    QString FileName;
    void *Library = nullptr;
};

class TPIRegistry {
public:
    struct TDeviceEntry {
        int DeviceID;
        int PluginID;
    };
    struct TViewEntry {
        int ViewID;
        int PluginID;
    };

    // ---- Plug-ins ----
    int PluginCount() const { return int(plugins_.size()); }
    bool ValidPlugin(int id) const { return id >= 0 && id < PluginCount(); }
    // The record at the position; null for a bad ID.
    const TPluginRec *Plugin(int id) const;
    // Appends a record whose ID is the list's length; returns that ID.
    int AddPlugin(TPIProc proc, const QString &fileName, void *library);
    // Removes the last plug-in together with every device and view it registered, so that the
    // next plug-in, which takes its ID, inherits none of them.
    void RemoveLastPlugin();
    // Releases the last plug-in's record (the lists are being released).
    void PopPlugin();

    // ---- Devices ----
    // The DeviceID of the first plug-in device: the player's own devices come before.
    void SetFirstDeviceID(int first) { firstDeviceID_ = first; }
    int DeviceCount() const { return int(devices_.size()); }
    int RegisterDevice(int pluginId);
    // The plug-in that registered the device, or none.
    std::optional<int> DeviceOwner(int deviceId) const;

    // ---- Views ----
    int ViewCount() const { return int(views_.size()); }
    const std::vector<TViewEntry> &Views() const { return views_; }
    int RegisterView(int pluginId);
    // False when no view has that ID.
    bool UnregisterView(int viewId);
    std::optional<int> ViewOwner(int viewId) const;

    // Releases every device and view entry, last to first.
    void ReleaseEntries();

private:
    std::vector<TPluginRec> plugins_;
    std::vector<TDeviceEntry> devices_;
    std::vector<TViewEntry> views_;
    int firstDeviceID_ = 0;
};

#include "plugins/piregistry.h"

#include <algorithm>

const TPluginRec *TPIRegistry::Plugin(int id) const
{
    return ValidPlugin(id) ? &plugins_[std::size_t(id)] : nullptr;
}

int TPIRegistry::AddPlugin(TPIProc proc, const QString &fileName, void *library)
{
    const int id = PluginCount();
    plugins_.push_back(TPluginRec{id, proc, fileName, library});
    return id;
}

void TPIRegistry::RemoveLastPlugin()
{
    if (plugins_.empty()) return;
    const int id = plugins_.back().ID;
    std::erase_if(devices_, [id](const TDeviceEntry &e) { return e.PluginID == id; });
    // The devices left keep their numbers; the next one registered follows the last of them.
    std::erase_if(views_, [id](const TViewEntry &e) { return e.PluginID == id; });
    plugins_.pop_back();
}

void TPIRegistry::PopPlugin()
{
    if (!plugins_.empty()) plugins_.pop_back();
}

int TPIRegistry::RegisterDevice(int pluginId)
{
    const int id = devices_.empty() ? firstDeviceID_ : devices_.back().DeviceID + 1;
    devices_.push_back(TDeviceEntry{id, pluginId});
    return id;
}

std::optional<int> TPIRegistry::DeviceOwner(int deviceId) const
{
    for (const TDeviceEntry &e : devices_) {
        if (e.DeviceID == deviceId) return e.PluginID;
    }
    return std::nullopt;
}

int TPIRegistry::RegisterView(int pluginId)
{
    int id = 0;
    for (const TViewEntry &e : views_)
        id = std::max(id, e.ViewID + 1);
    views_.push_back(TViewEntry{id, pluginId});
    return id;
}

bool TPIRegistry::UnregisterView(int viewId)
{
    const auto it = std::find_if(views_.begin(), views_.end(),
                                 [viewId](const TViewEntry &e) { return e.ViewID == viewId; });
    if (it == views_.end()) return false;
    views_.erase(it);
    return true;
}

std::optional<int> TPIRegistry::ViewOwner(int viewId) const
{
    for (const TViewEntry &e : views_) {
        if (e.ViewID == viewId) return e.PluginID;
    }
    return std::nullopt;
}

void TPIRegistry::ReleaseEntries()
{
    while (!devices_.empty())
        devices_.pop_back();
    while (!views_.empty())
        views_.pop_back();
}

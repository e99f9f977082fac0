#pragma once
// The player's list of playback devices: the media-control devices first, then the plug-in
// devices, with the filter that keeps a second device of an already listed product name out,
// and the entries of the device menu made from it.
//
// Threads: main thread only.

#include "playback/spdeviceinfo.h"
#include "playback/spdevicemenu.h"

#include <QStringList>

#include <memory>
#include <vector>

class TSPDeviceList {
public:
    const std::vector<std::unique_ptr<TSPDeviceInfo>> &Records() const { return records_; }
    int Count() const { return int(records_.size()); }
    bool Contains(const TSPDeviceInfo *info) const;

    int MCIDeviceCount() const { return mciDeviceCount_; }
    int PluginDeviceCount() const { return pluginDeviceCount_; }
    // The two runs are counted once each analysis has ended.
    void SetMCIDeviceCount(int count) { mciDeviceCount_ = count; }
    void SetPluginDeviceCount(int count) { pluginDeviceCount_ = count; }

    // The product names listed so far.
    const QStringList &Descriptions() const { return descriptions_; }

    // Appends the record unless a listed device has the same product name; on success the
    // list takes the record (info is left empty).
    bool Accept(std::unique_ptr<TSPDeviceInfo> &info);
    // Frees every record and zeroes both counts.
    void Clear();

    PSPDeviceInfo FindByType(std::int32_t deviceType) const;
    // Compares without regard to letter case.
    PSPDeviceInfo FindByName(const QString &name) const;

    // "Any supported file...", a separator, then one entry per device (its product name, with
    // "..." when it opens files), with a separator before the first plug-in device.
    std::vector<TSPMenuItem> MenuItems() const;

private:
    std::vector<std::unique_ptr<TSPDeviceInfo>> records_;
    QStringList descriptions_;
    int mciDeviceCount_ = 0;
    int pluginDeviceCount_ = 0;
};

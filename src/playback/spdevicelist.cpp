#include "playback/spdevicelist.h"

#include <algorithm>
#include <utility>

bool TSPDeviceList::Contains(const TSPDeviceInfo *info) const
{
    return info && std::any_of(records_.begin(), records_.end(),
                               [info](const auto &record) { return record.get() == info; });
}

bool TSPDeviceList::Accept(std::unique_ptr<TSPDeviceInfo> &info)
{
    if (!info || descriptions_.contains(info->Description)) return false;
    descriptions_.append(info->Description);
    records_.push_back(std::move(info));
    return true;
}

void TSPDeviceList::Clear()
{
    records_.clear();
    descriptions_.clear();
    mciDeviceCount_ = 0;
    pluginDeviceCount_ = 0;
}

PSPDeviceInfo TSPDeviceList::FindByType(std::int32_t deviceType) const
{
    for (const auto &record : records_)
        if (record->DeviceType == deviceType) return record.get();
    return nullptr;
}

PSPDeviceInfo TSPDeviceList::FindByName(const QString &name) const
{
    for (const auto &record : records_)
        if (record->Name.compare(name, Qt::CaseInsensitive) == 0) return record.get();
    return nullptr;
}

std::vector<TSPMenuItem> TSPDeviceList::MenuItems() const
{
    std::vector<TSPMenuItem> items;
    items.push_back({false, QStringLiteral("Any supported file..."), TSPMenuItem::AnyTag});
    items.push_back({true, QStringLiteral("-"), TSPMenuItem::AnyTag});
    bool pluginSeparator = false;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const TSPDeviceInfo &info = *records_[i];
        if (info.Kind == TSPDeviceInfo::KindPlugin && !pluginSeparator) {
            items.push_back({true, QStringLiteral("-"), TSPMenuItem::AnyTag});
            pluginSeparator = true;
        }
        QString caption = info.Description;
        if (info.UsesFiles) caption += QStringLiteral("...");
        items.push_back({false, caption, int(i)});
    }
    return items;
}

#include "core/recentfiles.h"

#include "settings/preferences.h"

#include <algorithm>

namespace {

const QString kRecentKey = QStringLiteral("\\") + kTonariaKey + QStringLiteral("\\Recent");

} // namespace

void TRecentFiles::Add(const QString &name, int data)
{
    if (name.isEmpty()) return;
    std::erase_if(items_, [&](const TRecentFile &item) { return item.Name == name; });
    items_.insert(items_.begin(), TRecentFile{name, data});
    if (items_.size() > std::size_t(Capacity)) items_.resize(std::size_t(Capacity));
    Changed();
}

void TRecentFiles::Clear()
{
    items_.clear();
    Changed();
}

void TRecentFiles::Changed()
{
    emit changed();
}

void TRecentFiles::Load(TRegistry &registry)
{
    items_.clear();
    if (registry.OpenKey(kRecentKey, false)) {
        for (int i = 1; i <= Capacity; ++i) {
            const auto name = registry.ReadString(QStringLiteral("File%1").arg(i));
            if (!name || name->isEmpty()) continue;
            const bool known =
                std::any_of(items_.begin(), items_.end(),
                            [&](const TRecentFile &item) { return item.Name == *name; });
            if (!known)
                items_.push_back(TRecentFile{
                    *name, registry.ReadInteger(QStringLiteral("Data%1").arg(i)).value_or(0)});
        }
    }
    registry.CloseKey();
    Changed();
}

bool TRecentFiles::Save(TRegistry &registry) const
{
    registry.DeleteKey(kRecentKey);
    bool ok = registry.OpenKey(kRecentKey, true);
    for (std::size_t i = 0; ok && i < items_.size(); ++i) {
        const int n = int(i) + 1;
        ok = registry.WriteString(QStringLiteral("File%1").arg(n), items_[i].Name) &&
             registry.WriteInteger(QStringLiteral("Data%1").arg(n), items_[i].Data);
    }
    registry.CloseKey();
    return ok;
}

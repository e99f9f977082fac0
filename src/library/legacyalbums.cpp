#include "library/legacyalbums.h"

#include "library/album.h"

#include <algorithm>

namespace {

constexpr auto kHive = TRegistryStore::THive::CurrentUser;

QString SlotKey(int slot)
{
    return TLegacyAlbums::kAlbumsKey + QStringLiteral("\\Album") + QString::number(slot);
}

} // namespace

bool TLegacyAlbums::ReadCount(const QString &key, const QString &name, int &count,
                              QString &error) const
{
    const auto kind = store_.valueKind(kHive, key, name);
    const auto value = store_.readDword(kHive, key, name);
    if (!value) {
        error = kind == TRegistryStore::TKind::None
                    ? QStringLiteral("Failed to get data for '%1'").arg(name)
                    : QStringLiteral("Invalid data type for '%1'").arg(name);
        return false;
    }
    // The old program wrote signed numbers; a negative count holds nothing.
    const auto asSigned = static_cast<qint32>(*value);
    count = std::clamp(asSigned, 0, kMaxCount);
    return true;
}

TLegacyAlbums::TStatus TLegacyAlbums::ReadSlots(QStringList &rows, QString &error) const
{
    rows.clear();
    if (!store_.keyExists(kHive, kAlbumsKey)) return TStatus::NoKey;
    int count = 0;
    if (!ReadCount(kAlbumsKey, QStringLiteral("Kapasitas"), count, error)) return TStatus::Failed;
    rows.reserve(count);
    for (int slot = 0; slot < count; ++slot) {
        const QString key = SlotKey(slot);
        QString name;
        if (store_.keyExists(kHive, key))
            name = store_.readString(kHive, key, QStringLiteral("Judul")).value_or(QString());
        rows.append(name.isEmpty() ? kUnavailable : name);
    }
    return TStatus::Ok;
}

std::unique_ptr<TAlbum> TLegacyAlbums::ImportSlot(int slot, const QString &caption,
                                                  QString &error) const
{
    const QString key = SlotKey(slot);
    if (slot < 0 || !store_.keyExists(kHive, key)) return {};
    int count = 0;
    if (!ReadCount(key, QStringLiteral("Jumlah"), count, error)) return {};
    auto album = TAlbum::CreateAlbum();
    album->Caption = caption;
    for (int entry = 0; entry < count; ++entry) {
        const QString text =
            store_.readString(kHive, key, QStringLiteral("File") + QString::number(entry))
                .value_or(QString());
        const qsizetype mark = text.indexOf(u'>');
        if (mark < 0) continue;
        TTitle *title = album->AddTitle();
        title->Caption = text.left(mark);
        title->FileName = text.mid(mark + 1);
    }
    return album;
}

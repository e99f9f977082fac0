#pragma once
// The albums of the program's previous generation, which kept them in the registry instead of
// album files:
//
//   [HKEY_CURRENT_USER\Software\Verdantquill\Tonaria\CurrentVersion\Albums]
//   "Kapasitas"=dword:...        number of album slots N
//   [...\Albums\Album0] ... [...\Albums\Album<N-1>]   (a slot may be missing)
//   "Judul"="..."                the album's name
//   "Jumlah"=dword:...           number of entries M
//   "File0" ... "File<M-1>"      "name>file name"; an entry without ">" is not a title
//
// Reading never writes to the old keys. File names are kept as written, drive letters and all:
// a title whose file is not there reports it when it is played, as any other title does.
//
// Threads: the store's thread.
#include "platform/system/registrystore.h"

#include <QString>
#include <QStringList>

#include <memory>

class TAlbum;

class TLegacyAlbums {
public:
    // The caption of a slot that is missing or has no name.
    static inline const QString kUnavailable = QStringLiteral("(unavailable??\?)");
    static inline const QString kAlbumsKey =
        QStringLiteral("Software\\Verdantquill\\Tonaria\\CurrentVersion\\Albums");
    // More slots or entries than this are not read: no album of that generation came near it,
    // and a damaged count must not make the import list billions of rows.
    static constexpr int kMaxCount = 100000;

    enum class TStatus {
        NoKey,  // there are no old albums: the import does nothing
        Failed, // a count is missing or not an integer: error tells why
        Ok,
    };

    // The store is read only (current user hive) and must outlive this object.
    explicit TLegacyAlbums(const TRegistryStore &store) : store_(store) {}

    // The rows of the choice list, one per slot in slot order: the slot's name, or kUnavailable.
    TStatus ReadSlots(QStringList &rows, QString &error) const;

    // A new album (not loaded, no file, internal programs not refreshed) captioned `caption`
    // with the titles of slot `slot`. Null when the slot's key is missing (nothing to import,
    // no error) or when its entry count is bad (error tells why).
    std::unique_ptr<TAlbum> ImportSlot(int slot, const QString &caption, QString &error) const;

private:
    // A count value: false and a text when it is missing or not an integer.
    bool ReadCount(const QString &key, const QString &name, int &count, QString &error) const;

    const TRegistryStore &store_;
};

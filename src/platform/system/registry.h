#pragma once
// A key-at-a-time view of the registry store, in the manner of the desktop registry's classic
// wrapper: choose a hive (RootKey), open a key, read and write its values.
//
// A key path that begins with "\" is taken from the hive; any other path is taken from the open
// key (or from the hive when no key is open). Reads give std::nullopt for a value that is
// missing or of another kind. With no key open, values are those of the hive itself. Writes fail
// (false) when the open key has been deleted meanwhile.
// Changes live in the store until Flush() writes it to its file.
//
// Threads: the store's thread only.

#include "platform/system/registrystore.h"

#include <QString>
#include <QStringList>

#include <optional>

class TRegistry {
public:
    using THive = TRegistryStore::THive;

    explicit TRegistry(TRegistryStore &store);

    TRegistryStore &Store() const { return store_; }

    // Changing the hive closes the open key.
    void SetRootKey(THive hive);
    THive RootKey() const { return root_; }

    // Opens a key, creating it (and its parents) when canCreate; false when it does not exist
    // and may not be created, or its name is not valid. A failed open leaves the old key open.
    bool OpenKey(const QString &key, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const { return open_; }
    // The open key's path from the hive ("Software\Brimvel"), empty when none is open.
    QString CurrentPath() const { return path_; }

    bool KeyExists(const QString &key) const;
    // Deletes a key with all its sub-keys.
    bool DeleteKey(const QString &key);
    QStringList GetKeyNames() const;

    bool ValueExists(const QString &name) const;
    std::optional<int> ReadInteger(const QString &name) const;
    std::optional<QString> ReadString(const QString &name) const;
    // An integer value; true when not 0.
    std::optional<bool> ReadBool(const QString &name) const;
    bool WriteInteger(const QString &name, int value);
    bool WriteString(const QString &name, const QString &value);
    bool WriteBool(const QString &name, bool value);
    bool DeleteValue(const QString &name);
    // The open key's value names in the order they were created; "" is the default value.
    QStringList GetValueNames() const;

    // Writes the store to its file when it has changed; false and a text when that fails.
    bool Flush(QString *error = nullptr);

private:
    QString resolve(const QString &key) const;
    // The path values are read from: the open key, or the hive itself.
    const QString &valuePath() const { return path_; }

    TRegistryStore &store_;
    THive root_ = THive::CurrentUser;
    QString path_;
    bool open_ = false;
};

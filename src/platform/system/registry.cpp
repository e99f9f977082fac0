#include "platform/system/registry.h"

TRegistry::TRegistry(TRegistryStore &store) : store_(store) {}

void TRegistry::SetRootKey(THive hive)
{
    CloseKey();
    root_ = hive;
}

QString TRegistry::resolve(const QString &key) const
{
    const QStringList names = key.split(u'\\', Qt::SkipEmptyParts);
    if (key.startsWith(u'\\') || !open_ || path_.isEmpty()) return names.join(u'\\');
    return names.isEmpty() ? path_ : path_ + u'\\' + names.join(u'\\');
}

bool TRegistry::OpenKey(const QString &key, bool canCreate)
{
    const QString path = resolve(key);
    if (!store_.keyExists(root_, path)) {
        if (!canCreate || !store_.createKey(root_, path)) return false;
    }
    path_ = path;
    open_ = true;
    return true;
}

void TRegistry::CloseKey()
{
    path_.clear();
    open_ = false;
}

bool TRegistry::KeyExists(const QString &key) const
{
    return store_.keyExists(root_, resolve(key));
}

bool TRegistry::DeleteKey(const QString &key)
{
    return store_.deleteKey(root_, resolve(key));
}

QStringList TRegistry::GetKeyNames() const
{
    return store_.subKeyNames(root_, valuePath());
}

bool TRegistry::ValueExists(const QString &name) const
{
    return store_.valueKind(root_, valuePath(), name) != TRegistryStore::TKind::None;
}

std::optional<int> TRegistry::ReadInteger(const QString &name) const
{
    const auto value = store_.readDword(root_, valuePath(), name);
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<QString> TRegistry::ReadString(const QString &name) const
{
    return store_.readString(root_, valuePath(), name);
}

std::optional<bool> TRegistry::ReadBool(const QString &name) const
{
    const auto value = store_.readDword(root_, valuePath(), name);
    if (!value) return std::nullopt;
    return *value != 0;
}

bool TRegistry::WriteInteger(const QString &name, int value)
{
    return store_.writeDword(root_, valuePath(), name, static_cast<std::uint32_t>(value));
}

bool TRegistry::WriteString(const QString &name, const QString &value)
{
    return store_.writeString(root_, valuePath(), name, value);
}

bool TRegistry::WriteBool(const QString &name, bool value)
{
    return store_.writeDword(root_, valuePath(), name, value ? 1u : 0u);
}

bool TRegistry::DeleteValue(const QString &name)
{
    return store_.deleteValue(root_, valuePath(), name);
}

QStringList TRegistry::GetValueNames() const
{
    return store_.valueNames(root_, valuePath());
}

bool TRegistry::Flush(QString *error)
{
    if (!store_.isModified()) return true;
    return store_.save(error);
}

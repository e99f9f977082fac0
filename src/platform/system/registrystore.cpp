#include "platform/system/registrystore.h"

#include "platform/system/asciicase.h"
#include "platform/system/atomicfile.h"
#include "platform/system/textdecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <functional>

#include <sys/stat.h>

struct TRegistryStore::TValue {
    QString name;
    TKind kind = TKind::None;
    std::uint32_t dword = 0;
    QString text; // the string, or the data of an Other value as it stood in the file
};

namespace {

// Names compare with the ASCII letters folded; other characters compare as they are.
QString fold(const QString &name)
{
    return AsciiLower(name);
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

bool isValidKeyName(const QString &name)
{
    if (name.isEmpty() || name.size() > TRegistryStore::kMaxKeyNameLength) return false;
    for (QChar c : name) {
        if (isControl(c) || c == u'\\') return false;
    }
    return true;
}

QStringList splitPath(const QString &path)
{
    return path.split(u'\\', Qt::SkipEmptyParts);
}

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (isControl(c))
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
            else
                out += c;
        }
    }
    return out;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at line[pos] == '"'. On success returns the text and sets pos
// just past the closing quote.
std::optional<QString> readQuoted(const QString &line, qsizetype &pos)
{
    if (pos >= line.size() || line[pos] != u'"') return std::nullopt;
    QString out;
    qsizetype i = pos + 1;
    while (i < line.size()) {
        const QChar c = line[i];
        if (c == u'"') {
            pos = i + 1;
            return out;
        }
        if (c == u'\\' && i + 1 < line.size()) {
            const QChar n = line[i + 1];
            if (n == u'\\' || n == u'"') {
                out += n;
                i += 2;
                continue;
            }
            if (n == u'r' || n == u'n' || n == u't') {
                out += n == u'r' ? u'\r' : n == u'n' ? u'\n' : u'\t';
                i += 2;
                continue;
            }
            if (n == u'x' && i + 3 < line.size() && hexDigit(line[i + 2]) >= 0 &&
                hexDigit(line[i + 3]) >= 0) {
                out += QChar(char16_t(hexDigit(line[i + 2]) * 16 + hexDigit(line[i + 3])));
                i += 4;
                continue;
            }
            // Any other backslash stands for itself, as in a hand-typed Windows path.
        }
        out += c;
        ++i;
    }
    return std::nullopt;
}

// The hives a file may hold; sections of any other name are skipped.
bool isHiveName(const QString &name)
{
    static const char16_t *const hives[] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER",
                                            u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
                                            u"HKEY_CURRENT_CONFIG"};
    for (const char16_t *hive : hives) {
        if (SameAsciiNoCase(name, hive)) return true;
    }
    return false;
}

std::optional<std::uint32_t> parseDword(const QString &digits)
{
    if (digits.isEmpty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (QChar c : digits) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + std::uint32_t(d);
    }
    return value;
}

} // namespace

struct TRegistryStore::TKey {
    QString name;
    std::vector<TValue> values;
    QHash<QString, std::size_t> valueIndex;
    std::vector<std::unique_ptr<TKey>> subKeys;
    QHash<QString, TKey *> subKeyIndex;

    TKey *child(const QString &childName) const { return subKeyIndex.value(fold(childName)); }

    TKey *addChild(const QString &childName)
    {
        if (TKey *existing = child(childName)) return existing;
        auto key = std::make_unique<TKey>();
        key->name = childName;
        TKey *raw = key.get();
        subKeys.push_back(std::move(key));
        subKeyIndex.insert(fold(childName), raw);
        return raw;
    }

    bool removeChild(const QString &childName)
    {
        TKey *key = child(childName);
        if (!key) return false;
        subKeyIndex.remove(fold(childName));
        std::erase_if(subKeys, [key](const std::unique_ptr<TKey> &k) { return k.get() == key; });
        return true;
    }

    TValue *value(const QString &valueName)
    {
        const auto it = valueIndex.constFind(fold(valueName));
        return it == valueIndex.cend() ? nullptr : &values[*it];
    }

    bool removeValue(const QString &valueName)
    {
        const auto it = valueIndex.constFind(fold(valueName));
        if (it == valueIndex.cend()) return false;
        values.erase(values.begin() + qsizetype(*it));
        valueIndex.clear();
        for (std::size_t i = 0; i < values.size(); ++i)
            valueIndex.insert(fold(values[i].name), i);
        return true;
    }
};

TRegistryStore::TRegistryStore(QString filePath) : filePath_(std::move(filePath))
{
    clear();
}

TRegistryStore::~TRegistryStore() = default;

QString TRegistryStore::defaultFilePath()
{
    const QString config = qEnvironmentVariable("TONARIA_CONFIG");
    if (!config.isEmpty()) return config;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tonaria/registry.reg");
}

QString TRegistryStore::hiveName(THive hive)
{
    return hive == THive::ClassesRoot ? QStringLiteral("HKEY_CLASSES_ROOT")
                                      : QStringLiteral("HKEY_CURRENT_USER");
}

void TRegistryStore::clear()
{
    roots_.clear();
    rootByName(hiveName(THive::CurrentUser), true);
    rootByName(hiveName(THive::ClassesRoot), true);
    modified_ = true;
}

TRegistryStore::TKey *TRegistryStore::rootByName(const QString &name, bool create)
{
    const QString folded = fold(name);
    for (const auto &r : roots_) {
        if (fold(r->name) == folded) return r.get();
    }
    if (!create) return nullptr;
    auto key = std::make_unique<TKey>();
    key->name = name;
    roots_.push_back(std::move(key));
    return roots_.back().get();
}

TRegistryStore::TKey *TRegistryStore::root(THive hive) const
{
    return const_cast<TRegistryStore *>(this)->rootByName(hiveName(hive), false);
}

TRegistryStore::TKey *TRegistryStore::findKey(THive hive, const QString &path) const
{
    TKey *key = root(hive);
    for (const QString &name : splitPath(path)) {
        if (!key) break;
        key = key->child(name);
    }
    return key;
}

TRegistryStore::TValue *TRegistryStore::findValue(THive hive, const QString &path,
                                                  const QString &name) const
{
    TKey *key = findKey(hive, path);
    return key ? key->value(name) : nullptr;
}

bool TRegistryStore::keyExists(THive hive, const QString &path) const
{
    return findKey(hive, path) != nullptr;
}

bool TRegistryStore::createKey(THive hive, const QString &path)
{
    const QStringList names = splitPath(path);
    if (names.size() > kMaxKeyDepth) return false;
    for (const QString &name : names) {
        if (!isValidKeyName(name)) return false;
    }
    TKey *key = root(hive);
    for (const QString &name : names) {
        TKey *next = key->child(name);
        if (!next) {
            next = key->addChild(name);
            modified_ = true;
        }
        key = next;
    }
    return true;
}

bool TRegistryStore::deleteKey(THive hive, const QString &path)
{
    QStringList names = splitPath(path);
    if (names.isEmpty()) return false;
    const QString last = names.takeLast();
    TKey *parent = findKey(hive, names.join(u'\\'));
    if (!parent || !parent->removeChild(last)) return false;
    modified_ = true;
    return true;
}

QStringList TRegistryStore::subKeyNames(THive hive, const QString &path) const
{
    QStringList names;
    if (const TKey *key = findKey(hive, path)) {
        for (const auto &k : key->subKeys)
            names.append(k->name);
    }
    return names;
}

QStringList TRegistryStore::valueNames(THive hive, const QString &path) const
{
    QStringList names;
    if (const TKey *key = findKey(hive, path)) {
        for (const TValue &v : key->values)
            names.append(v.name);
    }
    return names;
}

TRegistryStore::TKind TRegistryStore::valueKind(THive hive, const QString &path,
                                                const QString &name) const
{
    const TValue *v = findValue(hive, path, name);
    return v ? v->kind : TKind::None;
}

std::optional<std::uint32_t> TRegistryStore::readDword(THive hive, const QString &path,
                                                       const QString &name) const
{
    const TValue *v = findValue(hive, path, name);
    if (!v || v->kind != TKind::Dword) return std::nullopt;
    return v->dword;
}

std::optional<QString> TRegistryStore::readString(THive hive, const QString &path,
                                                  const QString &name) const
{
    const TValue *v = findValue(hive, path, name);
    if (!v || v->kind != TKind::String) return std::nullopt;
    return v->text;
}

void TRegistryStore::setValue(TKey *key, TValue value)
{
    if (TValue *existing = key->value(value.name)) {
        // The value keeps its place and its first spelling.
        existing->kind = value.kind;
        existing->dword = value.dword;
        existing->text = std::move(value.text);
    } else {
        key->valueIndex.insert(fold(value.name), key->values.size());
        key->values.push_back(std::move(value));
    }
    modified_ = true;
}

bool TRegistryStore::writeDword(THive hive, const QString &path, const QString &name,
                                std::uint32_t value)
{
    TKey *key = findKey(hive, path);
    if (!key) return false;
    setValue(key, TValue{name, TKind::Dword, value, QString()});
    return true;
}

bool TRegistryStore::writeString(THive hive, const QString &path, const QString &name,
                                 const QString &value)
{
    TKey *key = findKey(hive, path);
    if (!key) return false;
    setValue(key, TValue{name, TKind::String, 0, value});
    return true;
}

bool TRegistryStore::deleteValue(THive hive, const QString &path, const QString &name)
{
    TKey *key = findKey(hive, path);
    if (!key || !key->removeValue(name)) return false;
    modified_ = true;
    return true;
}

// ---- the file ---------------------------------------------------------------------------------

QByteArray TRegistryStore::toText() const
{
    QString out = QStringLiteral("REGEDIT4\r\n\r\n");
    auto writeValues = [&out](const TKey &key) {
        for (const TValue &v : key.values) {
            out += v.name.isEmpty() ? QStringLiteral("@") : u'"' + escaped(v.name) + u'"';
            out += u'=';
            switch (v.kind) {
            case TKind::Dword:
                out += QStringLiteral("dword:%1").arg(v.dword, 8, 16, QChar(u'0'));
                break;
            case TKind::String:
                out += u'"' + escaped(v.text) + u'"';
                break;
            default:
                out += v.text;
                break;
            }
            out += QLatin1String("\r\n");
        }
    };
    // Depth is bounded by kMaxKeyDepth, so the recursion is too.
    std::function<void(const TKey &, const QString &)> writeTree;
    writeTree = [&](const TKey &key, const QString &path) {
        out += u'[' + path + QLatin1String("]\r\n");
        writeValues(key);
        out += QLatin1String("\r\n");
        for (const auto &k : key.subKeys)
            writeTree(*k, path + u'\\' + k->name);
    };
    for (const auto &r : roots_) {
        if (!r->values.empty()) {
            out += u'[' + r->name + QLatin1String("]\r\n");
            writeValues(*r);
            out += QLatin1String("\r\n");
        }
        for (const auto &k : r->subKeys)
            writeTree(*k, r->name + u'\\' + k->name);
    }
    return out.toUtf8();
}

void TRegistryStore::parseValueLine(TKey *key, const QString &line, const QStringList &lines,
                                    qsizetype &i)
{
    QString name;
    qsizetype pos = 0;
    if (line.startsWith(u'@')) {
        pos = 1;
    } else {
        const auto quoted = readQuoted(line, pos);
        if (!quoted) return;
        name = *quoted;
    }
    while (pos < line.size() && line[pos].isSpace())
        ++pos;
    if (pos >= line.size() || line[pos] != u'=') return;
    QString data = line.mid(pos + 1).trimmed();

    // Binary values may run over several lines, each but the last ending in a backslash.
    if (SameAsciiNoCase(QStringView(data).left(3), u"hex")) {
        while (data.endsWith(u'\\') && i + 1 < lines.size()) {
            data.chop(1);
            data += lines[++i].trimmed();
        }
    }

    if (data == QLatin1String("-"))
        return; // the registry editor's mark for a deleted value: nothing to keep
    TValue value{name, TKind::Other, 0, QString()};
    if (SameAsciiNoCase(QStringView(data).left(6), u"dword:")) {
        if (const auto dword = parseDword(data.mid(6).trimmed())) {
            value.kind = TKind::Dword;
            value.dword = *dword;
        }
    } else if (data.startsWith(u'"')) {
        qsizetype p = 0;
        const auto text = readQuoted(data, p);
        if (text && data.mid(p).trimmed().isEmpty()) {
            value.kind = TKind::String;
            value.text = *text;
        }
    }
    if (value.kind == TKind::Other) {
        // Kept as it stood; a name that came in quoted goes out quoted again.
        value.text = data;
    }
    setValue(key, std::move(value));
}

void TRegistryStore::parse(const QByteArray &bytes)
{
    clear();
    const QStringList lines = SplitTextLines(DecodeText(bytes));
    TKey *current = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (line.startsWith(u'[')) {
            current = nullptr;
            const qsizetype close = line.lastIndexOf(u']');
            if (close < 0) continue;
            QStringList names = splitPath(line.mid(1, close - 1));
            if (names.isEmpty() || !isHiveName(names.first()))
                continue; // also "[-HKEY_...]", the editor's mark for a deleted key
            if (names.size() > kMaxKeyDepth + 1 ||
                !std::all_of(names.cbegin(), names.cend(), isValidKeyName))
                continue;
            TKey *key = rootByName(names.takeFirst(), true);
            for (const QString &name : names)
                key = key->addChild(name);
            current = key;
            continue;
        }
        if (current && (line.startsWith(u'"') || line.startsWith(u'@')))
            parseValueLine(current, line, lines, i);
    }
    modified_ = false;
    read_ = true;
}

bool TRegistryStore::load(QString *error)
{
    refuseSave_ = false;
    QFile file(filePath_);
    if (!file.exists()) {
        clear();
        modified_ = false;
        read_ = true;
        return true;
    }
    auto fail = [&](const QString &why) {
        clear();
        modified_ = false;
        refuseSave_ = true;
        if (error)
            *error = QStringLiteral("Cannot read the settings file %1: %2").arg(filePath_, why);
        return false;
    };
    QByteArray bytes;
    QString reason;
    if (!ReadWholeFile(filePath_, kMaxFileSize, bytes, reason)) return fail(reason);
    parse(bytes);
    return true;
}

bool TRegistryStore::save(QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("Cannot write the settings file %1: %2").arg(filePath_, why);
        return false;
    };
    if (refuseSave_) return fail(QStringLiteral("it could not be read, so it is left as it is"));
    if (!read_ && QFileInfo::exists(filePath_))
        return fail(QStringLiteral("it was never read, so it is left as it is"));

    const QString folder = QFileInfo(filePath_).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("cannot create the folder %1").arg(folder));
        // A settings folder of our own making is private to the user.
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }
    QString reason;
    if (!WriteFileAtomically(filePath_, toText(), reason, 0600)) return fail(reason);
    modified_ = false;
    return true;
}

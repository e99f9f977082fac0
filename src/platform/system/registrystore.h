#pragma once
// The registry: a tree of keys holding typed values, for the current user and the classes root,
// kept in one text file in the registry editor's format:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Brimvel\Tonaria]
//   @="default value of the key"
//   "Count"=dword:0000000a
//   "Name"="C:\\Music \"best\""
//
// Names of keys and values are compared with ASCII letters folded to one case and keep the
// spelling they were first given. Sub-keys and values are listed in the order they were created.
// Strings escape "\\" and "\""; line breaks, tabs and other control characters inside a string
// or a name are written as \r, \n, \t or \xHH so that every entry stays on one line.
// Values of other kinds found in the file (hex:..., a malformed dword) are kept as they stand and
// written back unchanged, but read as missing; so are the sections of the other standard hives.
// Unknown lines, sections of unknown hives and key paths deeper or longer than the limits below
// are skipped; nothing in the file can make loading fail other than an unreadable or oversized
// file. Text is UTF-8 (a UTF-16 file with its byte-order mark is read too), with CR LF line ends
// when written and CR, LF or CR LF when read.
//
// Threads: one thread at a time (the main thread in the program).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TRegistryStore {
public:
    enum class THive { CurrentUser, ClassesRoot };
    enum class TKind { None, Dword, String, Other };

    // Limits of a key path, as the desktop's registry has them.
    static constexpr int kMaxKeyDepth = 512;
    static constexpr int kMaxKeyNameLength = 255;
    // A larger file is refused rather than read.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    // A store kept in the file at filePath; nothing is read until load().
    explicit TRegistryStore(QString filePath);
    ~TRegistryStore();
    TRegistryStore(const TRegistryStore &) = delete;
    TRegistryStore &operator=(const TRegistryStore &) = delete;

    // TONARIA_CONFIG when set, else $XDG_CONFIG_HOME/tonaria/registry.reg (~/.config when unset).
    static QString defaultFilePath();

    const QString &filePath() const { return filePath_; }

    // Replaces the contents with the file's. A missing file gives an empty registry and true.
    // An unreadable or oversized file gives false and a text; the store is then empty and will
    // not write over that file.
    bool load(QString *error = nullptr);
    // Writes the whole registry atomically (a temporary file in the same folder, then a rename)
    // with mode 0600, creating the folder. On failure returns false and a text; the old file
    // stays as it was. An existing file is never replaced by a store that has not read it.
    bool save(QString *error = nullptr);
    // True when something changed since the last load or save.
    bool isModified() const { return modified_; }

    // The file's text, and reading such a text (both used by load and save).
    QByteArray toText() const;
    void parse(const QByteArray &text);
    void clear();

    // Keys. A path is a list of key names separated by "\"; empty names are ignored, so
    // "\A\\B\" is "A\B". The empty path is the hive itself.
    bool keyExists(THive hive, const QString &path) const;
    // Creates the key and any missing parents; false when a name is not a valid key name
    // (longer than 255 characters, holding a control character) or the path is too deep.
    bool createKey(THive hive, const QString &path);
    // Deletes the key with all its sub-keys and values; the hive itself cannot be deleted.
    bool deleteKey(THive hive, const QString &path);
    QStringList subKeyNames(THive hive, const QString &path) const;

    // Values. The name "" is the key's default value.
    QStringList valueNames(THive hive, const QString &path) const;
    TKind valueKind(THive hive, const QString &path, const QString &name) const;
    std::optional<std::uint32_t> readDword(THive hive, const QString &path,
                                           const QString &name) const;
    std::optional<QString> readString(THive hive, const QString &path, const QString &name) const;
    // Writing needs an existing key; a value of another kind under the same name is replaced.
    bool writeDword(THive hive, const QString &path, const QString &name, std::uint32_t value);
    bool writeString(THive hive, const QString &path, const QString &name, const QString &value);
    bool deleteValue(THive hive, const QString &path, const QString &name);

    // The file's section name of a hive ("HKEY_CURRENT_USER").
    static QString hiveName(THive hive);

private:
    struct TValue;
    struct TKey;

    TKey *root(THive hive) const;
    TKey *rootByName(const QString &name, bool create);
    TKey *findKey(THive hive, const QString &path) const;
    TValue *findValue(THive hive, const QString &path, const QString &name) const;
    void parseValueLine(TKey *key, const QString &line, const QStringList &lines, qsizetype &i);
    void setValue(TKey *key, TValue value);

    QString filePath_;
    std::vector<std::unique_ptr<TKey>> roots_;
    bool modified_ = false;
    bool refuseSave_ = false;
    bool read_ = false; // the contents came from load() or parse()
};

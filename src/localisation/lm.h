#pragma once
// The language manager: the texts of the chosen language in memory, as groups of entries
// read from language files (".tlg"). A window's texts live in the group named after the
// window; the program's messages live in "Globals".
//
// A language file is plain UTF-8 text (one written on Windows in its Western code page reads
// too, and is written back as UTF-8). A line "[name]" (at least three characters, the first
// one "[") selects the group "name" (its last character is dropped, whatever it is); any
// other line with "=" sets an entry of the current group, name before the first "=", value
// after it, nothing trimmed. Every other line is ignored, as are entries before the first
// group. Values carry "\n" for a line break and "\\" for a backslash.
//
// Threads: main thread only. Load and save failures are shown through the message service.

#include "localisation/lmgroup.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TLM {
public:
    TLM() = default;
    TLM(const TLM &) = delete;
    TLM &operator=(const TLM &) = delete;

    // Frees all groups.
    void Clear();

    // The groups in the order of their creation.
    qsizetype GroupCount() const { return qsizetype(groups_.size()); }
    TLMGroup &Group(qsizetype index) const { return *groups_[size_t(index)]; }

    // The first group of that name (without regard to letter case), or nullptr.
    TLMGroup *FindGroup(QStringView name) const;
    // The group of that name, created at the end of the list when there is none.
    TLMGroup &FindOrAddGroup(const QString &name);

    // The value of an entry of a group; empty when the group or the entry is missing (an
    // empty value means "not found" to every caller).
    QString Lookup(QStringView groupName, QStringView entryName) const;

    // Reads a language file and merges it into the groups already here. On failure shows
    // "ErrFileLoad" with the path and returns false; what was read before stays.
    bool LoadFromFile(const QString &path);
    // Merges the text of a language file; never fails, whatever the bytes.
    void LoadFromText(const QByteArray &bytes);

    // Writes every group that has entries, sorting each group's entries in place; lines end
    // in CR LF. The file is replaced atomically. On failure shows "ErrFileSave" with the path
    // and returns false.
    bool SaveToFile(const QString &path);
    // The text SaveToFile writes (sorts the groups' entries in place too).
    QByteArray SaveToText();

    // Removes every entry of the group whose name is not in the list.
    static void PruneGroup(TLMGroup &group, const QStringList &usedNames);

    // The text of a message of "Globals"; when it is missing, a text that says so and names
    // the ID.
    QString MessageText(const QString &id) const;

    // Decodes a raw value: "\n" is CR LF, "\\" one backslash, a backslash before any other
    // character drops both, a backslash at the very end stays.
    static QString UnescapeValue(QStringView raw);
    // Encodes a whole entry line for writing: backslashes doubled, CR as "\n", LF dropped.
    // Only values are decoded on reading, so a name with a backslash comes back doubled.
    static QString EscapeEntry(QStringView line);

    // The largest language file read, against a runaway or hostile file.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

private:
    void ShowFileMessage(const QString &id, const QString &path) const;

    std::vector<std::unique_ptr<TLMGroup>> groups_;
};

// The text shown in place of a message that no loaded language file holds.
QString MissingMessageText(const QString &id);

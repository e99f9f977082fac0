#pragma once
// The theme manager: the entries of the loaded theme, in groups by screen colour depth. Any
// theme is laid over the base theme "Default": both files are read into the same groups, the
// later one replacing the entries it names.
//
// A theme file (".tui") is plain UTF-8 text. Each line is trimmed of blanks and control
// characters. "[16, 24, 32]" (a line of at least three characters in brackets) makes the groups
// of those numbers the current set, creating the missing ones at the end; a line "key=value"
// sets the entry in every group of the set (the key is everything before the first "=",
// nothing else is trimmed). Other lines, and entries before the first header, are ignored. A
// header number that is not an integer (decimal, or hexadecimal after "$") stops the load.
//
// Threads: main thread only. Load and save failures are shown through the message service.

#include "presentation/theme/tuigroup.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class TUIMan {
public:
    TUIMan() = default;
    TUIMan(const TUIMan &) = delete;
    TUIMan &operator=(const TUIMan &) = delete;

    // The loaded theme's name; empty until a theme has been loaded.
    QString Name;

    // Frees all groups (the name stays).
    void Clear();

    qsizetype GroupCount() const { return qsizetype(groups_.size()); }
    TUIGroup &Group(qsizetype index) const { return *groups_[size_t(index)]; }
    // The first group of that number, or nullptr.
    TUIGroup *FindGroup(int number) const;
    // The group for a screen of that depth, else the first group; nullptr with no groups.
    TUIGroup *GroupForDepth(int bitsPerPixel) const;
    // The group of that number, created at the end of the list when there is none.
    TUIGroup &FindOrAddGroup(int number);

    // Reads a theme file and merges it into the groups already here. On failure shows
    // "ErrFileLoad" with the path and returns false; groups read up to then stay.
    bool LoadFromFile(const QString &path);
    // Merges theme text; false (without a message) at a header number that is no integer.
    bool LoadFromText(const QByteArray &bytes);

    // Writes every group, sorting each group's entries in place; lines end in CR LF and an
    // empty line parts the groups. Atomic. On failure shows "ErrFileSave" and returns false.
    bool SaveToFile(const QString &path);
    QByteArray SaveToText();

    // Loads the chosen theme unless it is loaded already: clears, reads "Default.tui" (unless
    // the choice is "Default") and then the chosen file from themesFolder (ending in "/"), and
    // takes the theme's name. Nothing happens for an empty choice. Failures of the reads are
    // shown and otherwise not looked at.
    void LoadChosenTheme(const QString &themeName, const QString &themesFolder);

    // The largest theme file read.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

private:
    std::vector<std::unique_ptr<TUIGroup>> groups_;
};

// An integer of a theme: optional blanks and sign, then decimal digits, or hexadecimal digits
// after "$" or "0x". False for anything else or a value outside 32 bits (hexadecimal may use
// all 32 bits and then reads as the signed value with the same bits).
bool ParseThemeInteger(QStringView text, int &value);

#pragma once
// One group of a language file: the texts of one window (named after the window) or the
// program's messages ("Globals"). Each entry is kept as one line "name=value"; the name is
// everything before the first "=". Names match without regard to letter case and a group
// never holds two entries of the same name.
//
// Threads: main thread only, like the language manager that owns the groups.

#include <QString>
#include <QStringList>

class TLMGroup {
public:
    explicit TLMGroup(QString name) : name_(std::move(name)) {}

    const QString &Name() const { return name_; }
    // The entry lines in their order ("name=value").
    const QStringList &Lines() const { return lines_; }
    qsizetype Count() const { return lines_.size(); }

    // The entry name and the value of a stored line.
    static QStringView NameOf(const QString &line);
    static QString ValueOf(const QString &line);

    // Position of the entry of that name, or -1.
    qsizetype IndexOfName(QStringView name) const;
    // The value of the entry of that name; empty when there is none.
    QString Value(QStringView name) const;

    // Replaces the line of that name or appends a new one. An empty name, or one holding
    // "=" (it could never be read back under that name), stores nothing.
    void SetEntry(const QString &name, const QString &value);

    // Keeps only the entries whose names are in the list (compared without letter case).
    void Prune(const QStringList &usedNames);

    // Sorts the lines alphabetically without regard to letter case, as files are written.
    void Sort();

private:
    QString name_;
    QStringList lines_;
};

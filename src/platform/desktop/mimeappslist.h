#pragma once
// A mimeapps.list file as the desktop keeps it: groups ("[Default Applications]", "[Added
// Associations]", "[Removed Associations]") of lines "mime/type=a.desktop;b.desktop;". Changing
// one key leaves every other line of the file exactly as it was, comments and unknown groups
// included, so that the user's own choices survive.
//
// Threads: any; a plain value.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TMimeAppsList {
public:
    explicit TMimeAppsList(const QByteArray &text = {});

    // The desktop ids a key of a group lists, in order, blanks left out; the first line of the
    // key counts. Empty when the group or the key is missing.
    QStringList Values(const QString &group, const QString &key) const;
    bool Has(const QString &group, const QString &key) const;
    // Gives the key these values: its first line is replaced where it stands, later lines of the
    // same key in that group go, a missing key is added at the end of the group's first block
    // and a missing group at the end of the file. No values removes the key.
    void SetValues(const QString &group, const QString &key, const QStringList &values);

    QByteArray Text() const;

private:
    struct TLine {
        QByteArray text;  // as read, without its line end
        QByteArray group; // the group the line belongs to ("" before the first header)
        QByteArray key;   // for a "key=value" line, the key; else empty
    };
    static TLine ParseLine(const QByteArray &text, const QByteArray &group);
    qsizetype FindKey(const QByteArray &group, const QByteArray &key, qsizetype from) const;

    QList<TLine> lines_;
    QByteArray lineEnd_ = "\n";
};

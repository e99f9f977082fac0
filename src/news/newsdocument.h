#pragma once
// A news document: plain text lines, some of them "name=value" header fields (the first line
// of a name counts, names compared without regard to case), the rest the message. The same
// reading serves the check that stores a document and the viewer that shows a stored one.
//
//     Date=2026-12-01
//     URL=http://example.org/tonaria
//     Filename=news-2026-12
//     MessageStartIndex=4
//     Tonaria 3.1 is out.            <- the message, from line 4 on
//
// Threads: any.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

class TNewsDocument {
public:
    TNewsDocument() = default;
    explicit TNewsDocument(const QStringList &lines) : lines_(lines) {}
    // Decodes the bytes (UTF-8, else the Western code page) and splits them at CR LF, CR or LF.
    static TNewsDocument FromBytes(QByteArrayView bytes);

    const QStringList &Lines() const { return lines_; }
    bool IsEmpty() const { return lines_.isEmpty(); }

    // The value of the first line "name=..." (the name without regard to case); empty when
    // there is none.
    QString Field(QStringView name) const;
    QString Date() const { return Field(u"Date"); }
    QString Url() const { return Field(u"URL"); }
    QString FileName() const { return Field(u"Filename"); }
    // The first line of the message: 0 when missing, not a number or negative.
    int MessageStartIndex() const;
    // Every line from MessageStartIndex on, each followed by CR LF.
    QString Message() const;

    // The name a document's file is stored under in the news folder: the Filename value and
    // ".sun". A value naming folders ("../x", "a/b", "a\b") keeps only its last part, so the
    // file always lands in the news folder itself.
    QString StoredFileName() const;

private:
    QStringList lines_;
};

// The news file's base name as given, reduced to what may name a file inside a folder.
QString SafeNewsBaseName(const QString &value);

#include "library/albumheader.h"

#include "library/textlinereader.h"

#include <QFile>

namespace {

QStringView TrimBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ')
        ++start;
    while (end > start && text[end - 1] == u' ')
        --end;
    return text.mid(start, end - start);
}

} // namespace

TAlbumHeader ReadAlbumHeader(const QString &fileName)
{
    TAlbumHeader header;
    QFile file(fileName);
    if (!file.exists()) return header;
    if (!file.open(QIODevice::ReadOnly)) {
        header.Unreadable = true;
        return header;
    }
    TTextLineReader reader(file);
    QString line;
    while (reader.ReadLine(line)) {
        const QStringView text = TrimBlanks(line);
        // Any section after "[Album]" ends the scan once this line is looked at.
        const bool last = text.startsWith(u'[') && text != u"[Album]";
        const qsizetype equals = text.indexOf(u'=');
        if (equals >= 0) {
            const QStringView key = TrimBlanks(text.left(equals));
            const QStringView value = TrimBlanks(text.mid(equals + 1));
            if (key == u"SysAlbum" && value == u"1") header.SystemAlbum = true;
            if (key == u"Caption") {
                header.Caption = value.toString();
                return header;
            }
        }
        if (last) return header;
    }
    if (reader.Failed()) {
        header = TAlbumHeader();
        header.Unreadable = true;
    }
    return header;
}

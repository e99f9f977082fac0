#include "library/albumheader.h"

#include "library/albumfile.h"
#include "platform/system/textdecoding.h"

#include <QFileInfo>

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
    if (!QFileInfo::exists(fileName)) return header;
    // The whole file is decoded at once, so that the caption reads here as it does when the
    // album is loaded.
    QString whole, reason;
    if (!ReadTextFile(fileName, TAlbumFile::kMaxFileSize, whole, reason)) {
        header.Unreadable = true;
        return header;
    }
    for (const QString &line : SplitTextLines(whole)) {
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
    return header;
}

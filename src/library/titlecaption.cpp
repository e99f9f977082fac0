#include "library/titlecaption.h"

#include "library/pathparts.h"
#include "platform/system/asciicase.h"

#include <QFileInfo>

namespace {

QString Tidy(QString text)
{
    if (text == text.toUpper()) text = text.toLower();
    if (!text.isEmpty()) text[0] = text[0].toUpper();

    bool wordStart = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'_' || c == u' ') {
            text[i] = u' ';
            wordStart = true;
        } else if (c == u'-') {
            wordStart = true;
        } else if (wordStart) {
            text[i] = c.toUpper();
            wordStart = false;
        } else if (i > 0 && IsAsciiUpper(c.unicode()) && IsAsciiLower(text[i - 1].unicode())) {
            text.insert(i, u' ');
            ++i; // go on after the blank and the capital
        }
    }
    return text;
}

// A name and a file joined by ">": Windows file names cannot hold ">", so that form was
// unambiguous there. Here a path from the root, or a file that is there, is a file name.
bool IsJoinedName(const QString &name)
{
    return name.contains(u'>') && !name.startsWith(u'/') && !QFileInfo::exists(name);
}

} // namespace

QString MakeTitleCaption(const QString &fileName, bool tidy)
{
    if (IsJoinedName(fileName)) return fileName.left(fileName.indexOf(u'>'));

    QStringView name = FileNamePart(fileName);
    name.chop(FileExtension(name).size());
    return tidy ? Tidy(name.toString()) : name.toString();
}

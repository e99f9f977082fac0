#include "library/titlecaption.h"

#include "library/pathparts.h"

namespace {

bool IsAsciiSmall(QChar c)
{
    return c >= u'a' && c <= u'z';
}

bool IsAsciiCapital(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

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
        } else if (i > 0 && IsAsciiCapital(c) && IsAsciiSmall(text[i - 1])) {
            text.insert(i, u' ');
            ++i; // go on after the blank and the capital
        }
    }
    return text;
}

} // namespace

QString MakeTitleCaption(const QString &fileName, bool tidy)
{
    const qsizetype arrow = fileName.indexOf(u'>');
    if (arrow >= 0) return fileName.left(arrow);

    QStringView name = FileNamePart(fileName);
    name.chop(FileExtension(name).size());
    return tidy ? Tidy(name.toString()) : name.toString();
}

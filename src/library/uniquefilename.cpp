#include "library/uniquefilename.h"

#include <QFileInfo>

namespace {

// Counts the name up by one in base 36; false when the count runs past "ZZZZZZZZ".
bool Increment(QString &name)
{
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const QChar c = name[i];
        if (c == u'9') {
            name[i] = u'A';
            return true;
        }
        if (c != u'Z') {
            name[i] = QChar(c.unicode() + 1);
            return true;
        }
        name[i] = u'0'; // carry into the character before
    }
    return false;
}

} // namespace

QString UniqueFileName(const QString &folder, const QString &extension)
{
    QString name(8, u'0');
    while (QFileInfo::exists(folder + name + extension)) {
        if (!Increment(name)) return {};
    }
    return folder + name + extension;
}

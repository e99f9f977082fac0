#include "core/quicknumber.h"

#include "library/album.h"
#include "library/program.h"

int QuickNumberWidth(const TAlbum *album)
{
    if (!album || !album->CurrentProgram || album->Titles.empty()) return 0;
    return int(QString::number(album->CurrentProgram->Titles.size()).size());
}

int QuickNumberPosition(const TProgram *program, QStringView digits)
{
    if (!program || digits.isEmpty()) return -1;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9') return -1;
    bool ok = false;
    const qlonglong number = digits.toLongLong(&ok);
    if (!ok || number < 1 || number > qlonglong(program->Titles.size())) return -1;
    return int(number - 1);
}

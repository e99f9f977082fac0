#include "library/albumwriter.h"

#include "library/album.h"
#include "library/commatext.h"

#include <unordered_map>

namespace {

// Album files are read line by line: a line break inside a value would split its line and
// let the rest pass for a line of its own, so line breaks are stored as blanks.
QString OneLine(QString text)
{
    for (QChar &c : text) {
        if (c == u'\r' || c == u'\n') c = u' ';
    }
    return text;
}

QString TitleLine(const TTitle &title)
{
    QString caption = QuoteCommaItem(OneLine(title.Caption));
    // A line in brackets would read back as a section header. An unquoted caption holds no
    // quotes, so enclosing it is enough.
    if (caption.startsWith(u'[')) caption = u'"' + caption + u'"';
    return caption + u',' + QuoteCommaItem(OneLine(title.FileName)) + u',' +
           QString::number(title.Track) + u',' + QuoteCommaItem(OneLine(title.DeviceName));
}

} // namespace

QString AlbumFileText(const TAlbum &album, bool systemAlbum)
{
    static const QString crlf = QStringLiteral("\r\n");
    QString text;
    text.reserve(64 * static_cast<qsizetype>(album.Titles.size()) + 256);
    auto line = [&text](const QString &s) {
        text += s;
        text += crlf;
    };

    line(QStringLiteral("[Album]"));
    if (systemAlbum) line(QStringLiteral("SysAlbum=1"));
    line(QStringLiteral("Caption=") + OneLine(album.Caption));
    line(QStringLiteral("AlbumType=") + QString::number(album.AlbumType));
    const int programIndex = album.CurrentProgram ? album.CurrentProgram->ProgramIndex() : -1;
    line(QStringLiteral("CurProgramIndex=") + QString::number(programIndex < 0 ? 0 : programIndex));
    line(QStringLiteral("CurTitle=") + QString::number(album.TitleIndex(album.CurrentTitle)));
    line(QStringLiteral("DeviceName=") + OneLine(album.DeviceName));
    line(QStringLiteral("MediaID=") + OneLine(album.MediaID.left(TAlbum::kMediaIDLength)));

    line(QStringLiteral("[Titles]"));
    std::unordered_map<const TTitle *, qsizetype> positions;
    positions.reserve(album.Titles.size());
    for (std::size_t i = 0; i < album.Titles.size(); ++i) {
        positions.emplace(album.Titles[i], static_cast<qsizetype>(i));
        line(TitleLine(*album.Titles[i]));
    }

    auto writeProgram = [&](const TProgram &program) {
        line(program.IsInternal() ? QStringLiteral("[IProg]") : QStringLiteral("[CProg]"));
        line(QStringLiteral("Caption=") + OneLine(program.Caption));
        line(QStringLiteral("ProgramType=") + QString::number(program.ProgramType));
        text += QStringLiteral("Links=");
        bool first = true;
        for (const TTitle *title : program.Titles) {
            const auto it = positions.find(title);
            if (it == positions.end()) continue; // not a title of this album: nothing to link to
            if (!first) text += u' ';
            text += QString::number(it->second);
            first = false;
        }
        text += crlf;
    };
    for (const auto &program : album.InternalPrograms)
        writeProgram(*program);
    for (const auto &program : album.CustomPrograms)
        writeProgram(*program);
    return text;
}

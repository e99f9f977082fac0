#include "library/albumfile.h"

#include "library/album.h"
#include "library/albumreader.h"
#include "library/albumwriter.h"
#include "library/textlinereader.h"
#include "library/uniquefilename.h"
#include "localisation/showmessage.h"
#include "platform/system/messageservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString Quoted(const QString &fileName)
{
    return u'"' + fileName + u'"';
}

// Reads every line of the file; false (with the reason) when the file cannot be read.
bool ReadAllLines(const QString &fileName, QStringList &lines, QString &reason)
{
    lines.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    TTextLineReader reader(file);
    QString line;
    while (reader.ReadLine(line))
        lines.append(line);
    if (reader.Failed()) {
        reason = file.errorString();
        lines.clear();
        return false;
    }
    return true;
}

} // namespace

QString TAlbumFile::SaveToFile(const TAlbum &album, QString fileName) const
{
    if (fileName.isEmpty()) {
        fileName = UniqueFileName(context_.AlbumsFolder, QStringLiteral(".tal"));
        if (fileName.isEmpty()) {
            ShowMessageText(QStringLiteral("Too many albums!"), MB_OK | MB_ICONERROR);
            return {};
        }
    }

    const bool systemAlbum = context_.IsSystemAlbum && context_.IsSystemAlbum(album);
    const QByteArray bytes = AlbumFileText(album, systemAlbum).toUtf8();

    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    written = written && file.write(bytes) == bytes.size();
    written = written && file.commit();
    if (!written) {
        ShowMessageText(
            QStringLiteral("Error saving file %1.\r\r%2").arg(Quoted(fileName), file.errorString()),
            MB_OK | MB_ICONERROR);
        return {};
    }
    return fileName;
}

bool TAlbumFile::Save(TAlbum &album) const
{
    const QString written = SaveToFile(album, album.FileName);
    if (written.isEmpty()) return false;
    album.FileName = written;
    return true;
}

bool TAlbumFile::LoadFromFile(TAlbum &album, const QString &fileName) const
{
    album.Unload();
    album.ClearMedia();
    if (fileName.isEmpty()) return true;
    if (!QFileInfo::exists(fileName)) {
        ShowMessageText(QStringLiteral("Cannot find %1.").arg(Quoted(fileName)),
                        MB_OK | MB_ICONERROR);
        return false;
    }

    QStringList lines;
    QString reason;
    bool read = ReadAllLines(fileName, lines, reason);
    while (!read) {
        const int answer = ShowMessageText(
            QStringLiteral("Error loading file %1.\r\r%2").arg(Quoted(fileName), reason),
            MB_RETRYCANCEL | MB_ICONERROR);
        if (answer != IDRETRY) break; // go on with no lines: the album loads empty
        read = ReadAllLines(fileName, lines, reason);
    }

    ReadAlbumLines(album, lines);
    if (context_.AlbumLoaded) context_.AlbumLoaded(album);
    return read;
}

bool TAlbumFile::Load(TAlbum &album) const
{
    return LoadFromFile(album, album.FileName);
}

#include "library/albumfile.h"

#include "library/album.h"
#include "library/albumreader.h"
#include "library/albumwriter.h"
#include "library/uniquefilename.h"
#include "localisation/showmessage.h"
#include "platform/system/atomicfile.h"
#include "platform/system/messageservice.h"
#include "platform/system/textdecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString Quoted(const QString &fileName)
{
    return u'"' + fileName + u'"';
}

// Reads every line of the file; false (with the reason) when the file cannot be read.
bool ReadAllLines(const QString &fileName, QStringList &lines, QString &reason)
{
    lines.clear();
    QString text;
    if (!ReadTextFile(fileName, TAlbumFile::kMaxFileSize, text, reason)) return false;
    lines = SplitTextLines(text);
    return true;
}

// A free name beside the album file for keeping an unreadable one: "x.tal.unreadable",
// "x.tal.unreadable-2", ... (never matched as an album by the album list).
QString SetAsideName(const QString &fileName)
{
    QString name = fileName + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(name); ++n) {
        if (n > 1000) return {};
        name = fileName + QStringLiteral(".unreadable-%1").arg(n);
    }
    return name;
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
    if (album.FileUnread && fileName == album.FileName && QFileInfo::exists(fileName)) {
        const QString aside = SetAsideName(fileName);
        if (aside.isEmpty() || !QFile::rename(fileName, aside)) {
            ShowMessageText(
                QStringLiteral("Error saving file %1.\r\r%2")
                    .arg(Quoted(fileName), QStringLiteral("The unreadable album file is kept.")),
                MB_OK | MB_ICONERROR);
            return {};
        }
    }
    QString reason;
    if (!WriteFileAtomically(fileName, bytes, reason)) {
        ShowMessageText(QStringLiteral("Error saving file %1.\r\r%2").arg(Quoted(fileName), reason),
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
    album.FileUnread = false;
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

    album.FileUnread = !read;
    ReadAlbumLines(album, lines);
    if (context_.AlbumLoaded) context_.AlbumLoaded(album);
    return read;
}

bool TAlbumFile::Load(TAlbum &album) const
{
    return LoadFromFile(album, album.FileName);
}

#include "lyricssong.h"

#include "platform/midi/midifile.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A MIDI file begins with its header, bare or inside a RIFF RMID container.
bool LooksLikeMidi(const QByteArray &head)
{
    return head.startsWith("MThd") || (head.startsWith("RIFF") && head.mid(8, 4) == "RMID");
}

} // namespace

TLyricsSong TLyricsSong::Load(const QString &path)
{
    TLyricsSong song;
    song.Path = path;
    const QFileInfo info(path);
    song.Title = info.completeBaseName();
    if (path.isEmpty()) return song;

    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        song.Problem = QStringLiteral("The file cannot be read.");
        return song;
    }
    if (file.size() > MaxFileSize) {
        song.Problem = QStringLiteral("The file is too large to be a song.");
        return song;
    }
    // Only a MIDI file is read whole.
    if (!LooksLikeMidi(file.peek(12))) {
        song.Problem = QStringLiteral("This title has no MIDI words or notes.");
        return song;
    }
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize) {
        song.Problem = QStringLiteral("The file is too large to be a song.");
        return song;
    }

    TMidiFile midi;
    if (!midi.parse(bytes)) {
        song.Problem = midi.errorText();
        return song;
    }
    song.Words = TKaraokeText(midi, info.suffix().compare(u"kar", Qt::CaseInsensitive) == 0);
    song.Notes = TNoteTimeline(midi);
    if (!song.Words.Title().isEmpty()) song.Title = song.Words.Title();
    return song;
}

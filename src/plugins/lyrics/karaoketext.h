#pragma once
// The sung words of a MIDI file laid out as a karaoke screen shows them: lines of syllables,
// each syllable with the time (milliseconds from the start) at which it is sung.
//
// The words are the file's lyric events. A karaoke file (".kar", or any file whose text events
// carry "@" headers) that has no lyric events keeps its words in text events instead: then the
// tracks holding the "@" headers hold the words, and the "@" texts themselves are headers ("@T"
// the title and the artist, "@L" the language, "@I" information). In either kind a syllable
// starting with "/" begins a new line and one starting with "\" a new paragraph; a line feed or
// carriage return inside a syllable breaks the line where it stands, two of them a paragraph.
//
// The texts carry no character set: a file whose words are all valid UTF-8 is read as UTF-8,
// any other as Windows-1252, the code page karaoke files were written in. A line longer than
// SoftLineLength characters breaks before its next word, one of HardLineLength anywhere, so a file
// without line marks still shows as lines.
//
// Threads: built on one thread, read-only afterwards.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

class TMidiFile;

struct TKaraokeSyllable {
    std::int64_t TimeMs = 0;
    qsizetype End = 0; // the line's text up to here is sung once this syllable is
};

struct TKaraokeLine {
    QString Text;
    std::vector<TKaraokeSyllable> Syllables; // in time order, never empty
    bool Paragraph = false;                  // the line begins a new verse

    std::int64_t StartMs() const { return Syllables.front().TimeMs; }
    std::int64_t LastMs() const { return Syllables.back().TimeMs; }
};

class TKaraokeText {
public:
    static constexpr int SoftLineLength = 64;
    static constexpr int HardLineLength = 128;
    // A sung line stays the current one this long after its last syllable (or half the way to
    // the next line, when that comes sooner).
    static constexpr std::int64_t LineHoldMs = 1000;

    TKaraokeText() = default;
    // karaoke: the file is a karaoke file by its name, so its text events may be its words.
    TKaraokeText(const TMidiFile &file, bool karaoke);

    bool Empty() const { return lines_.empty(); }
    const std::vector<TKaraokeLine> &Lines() const { return lines_; }
    // The "@T" headers of a karaoke file (title, then artist), joined; "" when there are none.
    QString Title() const { return title_; }

    // The line to show as the current one at ms (the first before any is sung); -1 when there
    // are no lines.
    int LineAt(std::int64_t ms) const;
    // How many characters of the line are sung at ms.
    qsizetype SungLength(int line, std::int64_t ms) const;

    // Bytes of a file's text as a string: UTF-8, or else Windows-1252.
    static QString Decode(const QByteArray &bytes, bool utf8);
    static bool IsUtf8(const QByteArray &bytes);

private:
    std::vector<TKaraokeLine> lines_;
    QString title_;
};

#pragma once
// The sung words of a MIDI file, as the lines a display shows while the music plays: a list of
// steps, each the time (milliseconds from the start, through the file's tempo map) at which a
// syllable comes and the line as far as it has been sung then.
//
// The words are the file's lyric events. A karaoke file (".kar") that has none keeps its words
// in text events instead, with the karaoke habits: a text starting with "@" is a header (title,
// language, information) and no word. In either kind a text starting with "/" or "\" begins a
// new line (the karaoke habit, which files converted from karaoke keep in their lyric events), and
// so does a line feed or carriage return inside a text.
//
// The texts carry no character set: a file whose words are all valid UTF-8 is read as UTF-8,
// any other as Latin-1. A line never grows past MaxLineLength characters (a file without line
// breaks would otherwise make each step a longer copy of the last); a syllable that would make it
// longer begins a new line.
//
// Threads: a TMidiLyrics is built on one thread and read-only afterwards.

#include <QString>

#include <cstdint>
#include <vector>

class TMidiFile;

struct TLyricStep {
    std::int64_t TimeMs = 0;
    QString Line;
};

class TMidiLyrics {
public:
    // Files larger than this are not read for their words (no sung song comes near it).
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;
    static constexpr int MaxLineLength = 200;

    TMidiLyrics() = default;
    // The words of a parsed file; karaoke: text events stand for words when there are no
    // lyric events.
    TMidiLyrics(const TMidiFile &file, bool karaoke);

    // The words of the file at path; a file that is not a MIDI file by its extension (".mid",
    // ".midi", ".kar", ".rmi", ".smf"), cannot be read or has no words gives none.
    static TMidiLyrics FromFile(const QString &path);

    bool Empty() const { return steps_.empty(); }
    const std::vector<TLyricStep> &Steps() const { return steps_; }

    // The line sung at ms: that of the last step at or before it; null before the first.
    const QString *LineAt(std::int64_t ms) const;
    // The time of the first step after ms; -1 when none follows.
    std::int64_t NextStepAfter(std::int64_t ms) const;

private:
    std::vector<TLyricStep> steps_;
};

#pragma once
// A Standard MIDI File read into memory: formats 0, 1 and 2, bare or wrapped in a RIFF RMID
// container (".rmi"); ".kar" files are format 1 files with lyrics in text events.
//
// The reader is tolerant of what real files get wrong: a track length that runs past the end of
// the file is clipped, a missing end-of-track is supplied, trailing bytes are ignored and a
// truncated last track plays as far as it can be read. A file that is not MIDI at all, or whose
// sizes are absurd, is refused with a clear text. Every read is bounds-checked; no input crashes
// the reader or makes it loop without end.
//
// Times: every event carries its tick and its time in microseconds from the start, from the tempo
// map (tempo meta events, or the SMPTE frame rate when the division is in frames). Events of all
// tracks are merged in time order; events of equal time keep file order (track by track, then
// order within the track).
//
// Threads: a TMidiFile is built on one thread and is read-only afterwards; a const TMidiFile may
// be read from any number of threads at once (the audio thread reads it while playing).

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One event of the merged list.
struct TMidiEvent {
    std::uint32_t tick = 0;       // absolute tick
    std::int64_t timeUs = 0;      // microseconds from the start of the file
    std::uint16_t track = 0;      // track number in the file (0-based)
    std::uint8_t status = 0;      // 0x80..0xEF channel message, 0xF0 SysEx, 0xF7 escape, 0xFF meta
    std::uint8_t data1 = 0;       // channel message: first data byte; meta: the meta type
    std::uint8_t data2 = 0;       // channel message: second data byte (0 when the message has one)
    std::uint32_t dataOffset = 0; // SysEx and meta: payload in TMidiFile::payload()
    std::uint32_t dataLength = 0;

    bool isChannelMessage() const { return status >= 0x80 && status < 0xF0; }
    bool isSysEx() const { return status == 0xF0 || status == 0xF7; }
    bool isMeta() const { return status == 0xFF; }
    std::uint8_t channel() const { return status & 0x0F; }
    std::uint8_t command() const { return status & 0xF0; }
    // A channel message packed as a MIDI output short message: status | data1 << 8 | data2 << 16.
    std::uint32_t shortMessage() const
    {
        return std::uint32_t(status) | std::uint32_t(data1) << 8 | std::uint32_t(data2) << 16;
    }
};

// A text-type meta event (text, copyright, track name, instrument, lyric, marker, cue point and
// the other types 0x01 to 0x0F), kept for the karaoke and information views. The bytes are
// as stored in the file (no character set is assumed).
struct TMidiText {
    std::uint32_t tick = 0;
    std::int64_t timeUs = 0;
    std::uint16_t track = 0;
    std::uint8_t type = 0;
    QByteArray text;
};

// One entry of the tempo map: from `tick` on (until the next entry), one quarter note lasts
// `usPerQuarter` microseconds; `timeUs` is the time of `tick`.
struct TMidiTempo {
    std::uint32_t tick = 0;
    std::int64_t timeUs = 0;
    std::uint32_t usPerQuarter = 500000;
};

class TMidiFile {
public:
    enum class Error {
        None,
        CannotRead,  // the file could not be opened or read
        NotMidi,     // neither an "MThd" header nor a RIFF RMID container holding one
        Unsupported, // a format above 2, or a division of zero
        TooLarge,    // sizes past what any real file has
        Truncated,   // the header or every track is cut short: nothing can be played
    };

    // Files larger than this are refused before they are read.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
    // A file that yields more events than this is refused (a real song has some tens of
    // thousands).
    static constexpr std::size_t MaxEvents = 4 * 1024 * 1024;
    static constexpr int MaxTracks = 65535;

    TMidiFile() = default;

    // Reads `bytes` as a Standard MIDI File or an RMID file. Returns false with errorText() set
    // when nothing playable is found; the object is then empty.
    bool parse(std::span<const std::uint8_t> bytes);
    bool parse(const QByteArray &bytes);
    // Reads the file at `path` (at most MaxFileSize bytes) and parses it.
    bool load(const QString &path);

    Error error() const { return error_; }
    QString errorText() const { return errorText_; }
    bool isValid() const { return error_ == Error::None && valid_; }
    // True when the reader had to mend the file (clipped or truncated tracks, missing
    // end-of-track, unknown or broken events skipped).
    bool wasRepaired() const { return repaired_; }

    int format() const { return format_; }
    int trackCount() const { return trackCount_; }
    // The raw division word of the header: ticks per quarter note, or a negative SMPTE frame
    // rate in the high byte with ticks per frame in the low byte.
    std::uint16_t division() const { return division_; }

    const std::vector<TMidiEvent> &events() const { return events_; }
    const std::vector<TMidiText> &texts() const { return texts_; }
    const std::vector<TMidiTempo> &tempoMap() const { return tempo_; }
    // The bytes of a SysEx or meta event (for SysEx F0: the bytes after F0, ending in F7 when the
    // file has it; for F7 packets: the bytes as they go to the wire).
    std::span<const std::uint8_t> payload(const TMidiEvent &event) const;

    // Time of the last event (end-of-track included), in microseconds and in milliseconds
    // (rounded up, so that a position of lengthMs() is at or after every event).
    std::int64_t lengthUs() const { return lengthUs_; }
    std::uint32_t lengthMs() const;

    // Converts an absolute tick to microseconds with the tempo map.
    std::int64_t tickToUs(std::uint32_t tick) const;

private:
    void clear();
    bool fail(Error error, const QString &text);
    bool parseSmf(std::span<const std::uint8_t> bytes);
    bool readTrack(std::span<const std::uint8_t> body, std::uint16_t track, std::uint32_t tickBase,
                   std::uint32_t &lastTick);
    void buildTimes();

    Error error_ = Error::None;
    QString errorText_;
    bool valid_ = false;
    bool repaired_ = false;
    int format_ = 0;
    int trackCount_ = 0;
    std::uint16_t division_ = 96;
    std::vector<TMidiEvent> events_;
    std::vector<TMidiText> texts_;
    std::vector<TMidiTempo> tempo_;
    std::vector<std::uint8_t> pool_;
    std::int64_t lengthUs_ = 0;
};

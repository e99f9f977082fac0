#pragma once
// An audio CD read through libcdio: the first drive of the machine, or the drive or disc image
// (a .cue sheet with its .bin, or any image libcdio knows) that TONARIA_CDROM names. Gives the
// table of contents, an identity for the disc, and the sound of its sectors read digitally
// (error-corrected by cd-paranoia on a real drive, read straight from an image).
//
// Nothing is touched until open(): a machine without a drive costs nothing until the device is
// used. A drive without a disc opens as "no media"; open() may be called again to look anew.
//
// Sectors are addressed by their logical sector number (LSN; the first track of a pressed disc
// starts at 0). A sector holds 588 stereo frames of 16-bit samples at 44100 frames a second.
//
// Threads: open(), eject(), closeTray() and the table of contents on the owner's (main)
// thread; readAudio() on one reading thread at a time. A lock keeps a read and a reopen or
// eject apart; neither is ever called by the audio thread.

#include <QString>

#include <cstdint>
#include <mutex>
#include <vector>

typedef struct _CdIo CdIo_t;
typedef struct cdrom_drive_s cdrom_drive_t;
typedef struct cdrom_paranoia_s cdrom_paranoia_t;

class TCdDiscReader {
public:
    static constexpr int FramesPerSector = 588;
    static constexpr int SectorsPerSecond = 75;

    struct TTrack {
        std::int32_t startLsn = 0;
        std::int32_t sectors = 0;
        bool audio = true;
    };

    enum class State {
        NoDrive, // no drive found, or the named drive or image cannot be opened
        NoMedia, // a drive without a readable disc
        Ready,
    };

    TCdDiscReader() = default;
    ~TCdDiscReader();
    TCdDiscReader(const TCdDiscReader &) = delete;
    TCdDiscReader &operator=(const TCdDiscReader &) = delete;

    // The drive or image to use: TONARIA_CDROM when set and not empty, else empty (the first
    // drive of the machine).
    static QString sourceFromEnvironment();

    // Opens `source` (empty: the first drive) and reads its table of contents. Closes what was
    // open before.
    State open(const QString &source);
    void close();
    State state() const { return state_; }
    // True when the source is a disc image, not a drive.
    bool isImage() const { return image_; }

    // The table of contents: tracks in order, track number i at index i - 1.
    const std::vector<TTrack> &tracks() const { return tracks_; }
    // The sector after the last one of the last track.
    std::int32_t leadOutLsn() const { return leadOut_; }
    // 16 hexadecimal digits derived from the table of contents: the same disc gives the same
    // text in any drive or image, another disc (almost surely) another one. Empty without media.
    QString identity() const;

    // Reads `count` sectors from `lsn` into `out` (count * 588 * 2 samples, interleaved left,
    // right). Returns false when the sectors cannot be read (or no disc is open); `out` then
    // holds silence.
    bool readAudio(std::int32_t lsn, int count, std::int16_t *out);

    // Opens or closes the drive's tray. False when the source is an image, or the drive cannot.
    // Ejecting forgets the disc (state NoMedia).
    bool eject();
    bool closeTray();

private:
    bool readToc();
    bool readStraight(std::int32_t lsn, int count, std::int16_t *out);
    bool readCorrected(std::int32_t lsn, int count, std::int16_t *out);
    void closeLocked();

    std::mutex lock_;
    CdIo_t *cdio_ = nullptr;
    cdrom_drive_t *drive_ = nullptr;
    cdrom_paranoia_t *paranoia_ = nullptr;
    std::int32_t paranoiaNext_ = -1; // the sector paranoia reads next, when it has been seeked
    QString source_;
    QByteArray drivePath_;
    bool image_ = false;
    State state_ = State::NoDrive;
    std::vector<TTrack> tracks_;
    std::int32_t firstTrackNumber_ = 1;
    std::int32_t leadOut_ = 0;
};

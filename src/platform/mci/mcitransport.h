#pragma once
// The playing side of an open medium: what a media device drives when it plays, pauses, stops
// and seeks a file, and the sound source it gives the audio output.
//
// Positions and lengths are milliseconds from the start of the medium. Play runs towards a `to`
// position (or the end); when it gets there the transport stops with its position exactly at
// that point, and reachedEnd() turns true.
//
// Threads: every method is for the main thread, and none of them blocks for long; the sound is
// made by source().mixInto() on the audio thread. Commands take effect at the source's next
// block; the queries already answer as the last command asked.

#include "platform/audio/audiosource.h"
#include "tonaria/mci.h"

#include <QString>

#include <cstdint>

class TMciTransport {
public:
    enum class Mode { Stopped, Playing, Paused };

    virtual ~TMciTransport() = default;

    // Plays from `fromMs` (negative: the current position) to `toMs` (negative: the end).
    virtual void play(std::int64_t fromMs, std::int64_t toMs) = 0;
    // Pause and stop silence the sound at once and keep the position.
    virtual void pause() = 0;
    // Continues a paused play towards the `to` of that play.
    virtual void resume() = 0;
    virtual void stop() = 0;
    // Moves the position (0..length); the mode is kept.
    virtual void seek(std::int64_t ms) = 0;
    // Stops for good before the source is detached and the transport destroyed.
    virtual void close() = 0;

    virtual std::uint32_t positionMs() const = 0;
    virtual std::uint32_t lengthMs() const = 0;
    virtual Mode mode() const = 0;
    // True once the last play (or resume) has run to its end and the transport has stopped.
    virtual bool reachedEnd() const = 0;

    // Device-specific status items (MCI_SEQ_STATUS_..., MCI_WAVE_STATUS_...): true with the
    // value when this transport knows the item.
    virtual bool statusItem(std::uint32_t item, std::uintptr_t &value) const
    {
        (void)item;
        (void)value;
        return false;
    }

    // The medium's tracks, for a medium with more than one (a disc). A file is one sound track
    // from 0 to its length. Track numbers run from 1 to trackCount(); a track's start is a
    // position of the medium, and startMs() is where the first track begins (0 but for a disc
    // whose first track starts late). The medium ends at startMs() + lengthMs().
    virtual std::uint32_t startMs() const { return 0; }
    virtual std::uint32_t trackCount() const { return 1; }
    virtual std::uint32_t trackStartMs(std::uint32_t track) const
    {
        (void)track;
        return 0;
    }
    virtual std::uint32_t trackLengthMs(std::uint32_t track) const
    {
        (void)track;
        return lengthMs();
    }
    // False for a track that holds data rather than sound: it cannot be played.
    virtual bool isAudioTrack(std::uint32_t track) const
    {
        (void)track;
        return true;
    }
    // False while a drive holds no medium: every command that needs one then answers
    // MCIERR_DEVICE_NOT_READY. A file is always there.
    virtual bool mediaPresent() const { return true; }
    // True when the medium's track-relative time format (MCI_FORMAT_TMSF) applies.
    virtual bool hasTrackTimes() const { return false; }
    // The identity of the medium (MCI_INFO_MEDIA_IDENTITY): empty when it has none.
    virtual QString identity() const { return QString(); }
    // Opens or closes the drive's door: 0, or an MCIERR_ code when the medium has no door.
    virtual MCIERROR setDoorOpen(bool open)
    {
        (void)open;
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    virtual bool canEject() const { return false; }

    // True when the sound may go on after close() (a release or reverb tail, a fade): the
    // source then stays in the mix until it is idle, and the transport is destroyed afterwards,
    // off the main thread, without its driver's release().
    virtual bool ringsOut() const { return false; }

    // The sound of this medium, attached to the audio output while the medium is open and has
    // been played.
    virtual TAudioSource &source() = 0;
};

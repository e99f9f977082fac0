#pragma once
// What the desktop's media controls see of the jukebox, read from the engine at one moment:
// the play state, the title open in the player, which commands may run now, and the program's
// order. The service compares one reading with the last to tell the desktop what changed.
//
// Threads: main thread only (the engine lives there).

#include <QString>
#include <QVariantMap>

#include <cstdint>

class TJukebox;

struct TMprisState {
    // "Playing", "Paused" or "Stopped". The pause between titles counts as playing: the
    // jukebox goes on by itself.
    QString playbackStatus = QStringLiteral("Stopped");
    // The title open in the player; empty without one.
    QVariantMap metadata;
    // The title's identity for the desktop; changes whenever another title opens.
    QString trackId;
    // The title's length and where it stands, in microseconds (0 when nothing is open).
    std::int64_t length = 0;
    std::int64_t position = 0;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
    // The programs wrap round at their end: the jukebox always repeats the whole program.
    QString loopStatus = QStringLiteral("Playlist");
    // The current program is the album's Shuffle program.
    bool shuffle = false;

    bool operator==(const TMprisState &) const = default;
};

// The track id of no title.
inline const QString kMprisNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

TMprisState ReadMprisState(TJukebox &jukebox);

// The Player interface's properties that differ between two readings, as PropertiesChanged
// carries them (the position never: the desktop reads it when it wants it).
QVariantMap ChangedPlayerProperties(const TMprisState &before, const TMprisState &after);

// The milliseconds of a player value in the player's current time format; false when the
// player is not ready or its format is not one of plain time.
bool PlayerMilliseconds(TJukebox &jukebox, std::uint32_t value, std::int64_t &milliseconds);

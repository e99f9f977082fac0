#pragma once
// The jukebox on the desktop's media controls (MPRIS2 over the session bus): the media keys,
// the sound menus of the desktops and `playerctl` reach it as "org.mpris.MediaPlayer2.tonaria".
// It is an outside interface of the engine like the windows: every command runs the station's
// actions or the engine's public operations, so the transport's rules hold; what it tells the
// desktop follows the engine's signals.
//
// When the preference asks for it, a notice tells the desktop of each new title while the display
// window is hidden.
//
// Without a session bus there is no service and nothing is said about it.
//
//     TMprisService mpris(jukebox);
//     mpris.Start();                     // false without a bus: the program goes on as before
//
// Threads: main thread only.

#include "platform/mpris/mprisstate.h"
#include "platform/mpris/nowplayingnotice.h"

#include <QDBusObjectPath>
#include <QObject>
#include <QString>

class TJukebox;

class TMprisService : public QObject {
    Q_OBJECT

public:
    static constexpr const char *ServiceName = "org.mpris.MediaPlayer2.tonaria";
    static constexpr const char *ObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char *PlayerInterface = "org.mpris.MediaPlayer2.Player";

    explicit TMprisService(TJukebox &jukebox);
    ~TMprisService() override;
    TMprisService(const TMprisService &) = delete;
    TMprisService &operator=(const TMprisService &) = delete;

    // A session bus is named in the environment or waits at its usual place; asked first so
    // that no bus is ever started for the question.
    static bool SessionBusExists();
    // Takes the bus name and shows the object; false when there is no bus or the name is taken.
    bool Start();
    bool Started() const { return started_; }

    // The last reading of the engine.
    const TMprisState &State() const { return state_; }
    // Reads the engine again and tells the desktop what changed.
    void Refresh();
    // Where the title stands now (microseconds).
    qint64 Position();

    // ---- org.mpris.MediaPlayer2 ----
    void Raise();
    void Quit();
    // ---- org.mpris.MediaPlayer2.Player ----
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qint64 offset);
    void SetPosition(const QDBusObjectPath &trackId, qint64 position);
    void OpenUri(const QString &uri);
    void SetShuffle(bool shuffle);

signals:
    // The position jumped (microseconds).
    void seeked(qint64 position);

private:
    void SeekTo(qint64 position);

    TJukebox &jukebox_;
    TMprisState state_;
    bool started_ = false;
    TNowPlayingNotice notice_;
    QString noticedTrack_;
};

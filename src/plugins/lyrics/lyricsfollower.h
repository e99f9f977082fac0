#pragma once
// Follows the program's loaded title for the view: asks the host where the title stands, and
// reads the title's file when the title changes. The file is read on a thread of its own, so a
// large song never holds up the program's windows; meanwhile the song is empty and Loading()
// holds. A title that changes again while one is read is read next.
//
// The host is asked whenever it has refreshed its own display or controls (Refresh with the file
// name), and, while the view is shown and the title plays, every IntervalMs on a timer of its own
// (state and position only; the file name too when the state changes or the position goes back,
// which is how a new title shows). Hidden or not playing, the timer does not run.
//
// Threads: main thread.

#include "hostlink.h"
#include "lyricssong.h"

#include <QObject>
#include <QTimer>

#include <thread>

class TLyricsFollower : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool loading READ Loading)

public:
    static constexpr int IntervalMs = 20;

    explicit TLyricsFollower(TPIHostLink host, QObject *parent = nullptr);
    // Waits for a file being read.
    ~TLyricsFollower() override;

    // The view is shown or hidden: a hidden view asks nothing.
    void SetShown(bool shown);
    // Asks the host where its title stands; withFileName: and which title it is.
    void Refresh(bool withFileName);

    int State() const { return state_; }
    std::int64_t Position() const { return position_; }
    std::int64_t Length() const { return length_; }
    const TLyricsSong &Song() const { return song_; }
    bool Loading() const { return loader_.joinable(); }

signals:
    // Anything the view shows may have changed.
    void Changed();

private:
    void Tick();
    void UpdateTimer();
    // Reads wantedPath_ unless a file is being read already.
    void StartLoading();
    void Loaded(TLyricsSong song);

    TPIHostLink host_;
    QTimer timer_;
    bool shown_ = false;
    int state_ = PH_STATE_CLOSED;
    std::int64_t position_ = 0;
    std::int64_t length_ = 0;
    QString wantedPath_; // the host's title
    TLyricsSong song_;
    std::thread loader_;
};

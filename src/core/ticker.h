#pragma once
// The ticker: paces the periodic work of the program. While a title plays, or while a window
// shows moving contents (times, the meter, the flag), it asks for a display refresh and an
// end-of-title check every display interval, for the peak meter every meter interval (when the
// meter is on) and for the flag animation every animation interval (when the animation is on).
// Otherwise no timer of the ticker runs at all: a stopped jukebox is idle.
//
// The ticker runs on the timers of the given source, on the main thread, so a request never
// waits behind another of its kind: each is taken when its timer fires.
//
// Created idle; Resume() lets it run (at the end of the start-up) and Terminate() ends it for
// good (in the close query). SetActivity tells it whether anything moves.
//
// Threads: main thread only.

#include "core/timersource.h"

#include <QObject>

#include <memory>

class TTicker : public QObject {
    Q_OBJECT

public:
    explicit TTicker(TTimerSource &timers);
    ~TTicker() override;

    void Resume();
    void Terminate();
    bool Resumed() const { return resumed_ && !terminated_; }

    // The peak meter's schedule and the animation switch, from the preferences.
    void SetMeter(bool active, int intervalMs);
    void SetAnimation(bool on);
    void SetDisplayInterval(int ms);
    int DisplayInterval() const { return displayInterval_; }

    // playing: a title plays (its end is waited for); moving: a window shows moving contents.
    void SetActivity(bool playing, bool moving);
    // No timer of the ticker runs.
    bool Idle() const;

signals:
    void displayDue();
    void endCheckDue();
    void meterDue();
    void animationDue();

private:
    void Apply();
    static void Run(TTimer &timer, bool on, int interval);

    std::unique_ptr<TTimer> display_;
    std::unique_ptr<TTimer> meter_;
    std::unique_ptr<TTimer> animation_;
    bool resumed_ = false;
    bool terminated_ = false;
    bool playing_ = false;
    bool moving_ = false;
    bool meterActive_ = true;
    int meterInterval_ = 10;
    bool animationOn_ = false;
    int displayInterval_ = 500;
    static constexpr int kAnimationInterval = 100;
};

#pragma once
// The station's deferred commands: events posted to the station and handled on the main thread
// when the event loop comes to them.
//
// Command codes: 1 peak meter, 2 display refresh, 3 close the display window, 4 display
// animation, 5 end-of-title check, 6 control states, 7 forget a closed window. The ticker posts
// 1, 2, 4 and 5 and keeps at most one of each kind waiting (the posted flags of the global
// state); the handler raises the kind's flag again when done.
//
// A ticker call is the ticker's synchronous request: a seek step or the commit of a typed
// number, run on the main thread while the ticker waits. A call the ticker has given up on
// (it is being ended) is not run.
//
// Threads: events are made on any thread and handled on the main thread.

#include <QEvent>

#include <condition_variable>
#include <memory>
#include <mutex>

inline constexpr int StationCommandPeakMeter = 1;
inline constexpr int StationCommandDisplay = 2;
inline constexpr int StationCommandCloseDisplay = 3;
inline constexpr int StationCommandAnimation = 4;
inline constexpr int StationCommandEndCheck = 5;
inline constexpr int StationCommandControls = 6;
inline constexpr int StationCommandForgetWindow = 7;

inline constexpr QEvent::Type StationCommandEventType = QEvent::Type(QEvent::User + 0x500);
inline constexpr QEvent::Type TickerCallEventType = QEvent::Type(QEvent::User + 0x501);

class TStationCommandEvent : public QEvent {
public:
    explicit TStationCommandEvent(int code, void *param = nullptr)
        : QEvent(StationCommandEventType), Code(code), Param(param)
    {
    }
    const int Code;
    // For code 7: the window slot to empty.
    void *const Param;
};

// What the ticker asks the main thread to run.
enum class TTickerRequest { SeekBackward, SeekForward, QuickNumberCommit };

// The hand-shake of one synchronous call: the main thread marks it done; the ticker, when it
// is being ended, marks it abandoned instead of waiting on.
struct TTickerCallState {
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    bool Abandoned = false;
};

class TTickerCallEvent : public QEvent {
public:
    TTickerCallEvent(TTickerRequest request, std::shared_ptr<TTickerCallState> state)
        : QEvent(TickerCallEventType), Request(request), state_(std::move(state))
    {
    }
    // The event went away without being run (its receiver was deleted): the ticker may go on.
    ~TTickerCallEvent() override { Finish(); }

    const TTickerRequest Request;

    // False when the ticker has given up on the call: it must not be run.
    bool Wanted() const
    {
        std::lock_guard lock(state_->Mutex);
        return !state_->Abandoned;
    }
    // Lets the waiting ticker go on.
    void Finish()
    {
        std::lock_guard lock(state_->Mutex);
        state_->Finished = true;
        state_->Done.notify_all();
    }

private:
    std::shared_ptr<TTickerCallState> state_;
};

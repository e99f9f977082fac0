#include "core/timerthread.h"

#include "core/tonariaglobals.h"

#include <QCoreApplication>

#include <chrono>

namespace {

using TClock = std::chrono::steady_clock;

std::int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now().time_since_epoch())
        .count();
}

// Lowers a countdown that is running; true when it has just run out.
bool CountDown(std::atomic<int> &countdown, int tick)
{
    int value = countdown.load();
    if (value < 0) return false;
    value -= tick;
    countdown = value;
    return value < 0;
}

} // namespace

TTimerThread::TTimerThread(TTonariaGlobals &globals, QObject *receiver)
    : g_(globals), receiver_(receiver)
{
}

TTimerThread::~TTimerThread()
{
    Terminate();
}

void TTimerThread::Resume()
{
    if (thread_.joinable() || terminated_) return;
    thread_ = std::thread([this] { Run(); });
}

void TTimerThread::Terminate()
{
    std::shared_ptr<TTickerCallState> call;
    {
        std::lock_guard lock(callMutex_);
        terminated_ = true;
        call = pendingCall_;
    }
    if (call) {
        std::lock_guard lock(call->Mutex);
        call->Abandoned = true;
        call->Done.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

void TTimerThread::SetMeter(bool active, int intervalMs)
{
    meterActive_ = active;
    meterInterval_ = intervalMs > 0 ? intervalMs : 1;
}

void TTimerThread::SetAnimation(bool on)
{
    animation_ = on;
}

void TTimerThread::Post(int code)
{
    QCoreApplication::postEvent(receiver_, new TStationCommandEvent(code));
}

void TTimerThread::Call(TTickerRequest request)
{
    auto call = std::make_shared<TTickerCallState>();
    {
        std::lock_guard lock(callMutex_);
        if (terminated_) return;
        pendingCall_ = call;
    }
    QCoreApplication::postEvent(receiver_, new TTickerCallEvent(request, call));
    {
        std::unique_lock lock(call->Mutex);
        call->Done.wait(lock, [&] { return call->Finished || call->Abandoned; });
    }
    std::lock_guard lock(callMutex_);
    pendingCall_.reset();
}

void TTimerThread::Run()
{
    std::int64_t meterDue = NowMs();
    std::int64_t displayDue = meterDue;
    std::int64_t animationDue = meterDue;
    while (!terminated_) {
        const std::int64_t start = NowMs();
        const int tick = g_.TickInterval;

        if (meterActive_ && start >= meterDue) {
            const int interval = meterInterval_;
            // Catch up by whole periods.
            meterDue += ((start - meterDue) / interval + 1) * interval;
            if (g_.MeterPosted.exchange(false)) Post(StationCommandPeakMeter);
        }
        if (start >= displayDue) {
            displayDue = start + g_.DisplayInterval;
            if (g_.DisplayPosted.exchange(false)) Post(StationCommandDisplay);
            if (g_.EndCheckPosted.exchange(false)) Post(StationCommandEndCheck);
        }
        if (animation_ && start >= animationDue) {
            animationDue = start + g_.AnimationInterval;
            if (g_.AnimationPosted.exchange(false)) Post(StationCommandAnimation);
        }
        if (CountDown(g_.QuickNumberCountdown, tick)) Call(TTickerRequest::QuickNumberCommit);
        if (g_.Seeking) {
            const int direction = g_.SeekDirection;
            if ((direction == 1 || direction == 2) && CountDown(g_.SeekCountdown, tick))
                Call(direction == 1 ? TTickerRequest::SeekBackward : TTickerRequest::SeekForward);
        }

        const std::int64_t rest = tick - (NowMs() - start);
        if (rest > 0) std::this_thread::sleep_for(std::chrono::milliseconds(rest));
    }
}

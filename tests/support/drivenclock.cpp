#include "support/drivenclock.h"

#include <QCoreApplication>

#include <algorithm>

class TDrivenClock::TDrivenTimer final : public TTimer {
public:
    explicit TDrivenTimer(TDrivenClock &clock) : clock_(clock) { clock_.timers_.push_back(this); }
    ~TDrivenTimer() override { std::erase(clock_.timers_, this); }

    void Start(int ms) override
    {
        interval_ = ms < 0 ? 0 : ms;
        due_ = clock_.now_ + interval_;
        order_ = ++clock_.started_;
        active_ = true;
    }
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }
    int Interval() const override { return interval_; }

    void Fire()
    {
        if (Repeating())
            due_ += std::max(interval_, 1);
        else
            active_ = false;
        emit timeout();
    }

    std::int64_t due_ = 0;
    std::uint64_t order_ = 0;
    bool active_ = false;
    int interval_ = 0;

private:
    TDrivenClock &clock_;
};

std::unique_ptr<TTimer> TDrivenClock::CreateTimer()
{
    return std::make_unique<TDrivenTimer>(*this);
}

int TDrivenClock::ActiveTimers() const
{
    return int(std::count_if(timers_.begin(), timers_.end(),
                             [](const TDrivenTimer *t) { return t->active_; }));
}

void TDrivenClock::Advance(std::int64_t ms)
{
    const std::int64_t end = now_ + ms;
    for (;;) {
        QCoreApplication::processEvents();
        TDrivenTimer *next = nullptr;
        for (TDrivenTimer *timer : timers_) {
            if (!timer->active_ || timer->due_ > end) continue;
            if (!next || timer->due_ < next->due_ ||
                (timer->due_ == next->due_ && timer->order_ < next->order_))
                next = timer;
        }
        if (!next) break;
        now_ = std::max(now_, next->due_);
        next->Fire();
    }
    now_ = end;
}

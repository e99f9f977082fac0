#include "core/ticker.h"

TTicker::TTicker(TTimerSource &timers)
    : display_(timers.CreateTimer()), meter_(timers.CreateTimer()),
      animation_(timers.CreateTimer())
{
    for (TTimer *timer : {display_.get(), meter_.get(), animation_.get()})
        timer->SetRepeating(true);
    connect(display_.get(), &TTimer::timeout, this, [this] {
        emit displayDue();
        emit endCheckDue();
    });
    connect(meter_.get(), &TTimer::timeout, this, &TTicker::meterDue);
    connect(animation_.get(), &TTimer::timeout, this, &TTicker::animationDue);
}

TTicker::~TTicker() = default;

void TTicker::Resume()
{
    resumed_ = true;
    Apply();
}

void TTicker::Terminate()
{
    terminated_ = true;
    Apply();
}

void TTicker::SetMeter(bool active, int intervalMs)
{
    meterActive_ = active;
    meterInterval_ = intervalMs > 0 ? intervalMs : 1;
    Apply();
}

void TTicker::SetAnimation(bool on)
{
    animationOn_ = on;
    Apply();
}

void TTicker::SetDisplayInterval(int ms)
{
    displayInterval_ = ms > 0 ? ms : 1;
    Apply();
}

void TTicker::SetActivity(bool playing, bool moving)
{
    if (playing == playing_ && moving == moving_) return;
    playing_ = playing;
    moving_ = moving;
    Apply();
}

bool TTicker::Idle() const
{
    return !display_->IsActive() && !meter_->IsActive() && !animation_->IsActive();
}

void TTicker::Run(TTimer &timer, bool on, int interval)
{
    if (!on) {
        timer.Stop();
    } else if (!timer.IsActive() || timer.Interval() != interval) {
        timer.Start(interval);
    }
}

void TTicker::Apply()
{
    const bool running = resumed_ && !terminated_ && (playing_ || moving_);
    Run(*display_, running, displayInterval_);
    Run(*meter_, running && meterActive_, meterInterval_);
    Run(*animation_, running && animationOn_ && moving_, kAnimationInterval);
}

#include "core/timersource.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class TSystemTimer final : public TTimer {
public:
    TSystemTimer()
    {
        // The pause between titles must last what the user set, not a coarse approximation.
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, &TTimer::timeout);
    }
    void Start(int ms) override
    {
        timer_.setSingleShot(!Repeating());
        timer_.start(ms < 0 ? 0 : ms);
    }
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }
    int Interval() const override { return timer_.interval(); }

private:
    QTimer timer_;
};

class TSystemTimerSource final : public TTimerSource {
public:
    TSystemTimerSource() { clock_.start(); }
    std::unique_ptr<TTimer> CreateTimer() override { return std::make_unique<TSystemTimer>(); }
    std::int64_t NowMs() const override { return clock_.elapsed(); }

private:
    QElapsedTimer clock_;
};

} // namespace

TTimerSource &SystemTimerSource()
{
    static TSystemTimerSource source;
    return source;
}

#include "moc_timersource.cpp"

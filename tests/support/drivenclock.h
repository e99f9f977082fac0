#pragma once
// A timer source whose time the test moves on: Advance(ms) fires every timer that falls due in
// that span, in the order of their due times, each at its own moment, running the event loop
// once after each so that what a timer posts is handled before the next one fires.

#include "core/timersource.h"

#include <cstdint>
#include <vector>

class TDrivenClock final : public TTimerSource {
public:
    std::unique_ptr<TTimer> CreateTimer() override;
    std::int64_t NowMs() const override { return now_; }

    void Advance(std::int64_t ms);
    // Timers running now.
    int ActiveTimers() const;

private:
    class TDrivenTimer;
    friend class TDrivenTimer;

    std::int64_t now_ = 0;
    std::uint64_t started_ = 0; // start order, to break ties
    std::vector<TDrivenTimer *> timers_;
};

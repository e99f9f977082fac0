// The timer calls of tonaria/midiseq.h: periodic callbacks on a thread of their own, and the
// steady millisecond clock.
#include "platform/midiout/mediatimers.h"
#include "tonaria/midiseq.h"

#include <chrono>

extern "C" {

uint32_t timeSetEvent(uint32_t delay, uint32_t resolution, LPTIMECALLBACK callback, uintptr_t user,
                      uint32_t flags)
{
    (void)resolution; // the steady clock is as fine as it gets
    constexpr uint32_t known = TIME_PERIODIC | TIME_KILL_SYNCHRONOUS;
    if (flags & ~known) return 0; // event handles instead of callbacks have no counterpart
    return TMediaTimers::instance().start(delay, (flags & TIME_PERIODIC) != 0, callback, user);
}

MMRESULT timeKillEvent(uint32_t timerId)
{
    return TMediaTimers::instance().kill(timerId);
}

uint32_t timeGetTime(void)
{
    using namespace std::chrono;
    // Never goes back and is not moved by changes of the wall clock; wraps after 49.7 days, as
    // the multimedia clock does.
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // extern "C"

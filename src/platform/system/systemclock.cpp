#include "platform/system/systemclock.h"

#include <chrono>

extern "C" uint32_t timeGetTime(void)
{
    using namespace std::chrono;
    // Wraps after 49.7 days, as the multimedia clock does.
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

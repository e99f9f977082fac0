#pragma once
// The system time in milliseconds, from a steady clock: it never goes back and is not moved
// by changes of the wall clock. Any thread.
#include <cstdint>

std::uint32_t timeGetTime();

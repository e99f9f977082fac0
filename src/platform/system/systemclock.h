#pragma once
// The system time in milliseconds, from a steady clock: it never goes back and is not moved
// by changes of the wall clock. Any thread. Plug-ins find it by name (see tonaria/midiseq.h).
#include "tonaria/midiseq.h"

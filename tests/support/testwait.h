#pragma once
// Waiting in tests: the event loop keeps running, so queued notices and timers are served.
#include <functional>

// Runs the event loop until `done` holds or `timeoutMs` have passed; returns `done()`.
bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 10000);
// Runs the event loop for `ms` milliseconds.
void RunEvents(int ms);

#pragma once
// The signal that ends an output's idle sleep. An output whose sources are all idle stops its
// clock and sleeps; whatever may make a source audible again (a source attached, a play command,
// a MIDI message queued) calls wakeAudioOutputs(), and every sleeping output looks again.
//
// Threads: any thread but the audio thread (waking may make a system call).
#include <cstdint>

void wakeAudioOutputs() noexcept;

// How many wakes there have been so far. An output reads it before it checks its sources, and
// sleeps only while it stays the same, so a wake in between is never lost.
std::uint32_t audioWakeCount() noexcept;

// Sleeps until the wake count differs from `seen`, or a second at most.
void waitForAudioWake(std::uint32_t seen) noexcept;

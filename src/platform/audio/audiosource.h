#pragma once
// A producer of sound for the audio mixer.
//
// Threads: mixInto() is called on the audio thread only (the SDL callback, or the pacing thread of
// the null and WAV outputs, or the caller of an offline render). It never blocks, allocates, waits
// on a lock or makes a system call. Everything else a source offers is for its owner's thread, and
// hands work to the audio thread through atomics or a lock-free queue.

class TAudioSource {
public:
    virtual ~TAudioSource() = default;

    // Adds this source's next `frames` stereo frames to `out` (interleaved left, right; float,
    // nominal range -1 to 1). A silent or paused source adds nothing. `sampleRate` is the output's
    // rate and does not change while the source is attached.
    virtual void mixInto(float *out, int frames, int sampleRate) noexcept = 0;
};

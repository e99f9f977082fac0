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

    // True while the source adds nothing and will add nothing until its owner commands it
    // again; such a command calls wakeAudioOutputs(). An output whose sources are all idle lets
    // its clock stand still. Any thread; never blocks.
    virtual bool isIdle() const noexcept { return false; }

    // False while the source cannot sound yet (its instrument is still loading): the mixer does
    // not call it, and its first frame lands where it is first called once ready. Any thread;
    // never blocks.
    virtual bool isReady() const noexcept { return true; }
};

/*
 * Tonaria audio streams: how a plug-in adds sound of its own to the program's audio mix.
 *
 * The program has one audio output (the sound card, or a file or nothing in headless runs). A
 * plug-in opens a stream on it with a render call-back; while the stream runs, the output's
 * audio thread calls the call-back for every block of the mix and the plug-in adds its sound
 * there. The format is the output's: stereo, interleaved 32-bit float samples with a nominal
 * range of -1 to 1, at the rate audioGetSampleRate() answers (fixed for the life of a stream).
 *
 * Threads: audioStreamOpen(), audioStreamStart(), audioStreamHalt() and audioStreamClose() are
 * for the program's main thread (from any other thread they do nothing and fail). The render
 * call-back runs on the audio thread; it must never block, allocate memory, wait on a lock or
 * make a system call, and it must not call these functions. Hand positions and commands over
 * to it with atomics.
 *
 * This header is C (plug-ins may be written in C) and C++. It needs nothing but the C library.
 */
#ifndef TONARIA_AUDIO_H
#define TONARIA_AUDIO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TONARIA_EXPORT
#define TONARIA_EXPORT __attribute__((visibility("default")))
#endif

/* An open stream; 0 is never a stream. */
typedef uintptr_t HAUDIOSTREAM;

/* The render call-back. Adds (never overwrites) the stream's next `frames` stereo frames to
 * `out`, `frames` * 2 floats, left then right. Answers 1 to go on being called, 0 when the
 * stream has no more to add: it then falls silent and is not called again until
 * audioStreamStart(). `context` is the value given to audioStreamOpen(). Audio thread only. */
typedef int (*TAudioRenderProc)(void *context, float *out, int32_t frames, uint32_t sampleRate);

/* The output's frames per second (44100 or 48000); 0 when the program has no audio output. Main
 * thread. */
TONARIA_EXPORT uint32_t audioGetSampleRate(void);

/* Makes a stream for the mix, halted (its call-back is not called yet). Returns 0 when there is
 * no audio output or no call-back. Main thread. */
TONARIA_EXPORT HAUDIOSTREAM audioStreamOpen(TAudioRenderProc render, void *context);

/* Puts the stream into the mix: the audio thread calls its call-back from its next block on.
 * Returns 1; 0 for an unknown stream, or when the mix has no free place (it holds 16 sources) or
 * the output has gone. Main thread. */
TONARIA_EXPORT int audioStreamStart(HAUDIOSTREAM stream);

/* Takes the stream out of the mix. Returns only once the audio thread has left the call-back
 * (at most one block later), so the caller may then change whatever the call-back reads. A
 * stream whose call-back answered 0 is silent already, but stays in the mix until halted.
 * Returns 1, or 0 for an unknown stream. Main thread. */
TONARIA_EXPORT int audioStreamHalt(HAUDIOSTREAM stream);

/* Halts the stream and forgets it. Main thread. */
TONARIA_EXPORT void audioStreamClose(HAUDIOSTREAM stream);

#ifdef __cplusplus
}
#endif

#endif /* TONARIA_AUDIO_H */

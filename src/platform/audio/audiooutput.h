#pragma once
// The program's one audio output: a mixer of the attached sources and the back-end that carries
// the mix away (the sound card through SDL2, nothing at all, or a WAV file).
//
// Back-ends, chosen by a text (the value of TONARIA_AUDIO):
//   "sdl"        the sound card through SDL2 (PulseAudio, PipeWire or ALSA underneath). With no
//                usable device it falls back to "null" and says so in one line.
//   "null"       no device: a thread of its own renders the mix into a scratch buffer at the pace
//                of the steady clock, so sources and the output clock advance in real time;
//                while every source is idle the thread sleeps and the clock stands still.
//   "wav:PATH"   as "null" (but its clock keeps real time throughout, so the file holds the
//                silences too), and the mix is written to the WAV file PATH (32-bit float, stereo) by
//                a writer thread. A file that cannot be written falls back to "null".
//   "render:PATH" no pacing: a thread renders as fast as the machine allows into the WAV file
//                PATH, and only while at least one source is attached (time stands still while
//                none is, so the file holds what the sources made and no idle silence). No
//                fallback: a file that cannot be written makes create() fail.
//
// Format: stereo, interleaved 32-bit float, at 44100 or 48000 frames per second, fixed while the
// output exists. The mix is the sum of the sources, put through a limiter once, at the end of
// each block: a sum that would pass -1 dBFS is turned down smoothly and recovers within a few
// hundred milliseconds, so the mix never reaches full scale (a sample that is not a number
// becomes 0); the peaks, the device and the files all see the limited mix.
//
// Threads: the output is created and destroyed on a control thread (normally the main thread).
// attach(), detach(), peaks(), stop() and the clock may be called from any thread other than the
// audio thread; attach() and detach() of one source come from one thread at a time. The audio
// thread (the SDL callback, the pacing thread of "null" and "wav:", the render thread of
// "render:") calls the sources' mixInto() and nothing else of theirs. The mixing never blocks,
// allocates or waits on a lock.
//
// Where a source's sound lands: a source's first frame lands at output frame startFrame(source),
// known once the source has been mixed for the first time; its n-th frame lands at that frame + n
// (sources are mixed whole blocks at a time and never skip). During mixInto(), framesRendered()
// is exactly the output frame of out[0], so a source may also read the clock there.
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/audio/audiomixer.h"
#include "platform/audio/audioretirer.h"

#include <chrono>

class TAudioSource;

class TAudioOutput {
public:
    static constexpr int Channels = 2;
    // How many sources may be attached at once.
    static constexpr int MaxSources = TAudioMixer::MaxSources;

    // Opens the back-end the choice names ("sdl", "null", "wav:PATH", "render:PATH"; the word is
    // compared without case, the path is taken as it stands). When the back-end cannot be opened
    // and it has a fallback, the fallback is opened and *notice (when given) receives one line
    // saying what happened, for the caller to show; otherwise *notice is left empty. Returns null
    // only when nothing could be opened (a "render:" file that cannot be written); *notice then
    // says why. An empty choice means the default ("sdl"); an unknown one is reported in *notice
    // and the default is used. Control thread; may block for as long as the sound system takes to
    // open a device.
    static std::unique_ptr<TAudioOutput> create(const QString &choice, QString *notice);

    // create() with the value of the environment variable TONARIA_AUDIO ("sdl" when unset).
    static std::unique_ptr<TAudioOutput> createFromEnvironment(QString *notice);

    // Stops the output (as stop()); the sources still attached are not called any more, and
    // are not destroyed: they belong to whoever attached them.
    virtual ~TAudioOutput();

    TAudioOutput(const TAudioOutput &) = delete;
    TAudioOutput &operator=(const TAudioOutput &) = delete;

    // The back-end's word: "sdl", "null", "wav" or "render". Any thread.
    virtual QString backendName() const = 0;

    // Frames per second of the output: 44100 or 48000, fixed. Any thread.
    int sampleRate() const { return sampleRate_; }

    // Frames the back-end hands to its device or file that the listener hears only later (the
    // device's buffer); 0 for the back-ends without a device. Any thread.
    virtual int latencyFrames() const { return 0; }

    // Adds a source to the mix. Returns at once (never blocks); the audio thread picks the
    // source up at the start of its next block. Returns false, leaving the mix as it was, when
    // the source is null, already attached, or all MaxSources slots are taken.
    bool attach(TAudioSource *source) { return mixer_.attach(source); }

    // Removes a source from the mix. Returns only when the audio thread no longer touches it,
    // so the caller may destroy it right afterwards; returns at once when nothing is being
    // rendered (a stopped output, a device that stalled). May block for up to one block's
    // rendering. Returns false when the source was not attached. Never from the audio thread.
    bool detach(TAudioSource *source) { return mixer_.detach(source); }

    // Lets an attached source go once it is idle (its tail has died away, a fade has ended),
    // then destroys `owner`, which keeps the source alive. Returns at once; the source leaves
    // the mix and the owner is destroyed on another thread, or when the output goes.
    void retire(TAudioSource *source, std::shared_ptr<void> owner)
    {
        retirer_.retire(source, std::move(owner));
    }
    // Waits until every retired source has left the mix, at most `limit`: the program lets the
    // last tail ring before it ends. True when none is left.
    bool waitForTails(std::chrono::milliseconds limit) { return retirer_.waitUntilEmpty(limit); }

    // The output frame at which the source's first frame lands, or -1 while the source is not
    // attached or has not been mixed yet. Any thread.
    std::int64_t startFrame(const TAudioSource *source) const { return mixer_.startFrame(source); }

    // The output clock: frames rendered so far (0 at creation; never goes back; stands still
    // after stop()). Divide by sampleRate() for seconds. Any thread.
    std::int64_t framesRendered() const { return mixer_.framesRendered(); }

    // framesRendered() in whole milliseconds. Any thread.
    std::int64_t elapsedMilliseconds() const { return framesRendered() * 1000 / sampleRate_; }

    // The highest level of each channel since the previous call, on the scale 0 to 32768 (full
    // scale), and starts the next reading at 0: a meter polled every 10 ms sees every peak.
    // Meant for one reader. Any thread but the audio thread; never blocks.
    TAudioPeaks peaks() { return mixer_.takePeaks(); }

    // Ends rendering for good: no source is called after stop() returns, the clock stands still,
    // and a WAV file is finished (all frames rendered so far written, sizes in its header
    // filled in) and closed. A second call does nothing. Control thread; blocks until the
    // audio thread and any writer have finished.
    virtual void stop() = 0;

    // True until stop() (or until the device died for good). Any thread.
    virtual bool isRunning() const = 0;

    // Why the output failed, in one line (a WAV file that could not be written or finished), or
    // empty. Control thread, after stop(): an offline render checks it before reporting success.
    virtual QString errorString() const { return {}; }

protected:
    explicit TAudioOutput(int sampleRate) : sampleRate_(sampleRate) {}

    // For the back-ends: the mixer their audio thread drives.
    TAudioMixer &mixer() { return mixer_; }

private:
    const int sampleRate_;
    TAudioMixer mixer_;
    // After the mixer: the tails leave the mix before it goes.
    TAudioRetirer retirer_{mixer_};
};

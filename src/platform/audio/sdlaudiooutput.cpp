#include "platform/audio/sdlaudiooutput.h"

#include "platform/audio/audiowake.h"

#include <SDL2/SDL.h>
#include <alsa/asoundlib.h>

#include <chrono>

namespace {

constexpr int PreferredRate = 48000;
// About 21 ms at 48 kHz: short enough for the peak meter to follow, long enough not to starve.
constexpr int BufferFrames = 1024;
// How often a playing device looks whether its sources have all gone idle.
constexpr std::chrono::milliseconds IdleCheck{100};

bool usableRate(int rate)
{
    return rate == 44100 || rate == 48000;
}

// alsa-lib prints a screenful to stderr when it finds no card; what went wrong reaches the
// user through SDL's error in our one-line notice instead.
void quietAlsa(const char *, int, const char *, int, const char *, ...) {}

class TQuietAlsa {
public:
    TQuietAlsa() : previous_(snd_lib_error) { snd_lib_error_set_handler(&quietAlsa); }
    ~TQuietAlsa() { snd_lib_error_set_handler(previous_); }
    TQuietAlsa(const TQuietAlsa &) = delete;
    TQuietAlsa &operator=(const TQuietAlsa &) = delete;

private:
    snd_lib_error_handler_t previous_;
};

QString sdlError()
{
    return QString::fromUtf8(SDL_GetError()).simplified();
}

} // namespace

std::unique_ptr<TSdlAudioOutput> TSdlAudioOutput::open(QString *error)
{
    auto fail = [error](const QString &why) {
        if (error) *error = QStringLiteral("No usable sound device (%1)").arg(why);
        return nullptr;
    };

    // SDL must leave the program's signals alone, and the sound server should show our name.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tonaria");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Playback");
    const TQuietAlsa quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return fail(sdlError());

    SDL_AudioSpec want{};
    want.freq = PreferredRate;
    want.format = AUDIO_F32SYS;
    want.channels = TAudioOutput::Channels;
    want.samples = BufferFrames;
    want.callback = &TSdlAudioOutput::callback;
    // The callback learns its output through this, once the output exists; the device opens
    // paused, so no callback runs before then.
    auto target = std::make_unique<CallbackTarget>();
    want.userdata = target.get();

    SDL_AudioSpec have{};
    SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device != 0 && !usableRate(have.freq)) {
        // A device at some other rate: let SDL convert from ours.
        SDL_CloseAudioDevice(device);
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (device == 0) {
        const QString why = sdlError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return fail(why.isEmpty() ? QStringLiteral("no output device") : why);
    }

    std::unique_ptr<TSdlAudioOutput> output(new TSdlAudioOutput(
        device, have.freq, have.samples ? have.samples : BufferFrames, std::move(target)));
    output->target_->output = output.get();
    SDL_PauseAudioDevice(device, 0);
    output->watcher_ = std::thread([raw = output.get()] { raw->watchIdle(); });
    return output;
}

TSdlAudioOutput::TSdlAudioOutput(std::uint32_t device, int sampleRate, int bufferFrames,
                                 std::unique_ptr<CallbackTarget> target)
    : TAudioOutput(sampleRate), target_(std::move(target)), device_(device),
      bufferFrames_(bufferFrames)
{
}

TSdlAudioOutput::~TSdlAudioOutput()
{
    stop();
}

void TSdlAudioOutput::stop()
{
    if (device_ == 0) return;
    {
        std::lock_guard lock(watchMutex_);
        quit_ = true;
    }
    watchWake_.notify_all();
    wakeAudioOutputs();
    if (watcher_.joinable()) watcher_.join();
    // Closing waits for a callback in progress; none runs afterwards.
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool TSdlAudioOutput::isRunning() const
{
    // A device paused while nothing plays is still running.
    return device_ != 0 && SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED;
}

void TSdlAudioOutput::watchIdle()
{
    std::unique_lock lock(watchMutex_);
    while (!quit_) {
        // Blocks rendered after this reading tell whether a wake since then found work.
        const std::uint32_t wakes = audioWakeCount();
        const std::int64_t frames = framesRendered();
        watchWake_.wait_for(lock, IdleCheck, [this] { return quit_; });
        if (quit_) break;
        // Two blocks later the mixer has looked at every source after the wake count was read.
        if (framesRendered() < frames + 2 * bufferFrames_ || !mixer().wasIdle()) continue;
        lock.unlock();
        SDL_PauseAudioDevice(device_, 1);
        waitForAudioWake(wakes);
        SDL_PauseAudioDevice(device_, 0);
        lock.lock();
    }
}

void TSdlAudioOutput::callback(void *target, std::uint8_t *stream, int bytes)
{
    TSdlAudioOutput *output = static_cast<CallbackTarget *>(target)->output;
    auto *out = reinterpret_cast<float *>(stream);
    const int frames = bytes / int(sizeof(float) * Channels);
    if (!output) {
        SDL_memset(stream, 0, std::size_t(bytes));
        return;
    }
    output->mixer().render(out, frames, output->sampleRate());
}

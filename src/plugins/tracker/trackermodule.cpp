#include "trackermodule.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {

// The whole file, or an error: a module is read into memory once, libopenmpt reads it there.
MCIERROR ReadFile(const std::string &path, std::vector<char> &bytes)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return MCIERR_FILE_NOT_FOUND;
    if (!S_ISREG(info.st_mode)) return MCIERR_INVALID_FILE;
    if (std::uint64_t(info.st_size) > TTrackerModule::MaxFileBytes) return MCIERR_INVALID_FILE;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return MCIERR_FILE_READ;
    bytes.resize(std::size_t(info.st_size));
    const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got != bytes.size()) return MCIERR_FILE_READ;
    return 0;
}

std::uint32_t ToMs(double seconds)
{
    if (!(seconds > 0)) return 0;
    return std::uint32_t(std::min<long long>(std::llround(seconds * 1000.0), 0xFFFFFFFFLL));
}

} // namespace

std::unique_ptr<TTrackerModule> TTrackerModule::Load(const std::string &path,
                                                     std::uint32_t sampleRate, MCIERROR *error)
{
    std::vector<char> bytes;
    if (const MCIERROR readError = ReadFile(path, bytes)) {
        *error = readError;
        return nullptr;
    }
    int openError = 0;
    // Nothing libopenmpt says about a file goes to the terminal: a bad file is an answer.
    openmpt_module *module = openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, &openError, nullptr, nullptr);
    if (!module) {
        *error = openError == OPENMPT_ERROR_OUT_OF_MEMORY ? MCIERR_OUT_OF_MEMORY
                                                          : MCIERR_INVALID_FILE;
        return nullptr;
    }
    std::unique_ptr<TTrackerModule> result(new TTrackerModule(module, sampleRate));
    // Once through the song, no loop: the album decides what comes next.
    openmpt_module_set_repeat_count(module, 0);
    result->lengthMs_ = ToMs(openmpt_module_get_duration_seconds(module));
    if (const char *title = openmpt_module_get_metadata(module, "title")) {
        result->title_ = title;
        openmpt_free_string(title);
    }
    *error = 0;
    return result;
}

TTrackerModule::TTrackerModule(openmpt_module *module, std::uint32_t sampleRate)
    : module_(module), sampleRate_(sampleRate == 0 ? 48000 : sampleRate)
{
}

TTrackerModule::~TTrackerModule()
{
    openmpt_module_destroy(module_);
}

std::uint32_t TTrackerModule::PositionMs() const
{
    if (songOver_.load(std::memory_order_acquire)) return lengthMs_;
    const std::int64_t frames = frames_.load(std::memory_order_acquire);
    const std::int64_t ms = std::int64_t(baseMs_) + frames * 1000 / sampleRate_;
    return std::uint32_t(std::min<std::int64_t>(ms, lengthMs_));
}

void TTrackerModule::MoveTo(std::uint32_t ms)
{
    // A move ends the run that was going: its stop position no longer holds.
    stopFrames_.store(-1, std::memory_order_release);
    frames_.store(0, std::memory_order_release);
    if (ms >= lengthMs_) {
        baseMs_ = lengthMs_;
        songOver_.store(true, std::memory_order_release);
        ended_.store(true, std::memory_order_release);
        return;
    }
    const double reached = openmpt_module_set_position_seconds(module_, ms / 1000.0);
    baseMs_ = std::min(ToMs(reached), lengthMs_);
    songOver_.store(false, std::memory_order_release);
    ended_.store(false, std::memory_order_release);
}

void TTrackerModule::Arm(std::int64_t stopMs)
{
    // Position from here on counts from where the last run ended.
    const std::uint32_t now = PositionMs();
    if (!songOver_.load(std::memory_order_acquire)) {
        baseMs_ = now;
        frames_.store(0, std::memory_order_release);
    }
    std::int64_t stop = -1;
    if (stopMs >= 0 && stopMs < lengthMs_)
        stop = std::max<std::int64_t>(0, (stopMs - now) * sampleRate_ / 1000);
    stopFrames_.store(stop, std::memory_order_release);
    ended_.store(songOver_.load(std::memory_order_acquire) || stop == 0,
                 std::memory_order_release);
}

int TTrackerModule::Render(float *out, std::int32_t frames) noexcept
{
    if (ended_.load(std::memory_order_acquire)) return 0;
    std::int64_t done = frames_.load(std::memory_order_relaxed);
    const std::int64_t stop = stopFrames_.load(std::memory_order_acquire);
    bool stopped = false;
    bool over = false;
    while (frames > 0) {
        std::int64_t chunk = std::min<std::int32_t>(frames, ScratchFrames);
        if (stop >= 0) chunk = std::min(chunk, stop - done);
        if (chunk <= 0) {
            stopped = true;
            break;
        }
        const std::size_t got = openmpt_module_read_interleaved_float_stereo(
            module_, std::int32_t(sampleRate_), std::size_t(chunk), scratch_);
        for (std::size_t i = 0; i < got * 2; ++i)
            out[i] += scratch_[i];
        done += std::int64_t(got);
        out += got * 2;
        frames -= std::int32_t(got);
        if (std::int64_t(got) < chunk) {
            over = true;
            break;
        }
    }
    if (stop >= 0 && done >= stop) stopped = true;
    frames_.store(done, std::memory_order_release);
    if (over) songOver_.store(true, std::memory_order_release);
    if (!over && !stopped) return 1;
    ended_.store(true, std::memory_order_release);
    return 0;
}

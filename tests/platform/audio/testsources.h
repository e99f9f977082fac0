#pragma once
// Sources with a known signal, and a reader of WAV files, for the audio tests.
#include "platform/audio/audiosource.h"

#include <QFile>
#include <QString>

#include <sndfile.h>

#include <atomic>
#include <cstdint>
#include <vector>

// Frame n of its own output is +level(n) on the left and -level(n) on the right: values that a
// float file keeps exactly, never 0, and that differ from frame to frame.
class TRampSource : public TAudioSource {
public:
    static float level(std::int64_t n) { return float(n % 997 + 1) / 2048.0f; }

    void mixInto(float *out, int frames, int) noexcept override
    {
        const std::int64_t first = mixed.load(std::memory_order_relaxed);
        for (int i = 0; i < frames; ++i) {
            out[2 * i] += level(first + i);
            out[2 * i + 1] -= level(first + i);
        }
        mixed.store(first + frames, std::memory_order_relaxed);
    }

    std::atomic<std::int64_t> mixed{0};
};

// A constant level on each channel.
class TConstantSource : public TAudioSource {
public:
    TConstantSource(float left, float right) : left_(left), right_(right) {}
    void mixInto(float *out, int frames, int) noexcept override
    {
        for (int i = 0; i < frames; ++i) {
            out[2 * i] += left_;
            out[2 * i + 1] += right_;
        }
    }

private:
    float left_, right_;
};

// The interleaved stereo frames of a WAV file, and the frame count its header gives.
struct TWavContents {
    bool ok = false;
    int sampleRate = 0;
    std::int64_t headerFrames = 0;
    std::vector<float> samples;
    float left(std::int64_t frame) const { return samples[std::size_t(frame) * 2]; }
    float right(std::int64_t frame) const { return samples[std::size_t(frame) * 2 + 1]; }
    std::int64_t frames() const { return std::int64_t(samples.size() / 2); }
};

inline TWavContents readWav(const QString &path)
{
    TWavContents contents;
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) return contents;
    contents.ok = info.channels == 2;
    contents.sampleRate = info.samplerate;
    contents.headerFrames = info.frames;
    contents.samples.resize(std::size_t(info.frames) * 2);
    const sf_count_t got = sf_readf_float(file, contents.samples.data(), info.frames);
    contents.samples.resize(std::size_t(got) * 2);
    sf_close(file);
    return contents;
}

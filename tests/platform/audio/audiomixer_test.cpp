#include "platform/audio/audiomixer.h"

#include "testsources.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr int Rate = 48000;

// Renders `frames` frames of the mix and returns them.
std::vector<float> renderBlock(TAudioMixer &mixer, int frames)
{
    std::vector<float> out(std::size_t(frames) * 2, 123.0f);
    mixer.render(out.data(), frames, Rate);
    return out;
}

// Records the clock the mixer shows during this source's first call.
class TClockReadingSource : public TAudioSource {
public:
    explicit TClockReadingSource(const TAudioMixer &mixer) : mixer_(mixer) {}
    void mixInto(float *, int, int) noexcept override
    {
        if (clockAtFirstCall < 0) clockAtFirstCall = mixer_.framesRendered();
    }
    std::int64_t clockAtFirstCall = -1;

private:
    const TAudioMixer &mixer_;
};

// Notes a call that is still running, or starts, after `gone` was set. Each call takes a little
// while, so that a detach often lands in the middle of one.
class TWatchedSource : public TAudioSource {
public:
    void mixInto(float *, int, int) noexcept override
    {
        bool late = gone.load();
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
        while (std::chrono::steady_clock::now() < until) {
        }
        late = late || gone.load();
        if (late) calledAfterDetach.store(true);
        calls.fetch_add(1);
    }
    std::atomic<bool> gone{false};
    std::atomic<bool> calledAfterDetach{false};
    std::atomic<int> calls{0};
};

// Counts the blocks the mixer renders.
class TBlockCounter : public TAudioSource {
public:
    void mixInto(float *, int, int) noexcept override { blocks.fetch_add(1); }
    std::atomic<int> blocks{0};
};

} // namespace

TEST(AudioMixer, SumsSourcesFromTheirStartFrameAndAdvancesTheClock)
{
    TAudioMixer mixer;
    // Nothing attached: silence, whatever the buffer held, and the clock still runs.
    std::vector<float> out = renderBlock(mixer, 100);
    for (float sample : out)
        ASSERT_EQ(sample, 0.0f);
    EXPECT_EQ(mixer.framesRendered(), 100);
    // An offline render skips empty blocks instead.
    EXPECT_FALSE(mixer.render(out.data(), 50, Rate, TAudioMixer::EmptyBlock::Skip));
    EXPECT_EQ(mixer.framesRendered(), 100);

    TRampSource first, second;
    TClockReadingSource reader(mixer);
    ASSERT_TRUE(mixer.attach(&first));
    EXPECT_EQ(mixer.startFrame(&first), -1); // not mixed yet
    renderBlock(mixer, 64);
    ASSERT_TRUE(mixer.attach(&second));
    ASSERT_TRUE(mixer.attach(&reader));
    out = renderBlock(mixer, 64);
    // During its first call a source sees its own start on the clock.
    EXPECT_EQ(reader.clockAtFirstCall, 164);
    EXPECT_EQ(mixer.startFrame(&first), 100);
    EXPECT_EQ(mixer.startFrame(&second), 164);
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(out[2 * i], TRampSource::level(64 + i) + TRampSource::level(i));
        ASSERT_EQ(out[2 * i + 1], -TRampSource::level(64 + i) - TRampSource::level(i));
    }
    EXPECT_EQ(mixer.framesRendered(), 228);
}

TEST(AudioMixer, AttachRefusesNullDuplicatesAndAFullTable)
{
    TAudioMixer mixer;
    EXPECT_FALSE(mixer.attach(nullptr));
    std::vector<TRampSource> sources(TAudioMixer::MaxSources + 1);
    for (int i = 0; i < TAudioMixer::MaxSources; ++i)
        ASSERT_TRUE(mixer.attach(&sources[std::size_t(i)]));
    EXPECT_FALSE(mixer.attach(&sources[0]));
    EXPECT_FALSE(mixer.attach(&sources.back()));
    // A freed slot takes a new source, whose start is its own and not the old one's.
    renderBlock(mixer, 8);
    ASSERT_TRUE(mixer.detach(&sources[3]));
    EXPECT_FALSE(mixer.detach(&sources[3]));
    ASSERT_TRUE(mixer.attach(&sources.back()));
    renderBlock(mixer, 8);
    EXPECT_EQ(mixer.startFrame(&sources.back()), 8);
}

TEST(AudioMixer, PeaksHoldTheHighestLevelPerChannelUntilRead)
{
    TAudioMixer mixer;
    EXPECT_EQ(mixer.takePeaks().left, 0);

    // A loud mono source on both channels.
    TConstantSource mono(-0.75f, -0.75f);
    mixer.attach(&mono);
    renderBlock(mixer, 32);
    mixer.detach(&mono);
    TAudioPeaks peaks = mixer.takePeaks();
    EXPECT_EQ(peaks.left, 24576);
    EXPECT_EQ(peaks.right, 24576);
    // Reading starts the next reading at 0.
    peaks = mixer.takePeaks();
    EXPECT_EQ(peaks.left, 0);
    EXPECT_EQ(peaks.right, 0);

    // Half scale on the left only; a quieter block afterwards does not lower the held peak.
    TConstantSource half(0.5f, 0.0f), quiet(0.1f, 0.0f);
    mixer.attach(&half);
    renderBlock(mixer, 32);
    mixer.detach(&half);
    mixer.attach(&quiet);
    renderBlock(mixer, 32);
    peaks = mixer.takePeaks();
    EXPECT_EQ(peaks.left, 16384);
    EXPECT_EQ(peaks.right, 0);
}

TEST(AudioMixer, LimitsTheSumSmoothlyAndSilencesWhatIsNotANumber)
{
    TAudioMixer mixer;
    // Two loud sources: the sum is turned down under full scale, left and right alike, and
    // stays loud.
    TConstantSource loud(0.8f, -0.8f), louder(0.8f, -0.8f);
    mixer.attach(&loud);
    mixer.attach(&louder);
    std::vector<float> out = renderBlock(mixer, 4800);
    for (float sample : out) {
        ASSERT_LE(std::fabs(sample), TAudioMixer::Ceiling);
        ASSERT_GT(std::fabs(sample), 0.85f);
    }
    EXPECT_LT(mixer.takePeaks().left, TAudioMixer::FullScale);

    // Once the loud passage is over the gain comes back without a step: a quiet source is
    // heard at its own level again within a second.
    mixer.detach(&louder);
    mixer.detach(&loud);
    TConstantSource quiet(0.25f, 0.25f);
    mixer.attach(&quiet);
    out = renderBlock(mixer, Rate);
    float previous = out[0];
    for (std::size_t i = 2; i < out.size(); i += 2) {
        ASSERT_GE(out[i], previous - 1e-6f) << "the gain never falls while the level is low";
        ASSERT_LT(out[i] - previous, 0.01f) << "and recovers without a step";
        previous = out[i];
    }
    EXPECT_NEAR(out[out.size() - 2], 0.25f, 1e-3f);
    mixer.detach(&quiet);

    // Not-a-number and infinity become silence and do not upset the gain for the rest.
    TConstantSource broken(std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity());
    mixer.attach(&broken);
    out = renderBlock(mixer, 4);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
    mixer.detach(&broken);
    mixer.attach(&quiet);
    out = renderBlock(mixer, 4);
    EXPECT_NEAR(out[0], 0.25f, 1e-3f);
}

TEST(AudioMixer, ADetachedSourceIsNeverCalledAgain)
{
    TAudioMixer mixer;
    TBlockCounter counter;
    mixer.attach(&counter);
    std::atomic<bool> quit{false};
    std::thread audio([&] {
        std::vector<float> out(2 * 64);
        while (!quit.load())
            mixer.render(out.data(), 64, Rate);
    });
    int calledAtLeastOnce = 0;
    for (int round = 0; round < 50; ++round) {
        TWatchedSource source;
        ASSERT_TRUE(mixer.attach(&source));
        while (source.calls.load() == 0 && round % 2 == 0)
            std::this_thread::yield();
        calledAtLeastOnce += source.calls.load() > 0;
        ASSERT_TRUE(mixer.detach(&source));
        source.gone.store(true);
        // Two more blocks: a call that was still under way has ended by now.
        const int seen = counter.blocks.load();
        while (counter.blocks.load() < seen + 2)
            std::this_thread::yield();
        ASSERT_FALSE(source.calledAfterDetach.load()) << "round " << round;
    }
    quit.store(true);
    audio.join();
    EXPECT_GE(calledAtLeastOnce, 25);
}

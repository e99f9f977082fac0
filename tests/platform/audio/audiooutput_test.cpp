#include "platform/audio/audiooutput.h"
#include "platform/audio/audiowake.h"

#include "support/testenv.h"
#include "support/testwait.h"
#include "testsources.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

std::unique_ptr<TAudioOutput> open(const QString &choice, QString *notice = nullptr)
{
    QString ignored;
    return TAudioOutput::create(choice, notice ? notice : &ignored);
}

} // namespace

// A source whose idleness the test decides.
class TSwitchedSource : public TRampSource {
public:
    bool isIdle() const noexcept override { return idle.load(); }
    std::atomic<bool> idle{false};
};

TEST(AudioOutput, NullOutputKeepsTimeByTheClockAndStandsStillWhenStopped)
{
    auto output = open(QStringLiteral("null"));
    ASSERT_TRUE(output);
    const int rate = output->sampleRate();
    TRampSource playing;
    ASSERT_TRUE(output->attach(&playing));

    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::int64_t frames = output->framesRendered();
    EXPECT_GT(frames, rate / 10);
    EXPECT_LT(frames, rate * 2);

    output->stop();
    const std::int64_t stopped = output->framesRendered();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(output->framesRendered(), stopped);
    EXPECT_TRUE(output->detach(&playing));
    // With nothing rendering, attach and detach still answer at once.
    TRampSource source;
    EXPECT_TRUE(output->attach(&source));
    EXPECT_TRUE(output->detach(&source));
    EXPECT_EQ(source.mixed.load(), 0);
}

TEST(AudioOutput, NullOutputSleepsWhileEverySourceIsIdleAndWakesWhenOneStarts)
{
    auto output = open(QStringLiteral("null"));
    ASSERT_TRUE(output);
    const int block = output->sampleRate() / 100;
    // Nothing attached: a block at most, then the clock stands still.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_LE(output->framesRendered(), block);

    TSwitchedSource source;
    ASSERT_TRUE(output->attach(&source)); // attaching wakes it
    ASSERT_TRUE(WaitUntil([&] { return source.mixed.load() >= 5 * block; }));
    source.idle.store(true);
    ASSERT_TRUE(WaitUntil([&] {
        const std::int64_t frames = output->framesRendered();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return output->framesRendered() == frames;
    }));
    // A source that starts again says so, and time goes on.
    const std::int64_t asleep = output->framesRendered();
    source.idle.store(false);
    wakeAudioOutputs();
    EXPECT_TRUE(WaitUntil([&] { return output->framesRendered() > asleep + 5 * block; }));
    output->detach(&source);
}

TEST(AudioOutput, ARetiredSourceStaysInTheMixUntilIdleAndTheProgramWaitsForIt)
{
    auto output = open(QStringLiteral("null"));
    ASSERT_TRUE(output);
    auto tail = std::make_shared<TSwitchedSource>();
    ASSERT_TRUE(output->attach(tail.get()));
    std::weak_ptr<TSwitchedSource> gone = tail;
    TSwitchedSource *source = tail.get();
    output->retire(source, std::move(tail));
    // Still sounding: still mixed, and a short wait for the tails times out.
    const std::int64_t mixed = source->mixed.load();
    EXPECT_FALSE(output->waitForTails(std::chrono::milliseconds(50)));
    EXPECT_GT(source->mixed.load(), mixed);
    EXPECT_FALSE(gone.expired());
    // Once idle it leaves the mix, and its owner goes, without anyone waiting for it.
    source->idle.store(true);
    EXPECT_TRUE(output->waitForTails(std::chrono::seconds(5)));
    EXPECT_TRUE(gone.expired());
    EXPECT_EQ(output->startFrame(source), -1);
}

TEST(AudioOutput, WavOutputRecordsTheMixInRealTimeWithEachSourceAtItsStartFrame)
{
    TTestEnvironment env;
    // A colon belongs to the file name.
    const QString path = env.scratch() + QStringLiteral("mix:1.wav");
    QString notice;
    auto output = open(QStringLiteral("wav:") + path, &notice);
    ASSERT_TRUE(output);
    EXPECT_TRUE(notice.isEmpty()) << notice.toStdString();
    EXPECT_EQ(output->backendName(), QStringLiteral("wav"));

    ASSERT_TRUE(WaitUntil([&] { return output->framesRendered() > 0; }));
    TRampSource source;
    ASSERT_TRUE(output->attach(&source));
    ASSERT_TRUE(WaitUntil([&] { return source.mixed.load() >= 3000; }));
    const std::int64_t start = output->startFrame(&source);
    ASSERT_TRUE(output->detach(&source));
    const std::int64_t mixed = source.mixed.load();
    ASSERT_TRUE(WaitUntil([&] { return output->framesRendered() > start + mixed + 100; }));
    output->stop();
    EXPECT_TRUE(output->errorString().isEmpty());
    const std::int64_t total = output->framesRendered();

    const TWavContents wav = readWav(path);
    ASSERT_TRUE(wav.ok);
    EXPECT_EQ(wav.sampleRate, output->sampleRate());
    ASSERT_EQ(wav.headerFrames, total);
    ASSERT_EQ(wav.frames(), total);
    ASSERT_GT(start, 0);
    for (std::int64_t f = 0; f < total; ++f) {
        const std::int64_t n = f - start;
        const float expected = n >= 0 && n < mixed ? TRampSource::level(n) : 0.0f;
        ASSERT_EQ(wav.left(f), expected) << "frame " << f;
        ASSERT_EQ(wav.right(f), -expected) << "frame " << f;
    }
}

TEST(AudioOutput, RenderOutputWritesOnlyWhileASourceIsAttached)
{
    TTestEnvironment env;
    const QString path = env.scratch() + QStringLiteral("render.wav");
    auto output = open(QStringLiteral("Render:") + path);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->backendName(), QStringLiteral("render"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(output->framesRendered(), 0);

    TRampSource source;
    ASSERT_TRUE(output->attach(&source));
    ASSERT_TRUE(WaitUntil([&] { return source.mixed.load() >= 5000; }));
    EXPECT_EQ(output->startFrame(&source), 0);
    output->detach(&source);
    const std::int64_t total = output->framesRendered();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(output->framesRendered(), total); // nothing attached: the clock stands still
    output->stop();

    const TWavContents wav = readWav(path);
    ASSERT_TRUE(wav.ok);
    ASSERT_EQ(wav.frames(), total);
    EXPECT_EQ(wav.headerFrames, total);
    ASSERT_EQ(source.mixed.load(), total);
    for (std::int64_t f = 0; f < total; ++f)
        ASSERT_EQ(wav.left(f), TRampSource::level(f)) << "frame " << f;
}

TEST(AudioOutput, SpecsAreReadWithoutCaseAndBadOnesAreReportedInOneLine)
{
    TTestEnvironment env;
    QString notice;
    auto output = open(QStringLiteral(" NULL "), &notice);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->backendName(), QStringLiteral("null"));
    EXPECT_TRUE(notice.isEmpty());

    // An unknown word falls back to the default, which falls back as it must.
    output = open(QStringLiteral("null:x"), &notice);
    ASSERT_TRUE(output);
    EXPECT_TRUE(notice.startsWith(QStringLiteral("Unknown audio output \"null:x\"")));

    const QString unwritable = env.scratch() + QStringLiteral("missing/out.wav");
    output = open(QStringLiteral("wav:") + unwritable, &notice);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->backendName(), QStringLiteral("null"));
    EXPECT_TRUE(notice.contains(unwritable)) << notice.toStdString();
    EXPECT_TRUE(notice.endsWith(QStringLiteral("playing without sound."))) << notice.toStdString();

    // An offline render must not pretend to work.
    output = open(QStringLiteral("render:") + unwritable, &notice);
    EXPECT_FALSE(output);
    EXPECT_TRUE(notice.contains(unwritable)) << notice.toStdString();
}

TEST(AudioOutput, SoundCardWithoutADeviceFallsBackToNullWithOneLine)
{
    QString notice;
    auto output = open(QStringLiteral("sdl"), &notice);
    ASSERT_TRUE(output);
    if (output->backendName() == QStringLiteral("sdl")) {
        EXPECT_TRUE(notice.isEmpty());
        EXPECT_TRUE(output->sampleRate() == 44100 || output->sampleRate() == 48000);
        GTEST_SKIP() << "this machine has a sound device";
    }
    EXPECT_EQ(output->backendName(), QStringLiteral("null"));
    EXPECT_TRUE(notice.startsWith(QStringLiteral("No usable sound device")))
        << notice.toStdString();
    EXPECT_TRUE(notice.endsWith(QStringLiteral("; playing without sound.")));
    EXPECT_FALSE(notice.contains(QLatin1Char('\n')));
}

TEST(AudioOutput, SoundCardOutputMixesOnSdlsOwnThread)
{
    // SDL's silent driver stands in for a sound card: the callback path is the real one.
    const bool hadDriver = qEnvironmentVariableIsSet("SDL_AUDIODRIVER");
    const QByteArray oldDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QString notice;
    auto output = open(QStringLiteral("sdl"), &notice);
    if (hadDriver)
        qputenv("SDL_AUDIODRIVER", oldDriver);
    else
        qunsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(output);
    ASSERT_EQ(output->backendName(), QStringLiteral("sdl")) << notice.toStdString();
    EXPECT_TRUE(output->sampleRate() == 44100 || output->sampleRate() == 48000);
    EXPECT_GT(output->latencyFrames(), 0);

    TConstantSource source(0.5f, 0.25f);
    ASSERT_TRUE(output->attach(&source));
    ASSERT_TRUE(WaitUntil([&] { return output->startFrame(&source) >= 0; }));
    ASSERT_TRUE(output->detach(&source));
    const TAudioPeaks peaks = output->peaks();
    EXPECT_EQ(peaks.left, 16384);
    EXPECT_EQ(peaks.right, 8192);
}

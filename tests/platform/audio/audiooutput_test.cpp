#include "platform/audio/audiooutput.h"

#include "support/testenv.h"
#include "testsources.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

// Waits up to ten seconds for `done`; false when it never came.
bool waitFor(const std::function<bool()> &done)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

std::unique_ptr<TAudioOutput> open(const QString &spec, QString *notice = nullptr)
{
    QString ignored;
    return TAudioOutput::create(spec, notice ? notice : &ignored);
}

} // namespace

TEST(AudioOutput, NullOutputKeepsTimeByTheClockAndStandsStillWhenStopped)
{
    QString notice;
    auto output = open(QStringLiteral("null"), &notice);
    ASSERT_TRUE(output);
    EXPECT_TRUE(notice.isEmpty());
    EXPECT_EQ(output->backendName(), QStringLiteral("null"));
    const int rate = output->sampleRate();
    EXPECT_TRUE(rate == 44100 || rate == 48000);
    EXPECT_TRUE(output->isRunning());

    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::int64_t frames = output->framesRendered();
    EXPECT_GT(frames, rate / 10);
    EXPECT_LT(frames, rate * 2);

    output->stop();
    EXPECT_FALSE(output->isRunning());
    const std::int64_t stopped = output->framesRendered();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(output->framesRendered(), stopped);
    // With nothing rendering, attach and detach still answer at once.
    TRampSource source;
    EXPECT_TRUE(output->attach(&source));
    EXPECT_TRUE(output->detach(&source));
    EXPECT_EQ(source.mixed.load(), 0);
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

    ASSERT_TRUE(waitFor([&] { return output->framesRendered() > 0; }));
    TRampSource source;
    ASSERT_TRUE(output->attach(&source));
    ASSERT_TRUE(waitFor([&] { return source.mixed.load() >= 3000; }));
    const std::int64_t start = output->startFrame(&source);
    ASSERT_TRUE(output->detach(&source));
    const std::int64_t mixed = source.mixed.load();
    ASSERT_TRUE(waitFor([&] { return output->framesRendered() > start + mixed + 100; }));
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

TEST(AudioOutput, RenderOutputWritesOnlyWhileSourcesAreAttached)
{
    TTestEnvironment env;
    const QString path = env.scratch() + QStringLiteral("render.wav");
    auto output = open(QStringLiteral("Render:") + path);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->backendName(), QStringLiteral("render"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(output->framesRendered(), 0);

    TRampSource first, second;
    ASSERT_TRUE(output->attach(&first));
    ASSERT_TRUE(waitFor([&] { return first.mixed.load() >= 2000; }));
    ASSERT_TRUE(output->attach(&second));
    ASSERT_TRUE(waitFor([&] { return output->startFrame(&second) >= 0; }));
    const std::int64_t secondStart = output->startFrame(&second);
    EXPECT_EQ(output->startFrame(&first), 0);
    output->detach(&first);
    const std::int64_t firstMixed = first.mixed.load();
    ASSERT_TRUE(waitFor([&] { return second.mixed.load() >= 1000; }));
    output->detach(&second);
    const std::int64_t secondMixed = second.mixed.load();
    // Nothing attached: the clock stands still.
    const std::int64_t total = output->framesRendered();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(output->framesRendered(), total);
    output->stop();

    const TWavContents wav = readWav(path);
    ASSERT_TRUE(wav.ok);
    ASSERT_EQ(wav.frames(), total);
    EXPECT_EQ(wav.headerFrames, total);
    for (std::int64_t f = 0; f < total; ++f) {
        float expected = f < firstMixed ? TRampSource::level(f) : 0.0f;
        const std::int64_t n = f - secondStart;
        if (n >= 0 && n < secondMixed) expected += TRampSource::level(n);
        ASSERT_EQ(wav.left(f), expected) << "frame " << f;
    }
}

TEST(AudioOutput, SpecsAreReadWithoutCaseAndBadOnesAreReportedInOneLine)
{
    TTestEnvironment env;
    QString notice;
    auto output = open(QStringLiteral(" NULL "), &notice);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->backendName(), QStringLiteral("null"));
    EXPECT_TRUE(notice.isEmpty());

    // Unknown words fall back to the default, which falls back as it must.
    for (const QString &spec : {QStringLiteral("speakers"), QStringLiteral("null:x")}) {
        output = open(spec, &notice);
        ASSERT_TRUE(output) << spec.toStdString();
        EXPECT_TRUE(notice.startsWith(QStringLiteral("Unknown audio output \"%1\"").arg(spec)))
            << notice.toStdString();
        EXPECT_FALSE(notice.contains(QLatin1Char('\n')));
    }

    output = open(QStringLiteral("wav:"), &notice);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->backendName(), QStringLiteral("null"));
    EXPECT_TRUE(notice.contains(QStringLiteral("needs a file name"))) << notice.toStdString();

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
    output = open(QStringLiteral("render:"), &notice);
    EXPECT_FALSE(output);
    EXPECT_FALSE(notice.isEmpty());
}

TEST(AudioOutput, TheEnvironmentChoosesTheOutput)
{
    TTestEnvironment env;
    const QByteArray old = qgetenv("TONARIA_AUDIO");
    const QString path = env.scratch() + QStringLiteral("env.wav");
    qputenv("TONARIA_AUDIO", QByteArray("wav:") + QFile::encodeName(path));
    QString notice;
    auto output = TAudioOutput::createFromEnvironment(&notice);
    qputenv("TONARIA_AUDIO", old);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->backendName(), QStringLiteral("wav"));
    output.reset();
    EXPECT_TRUE(readWav(path).ok);
}

TEST(AudioOutput, SoundCardWithoutADeviceFallsBackToNullWithOneLine)
{
    QString notice;
    const auto began = std::chrono::steady_clock::now();
    auto output = open(QStringLiteral("sdl"), &notice);
    const auto took = std::chrono::steady_clock::now() - began;
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
    // Not a timing test: only that giving up does not hang.
    EXPECT_LT(took, std::chrono::seconds(30));
}

#include "platform/audio/wavfilewriter.h"

#include "support/testenv.h"
#include "testsources.h"

#include <gtest/gtest.h>

TEST(WavFileWriter, WritesFramesAndSilenceExactlyAndFinishesTheHeader)
{
    TTestEnvironment env;
    const QString path = env.scratch() + QStringLiteral("out.wav");
    TWavFileWriter writer;
    ASSERT_TRUE(writer.open(path, 44100)) << writer.errorString().toStdString();
    const float samples[] = {0.25f, -0.5f, 1.0f, -1.0f};
    EXPECT_TRUE(writer.write(samples, 2));
    EXPECT_TRUE(writer.writeSilence(2998)); // more than one chunk of silence
    EXPECT_TRUE(writer.writeAt(3000, samples, 1));
    EXPECT_TRUE(writer.writeAt(3003, samples + 2, 1)); // two frames never arrived
    EXPECT_EQ(writer.framesWritten(), 3004);
    ASSERT_TRUE(writer.close());

    const TWavContents wav = readWav(path);
    ASSERT_TRUE(wav.ok);
    EXPECT_EQ(wav.sampleRate, 44100);
    ASSERT_EQ(wav.headerFrames, 3004);
    ASSERT_EQ(wav.frames(), 3004);
    EXPECT_EQ(wav.left(0), 0.25f);
    EXPECT_EQ(wav.right(1), -1.0f);
    EXPECT_EQ(wav.left(2), 0.0f);
    EXPECT_EQ(wav.right(3000), -0.5f);
    EXPECT_EQ(wav.left(3001), 0.0f);
    EXPECT_EQ(wav.right(3002), 0.0f);
    EXPECT_EQ(wav.left(3003), 1.0f);
    EXPECT_TRUE(TTestEnvironment::readFile(path).startsWith("RIFF")); // a plain WAV file
}

TEST(WavFileWriter, AFileLeftUnfinishedReadsUpToItsLastHeaderUpdate)
{
    TTestEnvironment env;
    const QString path = env.scratch() + QStringLiteral("live.wav");
    const QString copy = env.scratch() + QStringLiteral("crashed.wav");
    TWavFileWriter writer;
    ASSERT_TRUE(writer.open(path, 48000));
    std::vector<float> samples(2 * 1000, 0.125f);
    writer.write(samples.data(), 1000);
    writer.updateHeader();
    writer.write(samples.data(), 500);
    // What a crash right now would leave behind.
    ASSERT_TRUE(QFile::copy(path, copy));
    const TWavContents wav = readWav(copy);
    ASSERT_TRUE(wav.ok);
    EXPECT_EQ(wav.headerFrames, 1000);
    EXPECT_EQ(wav.left(999), 0.125f);
}

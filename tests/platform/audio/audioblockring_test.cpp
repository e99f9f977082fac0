#include "platform/audio/audioblockring.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(AudioBlockRing, SplitsLongPushesAndRefusesWhatDoesNotFitWhole)
{
    TAudioBlockRing ring(3);
    const int frames = TAudioBlockRing::MaxBlockFrames + 10;
    std::vector<float> samples(std::size_t(frames) * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(i);

    ASSERT_TRUE(ring.push(samples.data(), frames, 1000));  // two blocks
    EXPECT_FALSE(ring.push(samples.data(), frames, 2000)); // needs two, one is free
    ASSERT_TRUE(ring.push(samples.data(), 5, 3000));
    EXPECT_FALSE(ring.push(samples.data(), 1, 4000));

    const TAudioBlockRing::Block *block = ring.front();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->startFrame, 1000);
    EXPECT_EQ(block->frames, TAudioBlockRing::MaxBlockFrames);
    ring.pop();
    block = ring.front();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->startFrame, 1000 + TAudioBlockRing::MaxBlockFrames);
    EXPECT_EQ(block->frames, 10);
    EXPECT_EQ(block->samples[0], float(TAudioBlockRing::MaxBlockFrames * 2));
    ring.pop();
    block = ring.front();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->startFrame, 3000);
    ring.pop();
    EXPECT_EQ(ring.front(), nullptr);
    ring.pop(); // popping an empty ring changes nothing
    EXPECT_TRUE(ring.push(samples.data(), 1, 5000));
    EXPECT_EQ(ring.front()->startFrame, 5000);
}

TEST(AudioBlockRing, CarriesEveryBlockInOrderBetweenTwoThreads)
{
    TAudioBlockRing ring(8);
    constexpr int Blocks = 20000;
    std::thread producer([&] {
        std::vector<float> samples(2 * 7);
        for (int i = 0; i < Blocks;) {
            for (float &sample : samples)
                sample = float(i);
            if (ring.push(samples.data(), 7, std::int64_t(i) * 7))
                ++i;
            else
                std::this_thread::yield();
        }
    });
    int expected = 0;
    while (expected < Blocks) {
        const TAudioBlockRing::Block *block = ring.front();
        if (!block) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(block->startFrame, std::int64_t(expected) * 7);
        ASSERT_EQ(block->frames, 7);
        ASSERT_EQ(block->samples[13], float(expected));
        ring.pop();
        ++expected;
    }
    producer.join();
}

#include "platform/audio/audioblockring.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(AudioBlockRing, RefusesAPushThatDoesNotFitWhole)
{
    TAudioBlockRing ring(3);
    std::vector<float> samples(2 * (TAudioBlockRing::MaxBlockFrames + 10), 0.5f);
    ASSERT_TRUE(ring.push(samples.data(), TAudioBlockRing::MaxBlockFrames + 10, 1000)); // 2 blocks
    EXPECT_FALSE(ring.push(samples.data(), TAudioBlockRing::MaxBlockFrames + 1, 2000));
    ASSERT_TRUE(ring.push(samples.data(), 5, 3000));
    ring.pop();
    ASSERT_NE(ring.front(), nullptr);
    EXPECT_EQ(ring.front()->startFrame, 1000 + TAudioBlockRing::MaxBlockFrames);
    EXPECT_EQ(ring.front()->frames, 10);
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
    for (int expected = 0; expected < Blocks;) {
        const TAudioBlockRing::Block *block = ring.front();
        if (!block) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(block->startFrame, std::int64_t(expected) * 7);
        ASSERT_EQ(block->samples[13], float(expected));
        ring.pop();
        ++expected;
    }
    producer.join();
}

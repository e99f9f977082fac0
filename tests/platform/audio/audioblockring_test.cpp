#include "platform/audio/audioblockring.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(AudioBlockRing, CarriesEveryBlockInOrderBetweenTwoThreads)
{
    // A small ring, so the producer often finds it full and must try again.
    TAudioBlockRing ring(8);
    constexpr int Blocks = 2000;
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

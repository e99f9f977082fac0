#pragma once
// The random numbers behind shuffled play orders: a 32-bit linear congruential generator,
// seed := seed * 134775813 + 1 (mod 2^32); a draw for a range of n is the upper half of the
// 64-bit product n * seed. The same seed always gives the same play orders.
//
// Threads: main thread only.
#include <cstddef>
#include <cstdint>
#include <vector>

class TRandomGenerator {
public:
    explicit TRandomGenerator(std::uint32_t seed = 0) : seed_(seed) {}

    std::uint32_t Seed() const { return seed_; }
    void SetSeed(std::uint32_t seed) { seed_ = seed; }

    // A number from 0 to range - 1 (0 when range is 0); advances the seed in every case.
    std::uint32_t Random(std::uint32_t range);

    // The order in which the n positions of a list are taken when, n times over, one of the
    // positions still left is drawn with Random(count left) (counting the ones left in list
    // order) and taken out. Takes n log n steps.
    std::vector<std::size_t> DrawOrder(std::size_t n);

private:
    std::uint32_t seed_;
};

// The process-wide generator, seeded from the clock when it is first used. Tests may set
// its seed.
TRandomGenerator &ProcessRandom();

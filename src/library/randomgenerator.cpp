#include "library/randomgenerator.h"

#include <QDateTime>

#include <algorithm>
#include <bit>
#include <limits>

std::uint32_t TRandomGenerator::Random(std::uint32_t range)
{
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<std::uint32_t>((std::uint64_t{range} * seed_) >> 32);
}

std::vector<std::size_t> TRandomGenerator::DrawOrder(std::size_t n)
{
    // A Fenwick tree counts the positions still left, so that the k-th of them is found in
    // log n steps instead of shifting a list after every draw.
    std::vector<std::uint32_t> tree(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        tree[i] += 1;
        const std::size_t parent = i + (i & (~i + 1));
        if (parent <= n) tree[parent] += tree[i];
    }
    const std::size_t topBit = n ? std::bit_floor(n) : 0;

    std::vector<std::size_t> order;
    order.reserve(n);
    for (std::size_t left = n; left > 0; --left) {
        const auto drawn = Random(static_cast<std::uint32_t>(
            std::min<std::size_t>(left, std::numeric_limits<std::uint32_t>::max())));
        // Find the smallest position whose prefix count exceeds drawn.
        std::size_t pos = 0;
        std::uint32_t rest = drawn;
        for (std::size_t step = topBit; step > 0; step >>= 1) {
            const std::size_t next = pos + step;
            if (next <= n && tree[next] <= rest) {
                pos = next;
                rest -= tree[next];
            }
        }
        // pos is the 0-based index of the position taken.
        order.push_back(pos);
        for (std::size_t i = pos + 1; i <= n; i += i & (~i + 1))
            tree[i] -= 1;
    }
    return order;
}

TRandomGenerator &ProcessRandom()
{
    static TRandomGenerator generator(
        static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch()));
    return generator;
}

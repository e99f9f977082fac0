#include "platform/midiout/midieventqueue.h"

TMidiEventQueue::TMidiEventQueue() : ring_(new std::uint8_t[Capacity]()) {}

bool TMidiEventQueue::push(Kind kind, const std::uint8_t *data, std::size_t length)
{
    if (length > MaxLength) return false;
    const std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t used = head - tail_.load(std::memory_order_acquire);
    if (Capacity - used < 3 + length) return false;
    auto put = [&](std::size_t position, std::uint8_t byte) {
        ring_[position & (Capacity - 1)] = byte;
    };
    put(head, kind);
    put(head + 1, static_cast<std::uint8_t>(length & 0xFF));
    put(head + 2, static_cast<std::uint8_t>(length >> 8));
    for (std::size_t i = 0; i < length; ++i)
        put(head + 3 + i, data[i]);
    head_.store(head + 3 + length, std::memory_order_release);
    return true;
}

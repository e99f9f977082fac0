#pragma once
// Hands MIDI messages from the threads that send them to the thread that renders the
// synthesizer, without a lock on the rendering side: a ring of bytes with one writer and one
// reader.
//
// Threads: push() from one thread at a time (callers that send from several threads serialise
// among themselves); drain() from the rendering thread only. drain() never blocks, allocates or
// makes a system call.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class TMidiEventQueue {
public:
    enum Kind : std::uint8_t { Short = 1, SysEx = 2, NotesOff = 3 };

    static constexpr std::size_t Capacity = std::size_t{1} << 17;
    static constexpr std::size_t MaxLength = 0xFFFF;

    TMidiEventQueue();

    // Appends one message; false when it is longer than MaxLength or the ring has no room.
    bool push(Kind kind, const std::uint8_t *data, std::size_t length);

    // Hands every message queued so far to handle(kind, data, length), in order.
    template <typename F> void drain(F &&handle)
    {
        const std::size_t head = head_.load(std::memory_order_acquire);
        std::size_t tail = tail_.load(std::memory_order_relaxed);
        while (tail != head) {
            const auto kind = static_cast<Kind>(at(tail));
            const std::size_t length = at(tail + 1) | std::size_t{at(tail + 2)} << 8;
            for (std::size_t i = 0; i < length; ++i)
                entry_[i] = at(tail + 3 + i);
            handle(kind, entry_.data(), length);
            tail += 3 + length;
        }
        tail_.store(tail, std::memory_order_release);
    }

private:
    std::uint8_t at(std::size_t position) const { return ring_[position & (Capacity - 1)]; }

    std::unique_ptr<std::uint8_t[]> ring_;
    std::array<std::uint8_t, MaxLength> entry_{}; // the reader's copy of one message
    std::atomic<std::size_t> head_{0};            // written up to here (the writer's)
    std::atomic<std::size_t> tail_{0};            // read up to here (the reader's)
};

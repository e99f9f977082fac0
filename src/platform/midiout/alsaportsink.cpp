#include "platform/midiout/alsaportsink.h"

#include "platform/midiout/midieventqueue.h"
#include "platform/midiout/midioutdevice.h"

#include <cstring>

namespace {

constexpr std::size_t kStampSize = sizeof(std::int64_t);

std::int64_t stampOf(const std::uint8_t *data)
{
    std::int64_t frame = 0;
    std::memcpy(&frame, data, kStampSize);
    return frame;
}

bool isNoteOn(const std::uint8_t *message)
{
    return (message[0] & 0xF0) == 0x90 && message[2] != 0;
}

} // namespace

TAlsaPortSink::TAlsaPortSink(std::shared_ptr<TMidiOutDevice> device, int sampleRate,
                             std::function<void()> closed)
    : device_(std::move(device)), sampleRate_(sampleRate > 0 ? sampleRate : 44100),
      closed_(std::move(closed)), queue_(std::make_unique<TMidiEventQueue>()),
      scratch_(new std::uint8_t[TMidiEventQueue::MaxLength])
{
    sender_ = std::thread([this] { run(); });
}

TAlsaPortSink::~TAlsaPortSink()
{
    {
        std::lock_guard lock(wakeMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    sender_.join();
    if (closed_) closed_();
}

void TAlsaPortSink::push(std::uint8_t kind, const std::uint8_t *payload,
                         std::size_t length) noexcept
{
    std::memcpy(scratch_.get(), &frame_, kStampSize);
    if (length) std::memcpy(scratch_.get() + kStampSize, payload, length);
    if (!queue_->push(static_cast<TMidiEventQueue::Kind>(kind), scratch_.get(),
                      kStampSize + length))
        dropped_.fetch_add(1, std::memory_order_relaxed);
}

void TAlsaPortSink::send(std::uint32_t message) noexcept
{
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(message & 0xFF),
                                   static_cast<std::uint8_t>(message >> 8 & 0x7F),
                                   static_cast<std::uint8_t>(message >> 16 & 0x7F)};
    push(TMidiEventQueue::Short, bytes, 3);
}

void TAlsaPortSink::sendSysEx(std::span<const std::uint8_t> bytes) noexcept
{
    // The port takes the message whole: its 0xF0, and an 0xF7 when the file left it out.
    const bool closed = !bytes.empty() && bytes.back() == 0xF7;
    const std::size_t length = 1 + bytes.size() + (closed ? 0 : 1);
    if (kStampSize + length > TMidiEventQueue::MaxLength) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    std::uint8_t *out = scratch_.get() + kStampSize;
    out[0] = 0xF0;
    if (!bytes.empty()) std::memcpy(out + 1, bytes.data(), bytes.size());
    if (!closed) out[length - 1] = 0xF7;
    std::memcpy(scratch_.get(), &frame_, kStampSize);
    if (!queue_->push(TMidiEventQueue::SysEx, scratch_.get(), kStampSize + length))
        dropped_.fetch_add(1, std::memory_order_relaxed);
}

void TAlsaPortSink::allNotesOff() noexcept
{
    push(TMidiEventQueue::NotesOff, nullptr, 0);
}

void TAlsaPortSink::render(float *out, int frames) noexcept
{
    (void)out;
    if (frames > 0) frame_ += frames;
}

void TAlsaPortSink::run()
{
    for (;;) {
        bool stop = false;
        {
            std::lock_guard lock(wakeMutex_);
            stop = stopping_;
        }
        bool any = false;
        queue_->drain([&](TMidiEventQueue::Kind kind, const std::uint8_t *data, std::size_t n) {
            any = true;
            if (n >= kStampSize) deliver(kind, data, n, stop);
        });
        if (stop) break;
        if (!any) {
            // The audio thread cannot wake us without a system call: look again shortly.
            std::unique_lock lock(wakeMutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(1), [this] { return stopping_; });
        }
    }
    // Leave the port silent and clean for whoever uses it next.
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        sendShort(0xB0 | channel, 120, 0);
        sendShort(0xB0 | channel, 123, 0);
        sendShort(0xB0 | channel, 121, 0);
    }
}

TAlsaPortSink::TClock::time_point TAlsaPortSink::dueTime(std::int64_t frame)
{
    const TClock::time_point now = TClock::now();
    if (!anchored_) {
        anchored_ = true;
        anchorTime_ = now;
        anchorFrame_ = frame;
        return now;
    }
    const std::int64_t frames = frame - anchorFrame_;
    const std::int64_t ns = frames / sampleRate_ * 1000000000 +
                            frames % sampleRate_ * 1000000000 / sampleRate_;
    const TClock::time_point due = anchorTime_ + std::chrono::nanoseconds(ns);
    if (now - due > ResyncThreshold) {
        // The clock stood still for a while: start again from this event.
        anchorTime_ = now;
        anchorFrame_ = frame;
        return now;
    }
    return due;
}

void TAlsaPortSink::deliver(std::uint8_t kind, const std::uint8_t *data, std::size_t length,
                            bool flushing)
{
    const std::uint8_t *message = data + kStampSize;
    const std::size_t size = length - kStampSize;
    if (!flushing) {
        const TClock::time_point due = dueTime(stampOf(data));
        std::unique_lock lock(wakeMutex_);
        flushing = wake_.wait_until(lock, due, [this] { return stopping_; });
    }
    switch (kind) {
    case TMidiEventQueue::Short:
        // Closing: the silence that follows would only cut a note started now.
        if (size == 3 && !(flushing && isNoteOn(message)))
            sendShort(message[0], message[1], message[2]);
        break;
    case TMidiEventQueue::SysEx:
        device_->sendLong(message, size);
        break;
    case TMidiEventQueue::NotesOff:
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            sendShort(0xB0 | channel, 120, 0);
            sendShort(0xB0 | channel, 123, 0);
        }
        break;
    default:
        break;
    }
}

void TAlsaPortSink::sendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    const TShortMessage message{static_cast<std::uint32_t>(status | data1 << 8 | data2 << 16),
                                status, data1, data2};
    device_->sendShort(message);
}

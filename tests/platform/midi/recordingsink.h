#pragma once
// A MIDI sink that records what reaches it, with the frame at which it arrived.
#include "platform/midi/midisink.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TRecordingSink : public TMidiSink {
public:
    struct Item {
        std::int64_t frame;
        std::uint32_t message; // 0 for SysEx and silence
        std::vector<std::uint8_t> sysex;
        bool silence = false;
    };

    // Room is made beforehand, so that an audio thread never grows the log; what does not fit
    // is dropped. The log may outlive the sink (a driver owns the sink and deletes it).
    TRecordingSink() { log_->reserve(1 << 16); }
    std::shared_ptr<std::vector<Item>> Log() const { return log_; }
    std::vector<Item> &items() { return *log_; }

    void send(std::uint32_t message) noexcept override { keep({frame_, message, {}}); }
    void sendSysEx(std::span<const std::uint8_t> bytes) noexcept override
    {
        keep({frame_, 0, {bytes.begin(), bytes.end()}});
    }
    void allNotesOff() noexcept override { keep({frame_, 0, {}, true}); }
    void render(float *, int n) noexcept override { frame_ += n; }

    std::vector<Item> notes() const
    {
        std::vector<Item> out;
        for (const Item &i : *log_)
            if ((i.message & 0xE0) == 0x80) out.push_back(i);
        return out;
    }
    // The last value the sink received for a controller or program on a channel.
    int last(int status, int d1 = -1) const
    {
        for (auto it = log_->rbegin(); it != log_->rend(); ++it)
            if ((it->message & 0xFF) == std::uint32_t(status) &&
                (d1 < 0 || int(it->message >> 8 & 0x7F) == d1))
                return int(it->message >> (d1 < 0 ? 8 : 16) & 0x7F);
        return -1;
    }

private:
    void keep(Item item) noexcept
    {
        if (log_->size() < log_->capacity()) log_->push_back(std::move(item));
    }

    std::shared_ptr<std::vector<Item>> log_ = std::make_shared<std::vector<Item>>();
    std::int64_t frame_ = 0;
};

#include "platform/midiout/alsaportsink.h"
#include "platform/midiout/midieventqueue.h"
#include "platform/midiout/recordingmidiout.h"
#include "support/testwait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

constexpr int kRate = 44100;
constexpr int kTenthOfASecond = kRate / 10;

// A recording output that also notes when each short message arrived.
class TTimedRecorder : public TRecordingMidiOut {
public:
    MMRESULT sendShort(const TShortMessage &message) noexcept override
    {
        {
            std::lock_guard lock(timesMutex_);
            times_.push_back(TClock::now());
        }
        return TRecordingMidiOut::sendShort(message);
    }
    std::vector<TClock::time_point> times() const
    {
        std::lock_guard lock(timesMutex_);
        return times_;
    }

private:
    mutable std::mutex timesMutex_;
    std::vector<TClock::time_point> times_;
};

std::uint32_t shortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    return status | data1 << 8 | data2 << 16;
}

// Waits until the device holds `count` short messages (the sender works on its own time).
bool waitForShorts(const TRecordingMidiOut &device, std::size_t count)
{
    return WaitUntil([&] { return device.shortWords().size() >= count; });
}

// The sixteen-channel messages the sink sends for a controller number, in channel order.
std::vector<std::uint32_t> onEveryChannel(std::initializer_list<std::uint8_t> controllers)
{
    std::vector<std::uint32_t> words;
    for (std::uint8_t channel = 0; channel < 16; ++channel)
        for (const std::uint8_t controller : controllers)
            words.push_back(shortMessage(0xB0 | channel, controller, 0));
    return words;
}

double msBetween(TClock::time_point a, TClock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

TEST(AlsaPortSink, EventsGoOutInOrderAtTheSpacingOfTheirFrames)
{
    auto device = std::make_shared<TTimedRecorder>();
    TAlsaPortSink sink(device, kRate);
    float unused[2] = {};
    sink.send(shortMessage(0xC0, 5, 0));
    sink.send(shortMessage(0x90, 60, 100));
    sink.render(unused, kTenthOfASecond);
    sink.send(shortMessage(0x80, 60, 0));
    sink.render(unused, 2 * kTenthOfASecond);
    sink.send(shortMessage(0x90, 64, 90) | 0x80000000); // stray high bits are not MIDI
    ASSERT_TRUE(waitForShorts(*device, 4));

    EXPECT_EQ(device->shortWords(),
              (std::vector<std::uint32_t>{shortMessage(0xC0, 5, 0), shortMessage(0x90, 60, 100),
                                          shortMessage(0x80, 60, 0), shortMessage(0x90, 64, 90)}));
    const auto times = device->times();
    // Measured from the first event, which anchors the clock. The first event itself may reach
    // the port a little after the anchor on a busy machine, so the bounds leave room for that;
    // what they catch is a burst (everything at once) or an event held back to the next one.
    EXPECT_LT(msBetween(times[0], times[1]), 99.0);
    EXPECT_GE(msBetween(times[0], times[2]), 50.0);
    EXPECT_LT(msBetween(times[0], times[2]), 1000.0);
    EXPECT_GE(msBetween(times[0], times[3]), 250.0);
    EXPECT_GE(msBetween(times[2], times[3]), 100.0);
    EXPECT_LT(msBetween(times[0], times[3]), 2000.0);
    EXPECT_EQ(sink.dropped(), 0u);
}

TEST(AlsaPortSink, AfterAStallTheNextEventGoesAtOnceAndTheRestKeepTheirSpacing)
{
    auto device = std::make_shared<TTimedRecorder>();
    TAlsaPortSink sink(device, kRate);
    float unused[2] = {};
    sink.send(shortMessage(0x90, 60, 100));
    ASSERT_TRUE(waitForShorts(*device, 1));
    // The audio output stood still for half a second: the next events are found late.
    std::this_thread::sleep_for(TAlsaPortSink::ResyncThreshold * 5);
    sink.render(unused, kTenthOfASecond);
    sink.send(shortMessage(0x80, 60, 0));
    sink.render(unused, kTenthOfASecond);
    sink.send(shortMessage(0x90, 62, 100));
    ASSERT_TRUE(waitForShorts(*device, 3));

    const auto times = device->times();
    EXPECT_GE(msBetween(times[1], times[2]), 50.0) << "the events after a stall came in a burst";
}

TEST(AlsaPortSink, AllNotesOffSilencesEveryChannelInTurnAndKeepsTheControllers)
{
    auto device = std::make_shared<TRecordingMidiOut>();
    TAlsaPortSink sink(device, kRate);
    sink.send(shortMessage(0x90, 60, 100));
    sink.allNotesOff();
    sink.send(shortMessage(0x91, 62, 100));
    ASSERT_TRUE(waitForShorts(*device, 34));

    std::vector<std::uint32_t> expected{shortMessage(0x90, 60, 100)};
    const auto silence = onEveryChannel({120, 123});
    expected.insert(expected.end(), silence.begin(), silence.end());
    expected.push_back(shortMessage(0x91, 62, 100));
    EXPECT_EQ(device->shortWords(), expected);
}

TEST(AlsaPortSink, DestructionSendsWhatIsQueuedAtOnceWithoutNewNotesThenCleansThePort)
{
    auto device = std::make_shared<TRecordingMidiOut>();
    int closed = 0;
    std::size_t seenWhenClosed = 0;
    const auto started = TClock::now();
    {
        TAlsaPortSink sink(device, kRate, [&] {
            ++closed;
            seenWhenClosed = device->entries().size();
        });
        float unused[2] = {};
        sink.send(shortMessage(0x90, 60, 100));
        ASSERT_TRUE(waitForShorts(*device, 1));
        // A minute ahead: only the end of the sink can bring these out.
        sink.render(unused, 60 * kRate);
        sink.send(shortMessage(0x80, 60, 0));
        sink.send(shortMessage(0x90, 67, 100)); // a note that would only be cut at once
        sink.send(shortMessage(0xB0, 7, 90));
        const std::uint8_t reset[] = {0x7E, 0x7F, 0x09, 0x01}; // no F7: the sink closes it
        sink.sendSysEx(reset);
    }
    EXPECT_LT(TClock::now() - started, 5s);
    EXPECT_EQ(closed, 1);

    const auto entries = device->entries();
    EXPECT_EQ(seenWhenClosed, entries.size()) << "the device was closed before the last message";
    std::vector<std::uint32_t> expected{shortMessage(0x90, 60, 100), shortMessage(0x80, 60, 0),
                                        shortMessage(0xB0, 7, 90)};
    const auto cleanUp = onEveryChannel({120, 123, 121});
    expected.insert(expected.end(), cleanUp.begin(), cleanUp.end());
    EXPECT_EQ(device->shortWords(), expected);
    ASSERT_EQ(entries.size(), expected.size() + 1);
    EXPECT_EQ(entries[3].kind, TRecordingMidiOut::TEntry::Long);
    EXPECT_EQ(entries[3].data, (std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
}

TEST(AlsaPortSink, AFullQueueDropsAndCountsWhatItCannotHold)
{
    auto device = std::make_shared<TRecordingMidiOut>();
    constexpr int kPushed = 20000; // more than the queue holds
    std::uint64_t dropped = 0;
    {
        TAlsaPortSink sink(device, kRate);
        float unused[2] = {};
        sink.send(shortMessage(0x90, 60, 100));
        ASSERT_TRUE(waitForShorts(*device, 1));
        // The sender waits a minute for the first of these, so the queue fills up.
        sink.render(unused, 60 * kRate);
        for (int i = 0; i < kPushed; ++i)
            sink.send(shortMessage(0xB0, 1, std::uint8_t(i & 0x7F)));
        // A system-exclusive message longer than the queue takes is dropped whole.
        const std::vector<std::uint8_t> huge(TMidiEventQueue::MaxLength, 0x11);
        sink.sendSysEx(huge);
        dropped = sink.dropped();
    }
    EXPECT_GT(dropped, 1u);
    // Everything not dropped reached the port (the first note, then the clean-up of 48).
    const auto words = device->shortWords();
    EXPECT_EQ(words.size() - 1 - 48 + dropped, std::size_t(kPushed) + 1);
    for (const auto &entry : device->entries())
        EXPECT_NE(entry.kind, TRecordingMidiOut::TEntry::Long);
}

} // namespace

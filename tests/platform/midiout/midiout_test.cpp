#include "platform/midiout/midioutsystem.h"
#include "platform/midiout/recordingmidiout.h"
#include "tonaria/midiout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A recording output installed as a device for the length of a test.
class MidiOutApi : public ::testing::Test {
protected:
    void SetUp() override { id_ = TMidiOutSystem::instance().addDevice(device_); }
    void TearDown() override
    {
        if (handle_) midiOutClose(handle_);
        EXPECT_TRUE(TMidiOutSystem::instance().removeDevice(device_));
    }
    HMIDIOUT open()
    {
        EXPECT_EQ(midiOutOpen(&handle_, id_, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        return handle_;
    }

    std::shared_ptr<TRecordingMidiOut> device_ = std::make_shared<TRecordingMidiOut>("Recorder");
    unsigned id_ = 0;
    HMIDIOUT handle_ = nullptr;
};

TEST_F(MidiOutApi, DeviceListHasTheSynthesizerFirstAndInstalledDevicesAfterThePorts)
{
    const uint32_t count = midiOutGetNumDevs();
    ASSERT_GE(count, 2u);
    EXPECT_EQ(id_, count - 1);

    MIDIOUTCAPS caps;
    ASSERT_EQ(midiOutGetDevCaps(0, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Tonaria Synthesizer");
    EXPECT_EQ(caps.wTechnology, MOD_SWSYNTH);
    ASSERT_EQ(midiOutGetDevCaps(MIDI_MAPPER, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Tonaria Synthesizer");
    ASSERT_EQ(midiOutGetDevCaps(id_, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Recorder");
    EXPECT_EQ(caps.wTechnology, MOD_MIDIPORT);

    EXPECT_EQ(midiOutGetDevCaps(count, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(midiOutGetDevCaps(0, &caps, sizeof caps - 1), MMSYSERR_INVALPARAM);

    // A long name is cut to the field without splitting a character: 30 letters, then a
    // two-byte letter that no longer fits.
    auto longName = std::make_shared<TRecordingMidiOut>(std::string(30, 'a') + "\xC3\xA9xyz");
    const unsigned longId = TMidiOutSystem::instance().addDevice(longName);
    ASSERT_EQ(midiOutGetDevCaps(longId, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(caps.szPname), std::string(30, 'a'));
    EXPECT_TRUE(TMidiOutSystem::instance().removeDevice(longName));
    HMIDIOUT h = nullptr;
    EXPECT_EQ(midiOutOpen(&h, count, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(h, nullptr);
}

TEST_F(MidiOutApi, ShortMessagesKeepRunningStatusPerHandle)
{
    HMIDIOUT h = open();
    EXPECT_EQ(midiOutShortMsg(h, 0x00403E90), MMSYSERR_NOERROR); // note on, channel 1
    EXPECT_EQ(midiOutShortMsg(h, 0x00004340), MMSYSERR_NOERROR); // running status
    EXPECT_EQ(midiOutShortMsg(h, 0x000000F8), MMSYSERR_NOERROR); // clock: keeps it
    EXPECT_EQ(midiOutShortMsg(h, 0x00000045), MMSYSERR_NOERROR); // still a note on
    EXPECT_EQ(midiOutShortMsg(h, 0x000005F3), MMSYSERR_NOERROR); // song select: ends it
    EXPECT_EQ(midiOutShortMsg(h, 0x00000045), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiOutShortMsg(h, 0x000000F0), MMSYSERR_INVALPARAM); // SysEx needs a long message
    EXPECT_EQ(midiOutShortMsg(h, 0x00FFFFC5), MMSYSERR_NOERROR);    // program change: one byte

    // What each word meant, as status | data1 << 8 | data2 << 16.
    std::vector<uint32_t> meant;
    for (const auto &e : device_->entries())
        meant.push_back(e.message.status | e.message.data1 << 8 | e.message.data2 << 16);
    EXPECT_EQ(meant, (std::vector<uint32_t>{0x403E90, 0x434090, 0xF8, 0x4590, 0x05F3, 0x7FC5}));

    // Running status belongs to the handle: a second handle starts without one.
    HMIDIOUT other = nullptr;
    ASSERT_EQ(midiOutOpen(&other, id_, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(other, 0x00000045), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiOutClose(other), MMSYSERR_NOERROR);
}

TEST_F(MidiOutApi, LongMessageGoesThroughPrepareSendUnprepare)
{
    HMIDIOUT h = open();
    char bytes[] = {'\xF0', 0x7E, 0x7F, 0x09, 0x01, '\xF7'};
    MIDIHDR header{};
    header.lpData = bytes;
    header.dwBufferLength = sizeof bytes;

    EXPECT_EQ(midiOutLongMsg(h, &header, sizeof header), MIDIERR_UNPREPARED);
    EXPECT_EQ(midiOutPrepareHeader(h, &header, sizeof header - 1), MMSYSERR_INVALPARAM);
    ASSERT_EQ(midiOutPrepareHeader(h, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, MHDR_PREPARED);
    ASSERT_EQ(midiOutLongMsg(h, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, MHDR_PREPARED | MHDR_DONE);
    ASSERT_EQ(midiOutUnprepareHeader(h, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, MHDR_DONE);

    // A long message ends running status.
    EXPECT_EQ(midiOutShortMsg(h, 0x00403E90), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutPrepareHeader(h, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(h, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(h, 0x00000045), MMSYSERR_INVALPARAM);

    // A device that refuses leaves the header prepared and not done.
    device_->setLongResult(MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(midiOutLongMsg(h, &header, sizeof header), MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(header.dwFlags, MHDR_PREPARED);

    MIDIHDR empty{};
    EXPECT_EQ(midiOutPrepareHeader(h, &empty, sizeof empty), MMSYSERR_INVALPARAM);

    const auto entries = device_->entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].kind, TRecordingMidiOut::TEntry::Long);
    EXPECT_EQ(entries[0].data, std::vector<std::uint8_t>({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
}

struct TCallbackLog {
    std::vector<std::pair<uint32_t, uintptr_t>> calls;
    static void proc(HMIDIOUT, uint32_t message, uintptr_t instance, uintptr_t p1, uintptr_t)
    {
        reinterpret_cast<TCallbackLog *>(instance)->calls.emplace_back(message, p1);
    }
};

TEST_F(MidiOutApi, HandlesAreCheckedCountedAndReportToTheirCallback)
{
    TCallbackLog log;
    HMIDIOUT a = nullptr, b = nullptr;
    EXPECT_EQ(midiOutOpen(&a, id_, 0, 0, CALLBACK_FUNCTION), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiOutOpen(&a, id_, 1, 0, 0x00010000u), MMSYSERR_INVALFLAG); // a window
    ASSERT_EQ(midiOutOpen(&a, id_, reinterpret_cast<uintptr_t>(&TCallbackLog::proc),
                          reinterpret_cast<uintptr_t>(&log), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutOpen(&b, id_, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_NE(a, b);
    EXPECT_TRUE(device_->isOpen());
    EXPECT_FALSE(TMidiOutSystem::instance().removeDevice(device_)); // open: refused

    char bytes[] = {'\xF0', 0x01, '\xF7'};
    MIDIHDR header{};
    header.lpData = bytes;
    header.dwBufferLength = sizeof bytes;
    ASSERT_EQ(midiOutPrepareHeader(a, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(a, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutReset(a), MMSYSERR_NOERROR);

    EXPECT_EQ(midiOutClose(a), MMSYSERR_NOERROR);
    EXPECT_TRUE(device_->isOpen()); // b still holds it
    EXPECT_EQ(midiOutClose(b), MMSYSERR_NOERROR);
    EXPECT_FALSE(device_->isOpen());

    // Closed handles, and things that never were handles, are refused without harm.
    int notAHandle = 0;
    for (HMIDIOUT bad :
         {a, static_cast<HMIDIOUT>(nullptr), reinterpret_cast<HMIDIOUT>(&notAHandle)}) {
        EXPECT_EQ(midiOutClose(bad), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutShortMsg(bad, 0x00403E90), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutLongMsg(bad, &header, sizeof header), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutPrepareHeader(bad, &header, sizeof header), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutUnprepareHeader(bad, &header, sizeof header), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(midiOutReset(bad), MMSYSERR_INVALHANDLE);
    }

    const std::vector<std::pair<uint32_t, uintptr_t>> expected = {
        {MOM_OPEN, 0}, {MOM_DONE, reinterpret_cast<uintptr_t>(&header)}, {MOM_CLOSE, 0}};
    EXPECT_EQ(log.calls, expected);
    const auto entries = device_->entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].kind, TRecordingMidiOut::TEntry::Reset);
}

} // namespace

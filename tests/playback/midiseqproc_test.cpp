#include "platform/midiout/midioutsystem.h"
#include "platform/midiout/recordingmidiout.h"
#include "tonaria/midiseq.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

struct TPost {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const TPost &) const = default;
};

// A receiver without Qt: keeps what was posted.
void keepPost(void *user, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    static_cast<std::vector<TPost> *>(user)->push_back({message, wParam, lParam});
}

// Event data lives as long as the test program: the tests build few events.
TMidiSeqEvent event(uint32_t tick, uint8_t isMeta, uint8_t status,
                    std::initializer_list<uint8_t> data)
{
    static std::vector<std::vector<uint8_t>> store;
    store.emplace_back(data);
    return {tick, isMeta, status, static_cast<uint32_t>(data.size()), store.back().data()};
}
TMidiSeqEvent channel(uint32_t tick, uint8_t status, std::initializer_list<uint8_t> data)
{
    return event(tick, 0, status, data);
}
TMidiSeqEvent meta(uint32_t tick, uint8_t type, std::initializer_list<uint8_t> data)
{
    return event(tick, 1, type, data);
}

// A song, an output that records and a state wired to both, as a plug-in sets them up; each
// call passes one tick.
class MidiSeqProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const unsigned id = TMidiOutSystem::instance().addDevice(device_);
        ASSERT_EQ(midiOutOpen(&state_.MidiOut, id, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        state_ = {500000,         0,         0,       1,   {}, &ends_, 1, 999, &song_,
                  state_.MidiOut, &pending_, &notes_, 1000};
    }
    void TearDown() override
    {
        MidiSeqReleaseHeaders(&state_);
        midiOutClose(state_.MidiOut);
        TMidiOutSystem::instance().removeDevice(device_);
    }
    void setTracks(std::vector<std::vector<TMidiSeqEvent>> tracks)
    {
        events_ = std::move(tracks);
        tracks_.clear();
        for (auto &events : events_)
            tracks_.push_back({events.data(), static_cast<uint32_t>(events.size()), 0});
        song_ = {tracks_.data(), static_cast<uint32_t>(tracks_.size())};
    }
    void tick(int calls = 1)
    {
        for (int i = 0; i < calls; ++i)
            MidiSeqProc(1, 0, reinterpret_cast<uintptr_t>(&state_), 0, 0);
    }

    std::shared_ptr<TRecordingMidiOut> device_ = std::make_shared<TRecordingMidiOut>();
    std::vector<TPost> notePosts_, endPosts_;
    TMidiSeqWindow notes_{MIDISEQ_WINDOW_PROC, nullptr, &keepPost, &notePosts_};
    TMidiSeqWindow ends_{MIDISEQ_WINDOW_PROC, nullptr, &keepPost, &endPosts_};
    std::vector<std::vector<TMidiSeqEvent>> events_;
    std::vector<TMidiSeqTrack> tracks_;
    TMidiSeqSong song_{};
    TMidiSeqHeaderList pending_{};
    TMidiSeqState state_{};
};

TEST_F(MidiSeqProcTest, TheClockPassesAtMostOneTickPerCall)
{
    state_.TickLength = 2500;
    tick(2); // 1000 and 2000 microseconds: no tick yet
    EXPECT_EQ(state_.CurrentTick, 0u);
    tick(); // 3000 > 2500
    EXPECT_EQ(state_.CurrentTick, 1u);
    EXPECT_EQ(state_.Accumulator, 500u);

    // A tick exactly as long as the time gathered does not pass yet.
    state_.Accumulator = 0;
    state_.TickLength = 1000;
    tick();
    EXPECT_EQ(state_.CurrentTick, 1u);

    // A period of several ticks makes the song fall behind instead of skipping.
    state_.Period = 10;
    tick(3);
    EXPECT_EQ(state_.CurrentTick, 4u);
    EXPECT_EQ(state_.Accumulator, 28000u);

    // Time gathered over a very long lag stops at the top instead of wrapping round to little.
    state_.Accumulator = UINT32_MAX - 100;
    tick();
    EXPECT_EQ(state_.Accumulator, UINT32_MAX - 1000);
}

TEST_F(MidiSeqProcTest, RunningStatusLeavesOutRepeatedStatusBytesAcrossTracks)
{
    setTracks({
        {channel(1, 0x90, {60, 100}), channel(1, 0x90, {62, 101}), channel(2, 0xC0, {5}),
         meta(2, 0x01, {'h', 'i'}), channel(2, 0xC0, {6}), channel(2, 0xF8, {}),
         channel(2, 0xC0, {8}), channel(2, 0x45, {1, 2}), channel(2, 0xC0, {9})},
        {channel(2, 0xC0, {7}), channel(2, 0xB1, {7}), channel(3, 0x80, {60, 0x90})},
    });
    tick(3);
    const std::vector<uint32_t> expected = {
        0x00643C90, // note on
        0x0000653E, // the same status again: without its status byte
        0x000005C0, // a new call starts without running status; the missing byte counts as 0
        0x000006C0, // a meta event in between ends running status,
        0x000008C0, // and so does a system byte, which is not sent,
        0x000009C0, // and a byte that is no status at all, which is not sent either
        0x00000007, // the next track goes on with the status of the last
        0x000007B1,
        0x00103C80, // a data byte with its top bit set loses that bit
    };
    EXPECT_EQ(device_->shortWords(), expected);
    for (const auto &track : tracks_)
        EXPECT_EQ(track.Cursor, track.Count);
}

TEST_F(MidiSeqProcTest, TempoEventsSetTheTempoOnlyWithThreeBytes)
{
    setTracks({{meta(1, 0x51, {0x0F, 0x42, 0x40}), meta(2, 0x51, {0x03, 0x0D})}});
    tick();
    EXPECT_EQ(state_.Tempo, 1000000u);
    EXPECT_EQ(state_.TickLength, 999u); // the caller derives it
    tick();
    EXPECT_EQ(state_.Tempo, 1000000u);
    EXPECT_TRUE(device_->entries().empty());
}

TEST_F(MidiSeqProcTest, SysExGoesOutAsALongMessageOrIsDroppedWhenRefused)
{
    const std::vector<uint8_t> sysex = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    setTracks({{channel(1, 0x90, {60, 100}), channel(1, 0xF0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}),
                channel(1, 0x90, {62, 100}), channel(2, 0xF0, {0xF0, 0x01, 0xF7}),
                channel(2, 0xF7, {}), channel(2, 0x90, {64, 100})}});
    tick();
    auto entries = device_->entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].data, sysex);
    EXPECT_EQ(entries[2].message.packed, 0x00643E90u); // SysEx ended running status
    EXPECT_EQ(pending_.Count, 0u);                     // done at once, so released at once

    device_->setLongResult(MMSYSERR_NOTSUPPORTED);
    tick();
    EXPECT_EQ(pending_.Count, 0u);
    entries = device_->entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3].message.packed, 0x00644090u);
}

TEST_F(MidiSeqProcTest, OnlyFinishedHeadersAreReleasedAndTheOthersKeepTheirOrder)
{
    // Headers a slower output still holds, among finished ones.
    auto header = [&](uint32_t flags) {
        auto *h = static_cast<MIDIHDR *>(std::calloc(1, sizeof(MIDIHDR)));
        h->dwFlags = flags;
        return h;
    };
    MIDIHDR *busy1 = header(MHDR_PREPARED), *busy2 = header(MHDR_PREPARED);
    pending_ = {static_cast<MIDIHDR **>(std::malloc(sizeof(MIDIHDR *) * 4)), 4, 4};
    pending_.Items[0] = header(MHDR_PREPARED | MHDR_DONE);
    pending_.Items[1] = busy1;
    pending_.Items[2] = header(MHDR_PREPARED | MHDR_DONE);
    pending_.Items[3] = busy2;
    setTracks({{channel(1, 0xF0, {0xF0, 0x01, 0xF7})}}); // a fifth: the list must grow
    tick();
    ASSERT_EQ(pending_.Count, 2u);
    EXPECT_EQ(pending_.Items[0], busy1);
    EXPECT_EQ(pending_.Items[1], busy2);
    EXPECT_EQ(pending_.Capacity, 8u);
}

TEST_F(MidiSeqProcTest, NotesArePostedAndTheEndIsPostedOnEveryLaterTick)
{
    state_.EndTick = 2;
    setTracks(
        {{channel(1, 0x91, {60, 100}), channel(1, 0xB1, {7, 100}), channel(2, 0x81, {60, 0})}});
    tick(2);
    EXPECT_EQ(notePosts_, (std::vector<TPost>{{MIDISEQ_MESSAGE, MIDISEQ_NOTE, 0x643C91},
                                              {MIDISEQ_MESSAGE, MIDISEQ_NOTE, 0x003C81}}));
    EXPECT_EQ(endPosts_, (std::vector<TPost>{{MIDISEQ_MESSAGE, MIDISEQ_END, 0}}));
    tick(3);
    EXPECT_EQ(state_.CurrentTick, 2u);
    EXPECT_EQ(notePosts_.size(), 2u);
    EXPECT_EQ(endPosts_.size(), 4u);
    EXPECT_EQ(device_->shortWords().size(), 3u);
}

TEST_F(MidiSeqProcTest, ACallThatFindsTheRoutineBusyCountsItsTickAndSendsNothing)
{
    setTracks({{channel(1, 0x90, {60, 100}), channel(2, 0x90, {62, 100})}});
    state_.Ready = 0;
    tick(2);
    EXPECT_EQ(state_.CurrentTick, 2u);
    EXPECT_TRUE(device_->entries().empty());
    state_.Ready = 1;
    tick();
    EXPECT_EQ(device_->shortWords(), (std::vector<uint32_t>{0x00643C90, 0x0000643E}));
    EXPECT_EQ(state_.Ready, 1);
}

// A Qt receiver, as a plug-in with windows of its own has.
class TReceiver : public QObject {
public:
    std::vector<TPost> posts;
    Qt::HANDLE thread = nullptr;

protected:
    void customEvent(QEvent *e) override
    {
        if (e->type() != TMidiSeqMessageEvent::Type) return;
        const auto *m = static_cast<TMidiSeqMessageEvent *>(e);
        posts.push_back({m->message(), m->wParam(), m->lParam()});
        thread = QThread::currentThreadId();
    }
};

TEST_F(MidiSeqProcTest, AQtReceiverGetsTheMessagesOnItsOwnThread)
{
    TReceiver receiver;
    TMidiSeqWindow window{MIDISEQ_WINDOW_QOBJECT, &receiver, nullptr, nullptr};
    state_.NoteWindow = state_.EndWindow = &window;
    state_.EndTick = 1;
    setTracks({{channel(1, 0x90, {60, 100})}});
    std::thread([this] { tick(); }).join(); // as the timer's thread would
    EXPECT_TRUE(receiver.posts.empty());
    QCoreApplication::sendPostedEvents(&receiver);
    EXPECT_EQ(receiver.posts, (std::vector<TPost>{{MIDISEQ_MESSAGE, MIDISEQ_NOTE, 0x643C90},
                                                  {MIDISEQ_MESSAGE, MIDISEQ_END, 0}}));
    EXPECT_EQ(receiver.thread, QThread::currentThreadId());
}

TEST(MidiSeqPlugin, APlugInInCPlaysASongThroughTheExportedCallsOnATimer)
{
    auto device = std::make_shared<TRecordingMidiOut>();
    const unsigned id = TMidiOutSystem::instance().addDevice(device);
    void *library = dlopen(TONARIA_TEST_CPLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using TPlay = int (*)(uint32_t, intptr_t *, int);
    auto play = reinterpret_cast<TPlay>(dlsym(library, "PluginPlay"));
    ASSERT_NE(play, nullptr);

    intptr_t params[8] = {};
    ASSERT_EQ(play(id, params, 8), 2);
    EXPECT_EQ(params[0], 0x643C90);
    EXPECT_EQ(params[1], 0x003C80);
    const auto entries = device->entries();
    ASSERT_EQ(entries.size(), 4u); // note on, SysEx, note off, and the reset at the end
    EXPECT_EQ(entries[0].message.packed, 0x643C90u);
    EXPECT_EQ(entries[1].kind, TRecordingMidiOut::TEntry::Long);
    EXPECT_EQ(entries[2].message.packed, 0x003C80u);
    EXPECT_EQ(entries[3].kind, TRecordingMidiOut::TEntry::Reset);
    EXPECT_FALSE(device->isOpen());
    dlclose(library);
    EXPECT_TRUE(TMidiOutSystem::instance().removeDevice(device));
}

} // namespace

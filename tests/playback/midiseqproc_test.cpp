#include "platform/midiout/midioutsystem.h"
#include "platform/midiout/recordingmidiout.h"
#include "tonaria/midiseq.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A plug-in's receiver without Qt: keeps what was posted.
struct TPostLog {
    struct TPost {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        bool operator==(const TPost &) const = default;
    };
    std::mutex mutex;
    std::vector<TPost> posts;

    static void proc(void *user, uint32_t message, uintptr_t wParam, intptr_t lParam)
    {
        auto *log = static_cast<TPostLog *>(user);
        std::lock_guard lock(log->mutex);
        log->posts.push_back({message, wParam, lParam});
    }
    std::vector<TPost> taken()
    {
        std::lock_guard lock(mutex);
        return posts;
    }
};

TMidiSeqEvent channel(uint32_t tick, uint8_t status, std::initializer_list<uint8_t> data);

// A song, an output that records and a state wired to both, as a plug-in would set them up.
class MidiSeqProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        id_ = TMidiOutSystem::instance().addDevice(device_);
        ASSERT_EQ(midiOutOpen(&state_.MidiOut, id_, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        notes_.Kind = ends_.Kind = MIDISEQ_WINDOW_PROC;
        notes_.Proc = ends_.Proc = &TPostLog::proc;
        notes_.User = &noteLog_;
        ends_.User = &endLog_;
        state_.Tempo = 500000;
        state_.Period = 1;
        state_.TickLength = 999; // one tick per call
        state_.Ready = 1;
        state_.EndWindow = &ends_;
        state_.NoteWindow = &notes_;
        state_.Song = &song_;
        state_.PendingHeaders = &pending_;
        state_.EndTick = 1000;
    }
    void TearDown() override
    {
        MidiSeqReleaseHeaders(&state_);
        midiOutClose(state_.MidiOut);
        TMidiOutSystem::instance().removeDevice(device_);
    }
    // Sets the song's tracks; each holds events in ascending order of tick.
    void setTracks(std::vector<std::vector<TMidiSeqEvent>> tracks)
    {
        events_ = std::move(tracks);
        tracks_.clear();
        for (auto &events : events_)
            tracks_.push_back({events.data(), static_cast<uint32_t>(events.size()), 0});
        song_.Tracks = tracks_.data();
        song_.Count = static_cast<uint32_t>(tracks_.size());
    }
    void tick(int calls = 1)
    {
        for (int i = 0; i < calls; ++i)
            MidiSeqProc(1, 0, reinterpret_cast<uintptr_t>(&state_), 0, 0);
    }

    std::shared_ptr<TRecordingMidiOut> device_ = std::make_shared<TRecordingMidiOut>();
    unsigned id_ = 0;
    TPostLog noteLog_, endLog_;
    TMidiSeqWindow notes_{}, ends_{};
    std::vector<std::vector<TMidiSeqEvent>> events_;
    std::vector<TMidiSeqTrack> tracks_;
    TMidiSeqSong song_{};
    TMidiSeqHeaderList pending_{};
    TMidiSeqState state_{};
};

// Event data lives as long as the test program: tests build few events.
const uint8_t *keep(std::initializer_list<uint8_t> data)
{
    static std::vector<std::vector<uint8_t>> store;
    store.emplace_back(data);
    return store.back().data();
}

TMidiSeqEvent channel(uint32_t tick, uint8_t status, std::initializer_list<uint8_t> data)
{
    return {tick, 0, status, static_cast<uint32_t>(data.size()), keep(data)};
}

TMidiSeqEvent meta(uint32_t tick, uint8_t type, std::initializer_list<uint8_t> data)
{
    return {tick, 1, type, static_cast<uint32_t>(data.size()), keep(data)};
}

TEST(MidiSeqLayout, TheStateKeepsItsFieldOrderWithPointerSizedHandles)
{
    EXPECT_EQ(offsetof(TMidiSeqState, Tempo), 0u);
    EXPECT_EQ(offsetof(TMidiSeqState, CurrentTick), 4u);
    EXPECT_EQ(offsetof(TMidiSeqState, Accumulator), 8u);
    EXPECT_EQ(offsetof(TMidiSeqState, Ready), 12u);
    EXPECT_EQ(offsetof(TMidiSeqState, EndWindow), 16u);
    EXPECT_EQ(offsetof(TMidiSeqState, Period), 24u);
    EXPECT_EQ(offsetof(TMidiSeqState, TickLength), 28u);
    EXPECT_EQ(offsetof(TMidiSeqState, Song), 32u);
    EXPECT_EQ(offsetof(TMidiSeqState, MidiOut), 40u);
    EXPECT_EQ(offsetof(TMidiSeqState, PendingHeaders), 48u);
    EXPECT_EQ(offsetof(TMidiSeqState, NoteWindow), 56u);
    EXPECT_EQ(offsetof(TMidiSeqState, EndTick), 64u);
    EXPECT_EQ(offsetof(TMidiSeqEvent, Data), 16u);
    // Plug-ins find the routines by name in the program.
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "MidiSeqProc"), reinterpret_cast<void *>(&MidiSeqProc));
    EXPECT_NE(dlsym(RTLD_DEFAULT, "midiOutShortMsg"), nullptr);
    EXPECT_NE(dlsym(RTLD_DEFAULT, "timeSetEvent"), nullptr);
}

TEST_F(MidiSeqProcTest, TheClockPassesAtMostOneTickPerCall)
{
    state_.Period = 1;
    state_.TickLength = 2500;
    tick(2); // 1000 and 2000 microseconds: no tick yet
    EXPECT_EQ(state_.CurrentTick, 0u);
    EXPECT_EQ(state_.Accumulator, 2000u);
    tick(); // 3000 > 2500
    EXPECT_EQ(state_.CurrentTick, 1u);
    EXPECT_EQ(state_.Accumulator, 500u);

    // A tick exactly as long as the time gathered does not pass yet.
    state_.Accumulator = 0;
    state_.TickLength = 1000;
    tick();
    EXPECT_EQ(state_.CurrentTick, 1u);
    tick();
    EXPECT_EQ(state_.CurrentTick, 2u);

    // A period of several ticks makes the song fall behind instead of skipping.
    state_.Accumulator = 0;
    state_.Period = 10;
    tick(3);
    EXPECT_EQ(state_.CurrentTick, 5u);
    EXPECT_EQ(state_.Accumulator, 27000u);

    // Time gathered over a very long lag stops at the top instead of wrapping to little.
    state_.Accumulator = UINT32_MAX - 100;
    tick();
    EXPECT_EQ(state_.Accumulator, UINT32_MAX - 1000);
}

TEST_F(MidiSeqProcTest, RunningStatusLeavesOutRepeatedStatusBytesAcrossTracks)
{
    setTracks({
        {channel(1, 0x90, {60, 100}), channel(1, 0x90, {62, 101}), channel(2, 0xC0, {5}),
         meta(2, 0x01, {'h', 'i'}), channel(2, 0xC0, {6})},
        {channel(2, 0xC0, {7}), channel(2, 0xB1, {7}), channel(3, 0x80, {60, 0x90})},
    });
    tick(3);
    const std::vector<uint32_t> expected = {
        0x00643C90, // note on
        0x0000653E, // the same status again: without its status byte
        0x000005C0, // program change: the second data byte counts as 0
        0x000006C0, // a meta event in between ends running status
        0x00000007, // the next track goes on with the status of the last
        0x000007B1, // a missing data byte counts as 0
        0x00103C80, // a data byte with its top bit set loses that bit
    };
    EXPECT_EQ(device_->shortWords(), expected);
    for (const auto &track : tracks_)
        EXPECT_EQ(track.Cursor, track.Count);
}

TEST_F(MidiSeqProcTest, TempoEventsSetTheTempoOnlyWithThreeBytes)
{
    setTracks(
        {{meta(1, 0x51, {0x07, 0xA1, 0x20}), meta(2, 0x51, {0x03, 0x0D}), meta(3, 0x2F, {})}});
    tick();
    EXPECT_EQ(state_.Tempo, 500000u);
    EXPECT_EQ(state_.TickLength, 999u); // the caller derives it
    tick();
    EXPECT_EQ(state_.Tempo, 500000u);
    EXPECT_TRUE(device_->entries().empty());
    setTracks({{meta(0, 0x51, {0x0F, 0x42, 0x40})}});
    tick();
    EXPECT_EQ(state_.Tempo, 1000000u);
}

TEST_F(MidiSeqProcTest, SysExGoesOutAsALongMessageAndItsHeaderIsReleased)
{
    setTracks({{channel(1, 0x90, {60, 100}), channel(1, 0xF0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}),
                channel(1, 0x90, {62, 100})}});
    tick();
    const auto entries = device_->entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].kind, TRecordingMidiOut::TEntry::Long);
    EXPECT_EQ(entries[1].data, std::vector<uint8_t>({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(entries[2].message.packed, 0x00643E90u); // SysEx ended running status
    EXPECT_EQ(pending_.Count, 0u);                     // done at once, so released at once
}

TEST_F(MidiSeqProcTest, RejectedSysExIsDroppedAndPlaybackGoesOn)
{
    device_->setLongResult(MMSYSERR_NOTSUPPORTED);
    setTracks({{channel(1, 0xF0, {0xF0, 0x01, 0xF7}), channel(1, 0xF7, {}),
                channel(1, 0x90, {60, 100})}});
    tick();
    EXPECT_EQ(pending_.Count, 0u);
    EXPECT_EQ(device_->shortWords(), std::vector<uint32_t>{0x00643C90});
    EXPECT_EQ(tracks_[0].Cursor, 3u);
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
    pending_.Capacity = 4;
    pending_.Items = static_cast<MIDIHDR **>(std::malloc(sizeof(MIDIHDR *) * 4));
    pending_.Items[0] = header(MHDR_PREPARED | MHDR_DONE);
    pending_.Items[1] = busy1;
    pending_.Items[2] = header(MHDR_PREPARED | MHDR_DONE);
    pending_.Items[3] = busy2;
    pending_.Count = 4;
    setTracks({{channel(1, 0xF0, {0xF0, 0x01, 0xF7})}}); // a fifth that needs the list to grow
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
    using P = TPostLog::TPost;
    EXPECT_EQ(noteLog_.taken(), (std::vector<P>{{MIDISEQ_MESSAGE, MIDISEQ_NOTE, 0x643C91},
                                                {MIDISEQ_MESSAGE, MIDISEQ_NOTE, 0x003C81}}));
    EXPECT_EQ(endLog_.taken(), (std::vector<P>{{MIDISEQ_MESSAGE, MIDISEQ_END, 0}}));
    EXPECT_EQ(state_.CurrentTick, 2u);
    tick(3);
    EXPECT_EQ(state_.CurrentTick, 2u);
    EXPECT_EQ(noteLog_.taken().size(), 2u);
    EXPECT_EQ(endLog_.taken().size(), 4u);
    EXPECT_EQ(device_->shortWords().size(), 3u);

    // Without a note window only the end is told.
    state_.NoteWindow = nullptr;
    state_.CurrentTick = 0;
    tracks_[0].Cursor = 0;
    tick(2);
    EXPECT_EQ(noteLog_.taken().size(), 2u);
    EXPECT_EQ(endLog_.taken().size(), 5u);
}

TEST_F(MidiSeqProcTest, ACallThatFindsTheRoutineBusyCountsItsTickAndSendsNothing)
{
    setTracks({{channel(1, 0x90, {60, 100}), channel(2, 0x90, {62, 100})}});
    state_.Ready = 0;
    tick(2);
    EXPECT_EQ(state_.CurrentTick, 2u);
    EXPECT_TRUE(device_->entries().empty());
    EXPECT_EQ(state_.Ready, 0);
    state_.Ready = 1;
    tick();
    EXPECT_EQ(device_->shortWords(), (std::vector<uint32_t>{0x00643C90, 0x0000643E}));
    EXPECT_EQ(state_.Ready, 1);
}

TEST_F(MidiSeqProcTest, StatusBytesThatAreNoChannelMessageSendNothing)
{
    setTracks({{channel(1, 0x90, {60, 100}), channel(1, 0xF8, {}), channel(1, 0x90, {61, 100}),
                channel(1, 0x45, {1, 2}), channel(1, 0x90, {62, 100})}});
    tick();
    EXPECT_EQ(device_->shortWords(), (std::vector<uint32_t>{0x00643C90, 0x00643D90, 0x00643E90}));
}

// A Qt receiver, as a plug-in with windows of its own would have.
class TReceiver : public QObject {
public:
    std::vector<TPostLog::TPost> posts;
    Qt::HANDLE thread = nullptr;

protected:
    void customEvent(QEvent *event) override
    {
        if (event->type() != TMidiSeqMessageEvent::Type) return;
        const auto *m = static_cast<TMidiSeqMessageEvent *>(event);
        posts.push_back({m->message(), m->wParam(), m->lParam()});
        thread = QThread::currentThreadId();
    }
};

TEST_F(MidiSeqProcTest, AQtReceiverGetsTheMessagesOnItsOwnThreadWhileATimerPlays)
{
    TReceiver receiver;
    TMidiSeqWindow window{MIDISEQ_WINDOW_QOBJECT, &receiver, nullptr, nullptr};
    state_.NoteWindow = state_.EndWindow = &window;
    state_.EndTick = 20;
    setTracks({{channel(5, 0x90, {60, 100}), channel(10, 0x90, {60, 0})},
               {channel(15, 0xF0, {0xF0, 0x41, 0xF7})}});

    const uint32_t id =
        timeSetEvent(1, 1, &MidiSeqProc, reinterpret_cast<uintptr_t>(&state_), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (receiver.posts.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    QCoreApplication::processEvents();

    ASSERT_GE(receiver.posts.size(), 3u);
    using P = TPostLog::TPost;
    EXPECT_EQ(receiver.posts[0], (P{MIDISEQ_MESSAGE, MIDISEQ_NOTE, 0x643C90}));
    EXPECT_EQ(receiver.posts[1], (P{MIDISEQ_MESSAGE, MIDISEQ_NOTE, 0x003C90}));
    EXPECT_EQ(receiver.posts[2], (P{MIDISEQ_MESSAGE, MIDISEQ_END, 0}));
    EXPECT_EQ(receiver.thread, QThread::currentThreadId());
    EXPECT_EQ(device_->shortWords(), (std::vector<uint32_t>{0x00643C90, 0x00003C90}));
    EXPECT_EQ(device_->entries().size(), 3u);
    EXPECT_EQ(pending_.Count, 0u);
}

} // namespace

namespace {

TEST(MidiSeqPlugin, APlugInInCPlaysASongThroughTheExportedCalls)
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

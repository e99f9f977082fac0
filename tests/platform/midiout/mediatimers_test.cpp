#include "platform/midiout/mediatimers.h"
#include "support/testwait.h"
#include "tonaria/midiseq.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct TProbe {
    std::atomic<int> calls{0};
    std::atomic<bool> inside{false};
    std::atomic<uint32_t> id{0};
    std::atomic<int> killAt{-1};
    std::atomic<MMRESULT> killResult{999};
    std::chrono::milliseconds work{0};

    static void proc(uint32_t timerId, uint32_t, uintptr_t user, uintptr_t, uintptr_t)
    {
        auto *p = reinterpret_cast<TProbe *>(user);
        p->inside = true;
        const int n = ++p->calls;
        EXPECT_EQ(timerId, p->id.load());
        if (p->work.count()) std::this_thread::sleep_for(p->work);
        if (n == p->killAt) p->killResult = timeKillEvent(timerId);
        p->inside = false;
    }
};

TEST(MediaTimers, APeriodicTimerRunsUntilKilledAndKillWaitsForTheCallback)
{
    TProbe probe;
    probe.work = 20ms;
    const uint32_t id =
        timeSetEvent(1, 1, &TProbe::proc, reinterpret_cast<uintptr_t>(&probe), TIME_PERIODIC);
    probe.id = id;
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitUntil([&] { return probe.inside.load(); }));
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    EXPECT_FALSE(probe.inside); // the call that was running has finished
    const int calls = probe.calls;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(probe.calls, calls);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

TEST(MediaTimers, ACallbackMayKillItsOwnTimer)
{
    TProbe probe;
    probe.killAt = 3;
    probe.id =
        timeSetEvent(1, 0, &TProbe::proc, reinterpret_cast<uintptr_t>(&probe), TIME_PERIODIC);
    ASSERT_NE(probe.id.load(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return probe.killResult.load() != 999u; }));
    EXPECT_EQ(probe.killResult, TIMERR_NOERROR);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(probe.calls, 3);
    EXPECT_TRUE(WaitUntil([] { return TMediaTimers::instance().count() == 0; }));
}

TEST(MediaTimers, AOneShotTimerFiresOnceAndIsGone)
{
    TProbe probe;
    probe.id = timeSetEvent(5, 0, &TProbe::proc, reinterpret_cast<uintptr_t>(&probe), TIME_ONESHOT);
    ASSERT_NE(probe.id.load(), 0u);
    ASSERT_TRUE(WaitUntil([] { return TMediaTimers::instance().count() == 0; }));
    EXPECT_EQ(probe.calls, 1);
    EXPECT_EQ(timeKillEvent(probe.id), MMSYSERR_INVALPARAM);
    EXPECT_EQ(timeSetEvent(0, 0, &TProbe::proc, 0, TIME_PERIODIC), 0u); // no period
    EXPECT_EQ(timeSetEvent(10, 0, &TProbe::proc, 0, 0x0010), 0u);       // an event to set
}

} // namespace

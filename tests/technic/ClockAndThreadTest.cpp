// What the sensor-thread tests take on trust from the framework stand-in: a
// simulated second passes neither early nor late, and a stop wakes a thread
// from any wait, on the simulated clock as on the real one.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "GThread.h"
#include "SimClock.h"
#include "VexloTime.h"

namespace {

std::atomic<int> g_passes{0};
std::atomic<bool> g_inLongWait{false};

// Paces itself like the sensor thread: one second per pass.
int pacedPass()
{
    VexloTime::wait(VexloTime(1, 0));
    return ++g_passes;
}
int waitAnHour()
{
    g_inLongWait = true;
    VexloTime::wait(VexloTime(3600, 0));
    return 0;
}
GThread threadOf(int (*pass)())
{
    return GThread(VXCallback::function(pass), "Test", VXCallback::function(GThread::emptyFun),
                   VXCallback::function(GThread::emptyFun));
}

} // namespace

TEST(SimulatedClock, APassEndsOnItsSecondAndAStopEndsItMidWait)
{
    technic_sim::SimulatedClockScope clock;
    g_passes = 0;
    GThread thread = threadOf(pacedPass);
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(technic_sim::waitForWaitEntries(1));
    technic_sim::advance(0, 999999);
    EXPECT_EQ(g_passes.load(), 0);
    ASSERT_TRUE(technic_sim::advanceAndSettle(0, 1));
    EXPECT_EQ(g_passes.load(), 1);
    EXPECT_TRUE(thread.stop());
    technic_sim::advance(10, 0);
    EXPECT_EQ(g_passes.load(), 2); // the pass cut short by the stop, none after it
    EXPECT_FALSE(thread.isRunning());
}

TEST(RealClock, StopWakesAThreadBlockedInAnHourLongWait)
{
    ASSERT_FALSE(technic_sim::simulatedClock());
    g_inLongWait = false;
    GThread thread = threadOf(waitAnHour);
    ASSERT_TRUE(thread.start());
    for (int i = 0; i < 5000 && !g_inLongWait; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(g_inLongWait.load());
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(thread.stop());
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
}

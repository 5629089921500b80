// The framework clock and worker threads: a simulated clock steps a GThread
// pass by pass, and a stop wakes a thread from any wait.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <string>
#include <tuple>
#include <thread>

#include "GThread.h"
#include "SimClock.h"
#include "VexloTime.h"

namespace {

std::atomic<int> g_passes{0}, g_starts{0}, g_stops{0};
std::atomic<bool> g_inLongWait{false};
std::string g_threadName;

// Paces itself like the sensor thread: one second per pass.
int pacedPass()
{
    VexloTime::wait(VexloTime(1, 0));
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    g_threadName = name;
    return ++g_passes;
}
int countStart() { return ++g_starts; }
int countStop() { return ++g_stops; }
int waitAnHour()
{
    g_inLongWait = true;
    VexloTime::wait(VexloTime(3600, 0));
    return 0;
}

} // namespace

TEST(SimulatedClock, StepsAGThreadPassByPassAndStopsItMidWait)
{
    technic_sim::SimulatedClockScope clock;
    g_passes = g_starts = g_stops = 0;
    GThread thread(VXCallback::function(pacedPass), "SensorThreadWithALongName", VXCallback::function(countStart),
                   VXCallback::function(countStop));
    ASSERT_TRUE(thread.start());
    EXPECT_FALSE(thread.start());
    ASSERT_TRUE(technic_sim::waitForWaitEntries(1));
    technic_sim::advance(0, 999999);
    EXPECT_EQ(g_passes.load(), 0);
    ASSERT_TRUE(technic_sim::advanceAndSettle(0, 1));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(technic_sim::advanceAndSettle(1, 0));
    EXPECT_EQ(g_passes.load(), 4);
    EXPECT_EQ(technic_sim::blockedWaiters(), 1);

    // Stopped while blocked: the pass ends without the clock moving, none follows.
    EXPECT_TRUE(thread.stop());
    technic_sim::advance(10, 0);
    EXPECT_FALSE(thread.stop() || thread.isRunning());
    EXPECT_EQ(std::make_tuple(g_passes.load(), g_starts.load(), g_stops.load()), std::make_tuple(5, 1, 1));
    EXPECT_EQ(g_threadName, "SensorThreadWit");

    // A stopped thread starts again, as a second init does.
    const long entries = technic_sim::waitEntries();
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(technic_sim::waitForWaitEntries(entries + 1));
    EXPECT_TRUE(thread.stop());
    EXPECT_EQ(g_starts.load(), 2);
    EXPECT_FALSE(GThread(VXCallback(), "none", VXCallback(), VXCallback()).start());
}

TEST(SimulatedClock, HostThreadWaitsForTheClockAndTimeOfDayWraps)
{
    technic_sim::SimulatedClockScope clock;
    VexloTime::wait(VexloTime(0, 0)); // returns at once
    std::atomic<bool> done{false};
    std::thread host([&done] {
        VexloTime::wait(VexloTime(0, 500000));
        done = true;
    });
    ASSERT_TRUE(technic_sim::waitForWaitEntries(2));
    technic_sim::advance(0, 499999);
    EXPECT_FALSE(done.load());
    technic_sim::advance(0, 1);
    host.join();
    EXPECT_EQ(technic_sim::simulatedNowMicroseconds(), 500000);

    technic_sim::setLocalTime(23, 59, 30);
    technic_sim::advance(45, 0);
    const VexloTime now = VXDeviceTime::getCurrentTime();
    EXPECT_EQ(now.getHour() * 3600 + now.getMinute() * 60 + now.getSecond(), 15);
}

// The driving thread's waits are the time that passes: they return at once
// and wake the paced thread on the way; a program that then ends with the
// thread still waiting (no stop) exits rather than hanging in the clock.
TEST(SimulatedClock, DrivingThreadMovesTimeAndExitWithAWaiterEnds)
{
    EXPECT_EXIT(
        {
            technic_sim::SimulatedClockScope clock;
            g_passes = 0;
            // Never stopped nor destroyed, as by a controller without uinit.
            GThread* thread = new GThread(VXCallback::function(pacedPass), "Paced",
                                          VXCallback::function(GThread::emptyFun), VXCallback::function(GThread::emptyFun));
            thread->start();
            technic_sim::waitForWaitEntries(1);
            technic_sim::driveClockFromThisThread(true);
            VexloTime::wait(VexloTime(3600, 0));
            technic_sim::driveClockFromThisThread(false);
            while (g_passes.load() == 0) std::this_thread::yield();
            std::exit(technic_sim::simulatedNowMicroseconds() == 3600000000LL ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
}

TEST(RealClock, StopWakesAThreadBlockedInAnHourLongWait)
{
    ASSERT_FALSE(technic_sim::simulatedClock());
    g_inLongWait = false;
    GThread thread(VXCallback::function(waitAnHour), "LongWait", VXCallback::function(GThread::emptyFun),
                   VXCallback::function(GThread::emptyFun));
    ASSERT_TRUE(thread.start());
    for (int i = 0; i < 5000 && !g_inLongWait; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(g_inLongWait.load());
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(thread.stop());
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
}

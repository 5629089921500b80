// The framework clock and worker threads: a simulated clock steps a GThread
// pass by pass, and a stop wakes a thread from any wait.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "GThread.h"
#include "SimClock.h"
#include "VexloTime.h"

namespace {

// Paces itself like the sensor thread: one second per pass.
class PacedWorker {
public:
    int pass()
    {
        VexloTime::wait(VexloTime(1, 0));
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        threadName = name;
        ++passes;
        return 0;
    }
    std::atomic<int> passes{0};
    std::string threadName;
};

std::atomic<int> g_starts{0};
std::atomic<int> g_stops{0};
int countStart() { return ++g_starts; }
int countStop() { return ++g_stops; }

std::atomic<bool> g_inLongWait{false};
int waitAnHour()
{
    g_inLongWait = true;
    VexloTime::wait(VexloTime(3600, 0));
    return 0;
}

class Tracked : public VXCallbackBase {
public:
    explicit Tracked(bool& destroyed) : m_destroyed(destroyed) {}
    ~Tracked() override { m_destroyed = true; }
    int invoke() override { return 7; }

private:
    bool& m_destroyed;
};

} // namespace

TEST(SimulatedClock, StepsAGThreadPassByPassAndStopsItMidWait)
{
    technic_sim::SimulatedClockScope clock;
    PacedWorker worker;
    g_starts = 0;
    g_stops = 0;
    GThread thread(VXCallback::member(&worker, &PacedWorker::pass), "SensorThreadWithALongName",
                   VXCallback::function(countStart), VXCallback::function(countStop));
    ASSERT_TRUE(thread.start());
    EXPECT_FALSE(thread.start());
    ASSERT_TRUE(technic_sim::waitForWaitEntries(1));

    technic_sim::advance(0, 999999);
    EXPECT_EQ(worker.passes.load(), 0);
    EXPECT_EQ(technic_sim::blockedWaiters(), 1);
    ASSERT_TRUE(technic_sim::advanceAndSettle(0, 1));
    EXPECT_EQ(worker.passes.load(), 1);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(technic_sim::advanceAndSettle(1, 0));
    EXPECT_EQ(worker.passes.load(), 4);
    EXPECT_EQ(technic_sim::blockedWaiters(), 1);

    // Stopped while blocked: the pass it was in ends without the clock moving,
    // and none follows.
    EXPECT_TRUE(thread.stop());
    EXPECT_FALSE(thread.isRunning());
    EXPECT_EQ(worker.passes.load(), 5);
    technic_sim::advance(10, 0);
    EXPECT_EQ(worker.passes.load(), 5);
    EXPECT_FALSE(thread.stop());
    EXPECT_EQ(g_starts.load(), 1);
    EXPECT_EQ(g_stops.load(), 1);
    EXPECT_EQ(worker.threadName, "SensorThreadWit");

    // A stopped thread starts again, as a second init does.
    const long entries = technic_sim::waitEntries();
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(technic_sim::waitForWaitEntries(entries + 1));
    EXPECT_TRUE(thread.stop());
    EXPECT_EQ(g_starts.load(), 2);

    GThread bodiless(VXCallback(), "none", VXCallback(), VXCallback());
    EXPECT_FALSE(bodiless.start());
}

TEST(SimulatedClock, HostThreadWaitsForTheClockAndTimeOfDayWraps)
{
    technic_sim::SimulatedClockScope clock;
    VexloTime::wait(VexloTime(0, 0));
    EXPECT_EQ(technic_sim::waitEntries(), 1);

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
    EXPECT_TRUE(done.load());
    EXPECT_EQ(technic_sim::simulatedNowMicroseconds(), 500000);

    technic_sim::setLocalTime(23, 59, 30);
    technic_sim::advance(45, 0);
    const VexloTime now = VXDeviceTime::getCurrentTime();
    EXPECT_EQ(now.getHour(), 0);
    EXPECT_EQ(now.getMinute(), 0);
    EXPECT_EQ(now.getSecond(), 15);
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

TEST(VXCallback, CopiesShareOneObjectAndAnEmptyHolderThrows)
{
    bool destroyed = false;
    {
        VXCallback first(new Tracked(destroyed));
        {
            VXCallback second = first;
            VXCallback third;
            third = second;
            const VXCallback& same = third;
            third = same;
            EXPECT_EQ(first.useCount(), 3);
            EXPECT_EQ(third(), 7);
        }
        EXPECT_EQ(first.useCount(), 1);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);

    VXCallback empty;
    EXPECT_TRUE(empty.empty());
    EXPECT_THROW(empty(), VXRuntimeError);
    EXPECT_EQ(GThread::emptyFun(), 0);
}

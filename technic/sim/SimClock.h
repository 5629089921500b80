// Control of the stand-in framework clock behind VexloTime::wait and
// VXDeviceTime::getCurrentTime. The real clock is the default; tests and the
// simulator switch to the simulated one, whose time moves only when advanced,
// so a background thread can be stepped pass by pass without real sleeping.
#ifndef TECHNIC_SIM_SIM_CLOCK_H
#define TECHNIC_SIM_SIM_CLOCK_H

#include <cstdint>

namespace technic_sim {

void useSimulatedClock(bool on);
bool simulatedClock();

// Simulated "now" back to 0, local time to 00:00:00, counters to 0. Waits
// still blocked from before the reset return at once.
void resetSimulatedClock();

// Local time of day reported by VXDeviceTime::getCurrentTime (simulated mode).
void setLocalTime(int hour, int minute, int second);

std::int64_t simulatedNowMicroseconds();

// Moves simulated time (and the time of day, wrapping at 24 h) forward and
// wakes every wait whose end has come.
void advance(long seconds, long microseconds);

// While on, a simulated-mode wait of the calling thread does not block: it
// moves the clock on by its own length, waking the other threads' waits on
// the way. The thread stands for the passing of time (a simulator's command
// loop), so start-up's waits cost no real time. Off by default, per thread.
void driveClockFromThisThread(bool on);

// Number of VexloTime::wait calls begun in simulated mode since the last reset.
long waitEntries();
// Blocks in real time until waitEntries() reaches count; false on timeout.
bool waitForWaitEntries(long count, int realTimeoutMs = 5000);
// Waits blocked on the simulated clock right now.
int blockedWaiters();

// advance(), then wait until `threads` further waits have begun: each thread
// that was blocked has finished its pass and is waiting again.
bool advanceAndSettle(long seconds, long microseconds, int threads = 1, int realTimeoutMs = 5000);

// Simulated, freshly reset clock for the life of the object; real clock after.
class SimulatedClockScope {
public:
    SimulatedClockScope()
    {
        resetSimulatedClock();
        useSimulatedClock(true);
    }
    ~SimulatedClockScope()
    {
        useSimulatedClock(false);
        resetSimulatedClock();
    }
    SimulatedClockScope(const SimulatedClockScope&) = delete;
    SimulatedClockScope& operator=(const SimulatedClockScope&) = delete;
};

} // namespace technic_sim

#endif

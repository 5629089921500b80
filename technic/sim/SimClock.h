// Control of the stand-in framework clock behind VexloTime::wait and
// VXDeviceTime::getCurrentTime. The real clock is the default; tests and the
// simulator switch to the simulated one, whose time moves only when advanced,
// so a background thread can be stepped pass by pass without real sleeping.
#ifndef TECHNIC_SIM_SIM_CLOCK_H
#define TECHNIC_SIM_SIM_CLOCK_H

#include <cstdint>

namespace technic_sim {

// Off also ends lockstep (driveClockFromThisThread).
void useSimulatedClock(bool on);
bool simulatedClock();

// Simulated "now" back to 0, local time to 00:00:00, counters to 0. Waits
// still blocked from before the reset return at once (in lockstep: at the
// driver's next wait).
void resetSimulatedClock();

// Local time of day reported by VXDeviceTime::getCurrentTime (simulated mode).
void setLocalTime(int hour, int minute, int second);

std::int64_t simulatedNowMicroseconds();

// Moves simulated time (and the time of day, wrapping at 24 h) forward and
// wakes every wait whose end has come.
void advance(long seconds, long microseconds);

// Lockstep, for simulators and tests that want one order of events. While
// on, the calling thread is the driver: it stands for the host and the
// passing of time. Lockstep begins with the first driver and lasts until the
// simulated clock is switched off; under it every GThread started takes turns
// with the driver: one of them runs at a time, each gives the turn up only in
// a simulated wait (or while joining a thread, or at its end), and a wait
// ends, in a fixed order, only when every earlier one has run. The driver's
// own waits (and advance, advanceAndSettle) move the clock on by their length
// at once and return when every thread due by then has made its pass; between
// the driver's waits no thread runs. A started thread runs to its first wait
// before start returns. Off: the thread gives the driver's turn up; the
// threads stay parked until a driver takes it again. Other threads (a test's
// host threads) run as ever, alongside whichever actor holds the turn.
void driveClockFromThisThread(bool on);
// True while the calling thread holds the driver's turn.
bool drivesClock();

// Number of VexloTime::wait calls begun in simulated mode since the last reset.
long waitEntries();
// Blocks in real time until waitEntries() reaches count; false on timeout.
bool waitForWaitEntries(long count, int realTimeoutMs = 5000);
// Waits blocked on the simulated clock right now.
int blockedWaiters();

// advance(), then wait until `threads` further waits have begun: each thread
// that was blocked has finished its pass and is waiting again.
bool advanceAndSettle(long seconds, long microseconds, int threads = 1, int realTimeoutMs = 5000);

// The driver's turn for the life of the object (a request of a server).
class DriverTurn {
public:
    DriverTurn() { driveClockFromThisThread(true); }
    ~DriverTurn() { driveClockFromThisThread(false); }
    DriverTurn(const DriverTurn&) = delete;
    DriverTurn& operator=(const DriverTurn&) = delete;
};

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

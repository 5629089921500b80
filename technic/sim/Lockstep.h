// Lockstep turns on the simulated clock (internal to the stand-in library).
// Each actor (a GThread started under lockstep, or the driver: the thread
// that stands for the host and the passing of time) runs only while it holds
// the turn, and gives it up only inside a simulated wait, while it joins a
// thread, or when its thread ends. The turn goes to the waiting actor whose
// wait has ended earliest, ties to the lower rank: threads rank in the order
// they were started, the driver after all of them. A thread asked to stop
// gets the turn first, so its last pass runs while its stopper joins it.
#ifndef TECHNIC_SIM_LOCKSTEP_H
#define TECHNIC_SIM_LOCKSTEP_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "ClockState.h"

namespace technic_sim {

struct Actor {
    enum State { kRunning, kWaiting, kAside };
    int rank = 0;
    State state = kRunning;
    bool enrolled = false;
    std::int64_t deadline = 0;
    // The driver's waits move the clock on instead of waiting for it.
    bool drives = false;
    // A thread's pass that never waited ends behind the others due at the
    // same instant, so a pass that skips its wait cannot keep the turn.
    bool waitedThisPass = false;
    bool behind = false;
    const std::atomic<bool>* stopRequested = nullptr;
    std::condition_variable turn;
};

// The calling thread's actor when it holds the turn under lockstep, else null.
Actor* actorOnTurn(ClockState& clock);
// A wait of the actor on turn: parks it until its deadline is the earliest.
void lockstepWait(ClockState& clock, std::unique_lock<std::mutex>& lock, Actor& actor, std::int64_t durationUs);
// Hands a free turn to the next due actor; the caller holds the mutex.
void handOnLocked(ClockState& clock);
// Every actor runs freely again.
void endLockstepLocked(ClockState& clock);

// For GThread: a new actor for a thread about to start (null unless in lockstep) ...
Actor* enrolThread(const std::atomic<bool>* stopRequested);
// ... which the thread itself binds and waits its first turn with,
void beginThreadTurns(Actor* actor);
// and leaves when it ends, passing the turn on.
void endThreadTurns(Actor* actor);
// At the end of a thread's pass: a pass that did not wait lets every actor
// due now run first.
void endPass();
// The actor on turn lets every actor due now run first (a thread just started
// runs to its first wait).
void yieldTurn();

// The actor on turn gives the turn up while it blocks outside the clock
// (joining a thread) and waits for it again afterwards.
class TurnAside {
public:
    TurnAside();
    ~TurnAside();
    TurnAside(const TurnAside&) = delete;
    TurnAside& operator=(const TurnAside&) = delete;

private:
    Actor* m_pActor;
};

} // namespace technic_sim

#endif

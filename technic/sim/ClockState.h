// The stand-in clock's shared state (internal to the stand-in library): one
// mutex guards simulated time, the wait counters and the lockstep turn.
#ifndef TECHNIC_SIM_CLOCK_STATE_H
#define TECHNIC_SIM_CLOCK_STATE_H

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace technic_sim {

struct Actor;

struct ClockState {
    std::mutex mutex;
    std::condition_variable changed;
    bool simulated = false;
    std::int64_t nowUs = 0;
    std::int64_t timeOfDayUs = 0;
    long entries = 0;
    int blocked = 0;
    // Bumped by a reset so that waits begun before it end.
    unsigned long generation = 0;

    // Lockstep: the actors and the one whose turn it is.
    bool lockstep = false;
    std::vector<Actor*> actors;
    Actor* holder = nullptr;
    int nextRank = 0;
};

ClockState& clockState();
// Moves simulated time and the time of day on; the caller holds the mutex.
void advanceLocked(ClockState& clock, std::int64_t stepUs);

} // namespace technic_sim

#endif

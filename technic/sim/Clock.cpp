// The framework clock: VexloTime::wait, VXDeviceTime::getCurrentTime and the
// simulated clock that tests drive. One mutex and one condition variable
// serve every waiter, so a stop request or an advance wakes them all.
#include "SimClock.h"

#include <chrono>
#include <ctime>

#include "ClockState.h"
#include "GThread.h"
#include "Lockstep.h"
#include "VexloTime.h"

namespace {

constexpr std::int64_t kMicrosPerSecond = 1000000;
constexpr std::int64_t kMicrosPerDay = 24 * 3600 * kMicrosPerSecond;

} // namespace

namespace technic_sim {

// Never destroyed: threads a program leaves waiting at exit (a controller
// without uinit) would block the destruction of the condition variable.
ClockState& clockState()
{
    static ClockState* const state = new ClockState;
    return *state;
}

void advanceLocked(ClockState& clock, std::int64_t stepUs)
{
    clock.nowUs += stepUs;
    clock.timeOfDayUs = (clock.timeOfDayUs + stepUs) % kMicrosPerDay;
    clock.changed.notify_all();
}

} // namespace technic_sim

namespace {

using technic_sim::ClockState;
using technic_sim::clockState;

std::int64_t toMicroseconds(long seconds, long microseconds)
{
    return static_cast<std::int64_t>(seconds) * kMicrosPerSecond + microseconds;
}

void waitSimulated(ClockState& clock, std::unique_lock<std::mutex>& lock, std::int64_t durationUs)
{
    ++clock.entries;
    clock.changed.notify_all();
    if (durationUs <= 0 || GThread::stopRequested()) return;
    if (technic_sim::Actor* actor = technic_sim::actorOnTurn(clock)) {
        technic_sim::lockstepWait(clock, lock, *actor, durationUs);
        return;
    }

    const std::int64_t deadline = clock.nowUs + durationUs;
    const unsigned long generation = clock.generation;
    ++clock.blocked;
    clock.changed.wait(lock, [&] {
        return clock.nowUs >= deadline || clock.generation != generation || !clock.simulated ||
               GThread::stopRequested();
    });
    --clock.blocked;
}

void waitReal(ClockState& clock, std::unique_lock<std::mutex>& lock, std::int64_t durationUs)
{
    if (durationUs <= 0) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(durationUs);
    clock.changed.wait_until(lock, deadline, [] { return GThread::stopRequested(); });
}

} // namespace

void VexloTime::wait(const VexloTime& duration)
{
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    const std::int64_t durationUs = toMicroseconds(duration.getSeconds(), duration.getMicroseconds());
    if (clock.simulated) {
        waitSimulated(clock, lock, durationUs);
    } else {
        waitReal(clock, lock, durationUs);
    }
}

VexloTime VXDeviceTime::getCurrentTime()
{
    VexloTime result;
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    if (clock.simulated) {
        const std::int64_t seconds = clock.timeOfDayUs / kMicrosPerSecond;
        result.setTimeOfDay(static_cast<uint16_t>(seconds / 3600), static_cast<uint16_t>(seconds / 60 % 60),
                            static_cast<uint16_t>(seconds % 60));
        return result;
    }
    lock.unlock();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) != nullptr) {
        result.setTimeOfDay(static_cast<uint16_t>(local.tm_hour), static_cast<uint16_t>(local.tm_min),
                            static_cast<uint16_t>(local.tm_sec));
    }
    return result;
}

// The flag of the stopping thread is already set; taking the clock mutex
// before notifying means no waiter can miss it between its check and its sleep.
void GThread::wakeWaiters()
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    clock.changed.notify_all();
}

namespace technic_sim {

void useSimulatedClock(bool on)
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    clock.simulated = on;
    if (!on) endLockstepLocked(clock);
    clock.changed.notify_all();
}

bool simulatedClock()
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    return clock.simulated;
}

void resetSimulatedClock()
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    clock.nowUs = 0;
    clock.timeOfDayUs = 0;
    clock.entries = 0;
    ++clock.generation;
    for (Actor* actor : clock.actors) {
        if (!actor->drives) actor->deadline = 0;
    }
    clock.changed.notify_all();
}

void setLocalTime(int hour, int minute, int second)
{
    const std::int64_t seconds = static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second;
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    clock.timeOfDayUs = ((seconds * kMicrosPerSecond) % kMicrosPerDay + kMicrosPerDay) % kMicrosPerDay;
}

std::int64_t simulatedNowMicroseconds()
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    return clock.nowUs;
}

void advance(long seconds, long microseconds)
{
    const std::int64_t step = toMicroseconds(seconds, microseconds);
    if (step <= 0) return; // the clock is monotonic
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    Actor* actor = actorOnTurn(clock);
    if (actor != nullptr && actor->drives) {
        lockstepWait(clock, lock, *actor, step);
        return;
    }
    advanceLocked(clock, step);
    handOnLocked(clock);
}

long waitEntries()
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    return clock.entries;
}

bool waitForWaitEntries(long count, int realTimeoutMs)
{
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    return clock.changed.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                                  [&] { return clock.entries >= count; });
}

int blockedWaiters()
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    return clock.blocked;
}

bool advanceAndSettle(long seconds, long microseconds, int threads, int realTimeoutMs)
{
    if (drivesClock()) {
        advance(seconds, microseconds);
        return true;
    }
    const long before = waitEntries();
    advance(seconds, microseconds);
    return waitForWaitEntries(before + threads, realTimeoutMs);
}

} // namespace technic_sim

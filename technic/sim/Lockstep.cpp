#include "Lockstep.h"

#include <algorithm>
#include <climits>

#include "SimClock.h"

namespace technic_sim {

namespace {

thread_local Actor* t_pActor = nullptr;

// The driver ranks after every thread, so threads due at the same instant
// finish their passes before the host goes on.
constexpr int kDriverRank = INT_MAX;

Actor& driverActor()
{
    static Actor* const driver = [] {
        Actor* actor = new Actor;
        actor->rank = kDriverRank;
        actor->drives = true;
        return actor;
    }();
    return *driver;
}

void enrolLocked(ClockState& clock, Actor& actor)
{
    actor.enrolled = true;
    actor.state = Actor::kWaiting;
    actor.deadline = clock.nowUs;
    clock.actors.push_back(&actor);
}

bool stopping(const Actor& actor)
{
    return actor.stopRequested != nullptr && actor.stopRequested->load();
}

bool before(const Actor& a, const Actor& b)
{
    if (stopping(a) != stopping(b)) return stopping(a);
    if (a.deadline != b.deadline) return a.deadline < b.deadline;
    if (a.behind != b.behind) return b.behind;
    return a.rank < b.rank;
}

// Blocks until the actor holds the turn or lockstep ends.
void awaitTurn(ClockState& clock, std::unique_lock<std::mutex>& lock, Actor& actor)
{
    actor.turn.wait(lock, [&] { return clock.holder == &actor || !actor.enrolled; });
    actor.state = Actor::kRunning;
    actor.behind = false;
}

void parkLocked(ClockState& clock, std::unique_lock<std::mutex>& lock, Actor& actor, std::int64_t deadline)
{
    actor.state = Actor::kWaiting;
    actor.deadline = deadline;
    if (clock.holder == &actor) clock.holder = nullptr;
    handOnLocked(clock);
    awaitTurn(clock, lock, actor);
}

} // namespace

Actor* actorOnTurn(ClockState& clock)
{
    Actor* actor = t_pActor;
    return actor != nullptr && actor->enrolled && clock.lockstep && clock.holder == actor ? actor : nullptr;
}

void handOnLocked(ClockState& clock)
{
    if (!clock.lockstep || clock.holder != nullptr) return;
    Actor* next = nullptr;
    for (Actor* actor : clock.actors) {
        if (actor->state != Actor::kWaiting || (actor->deadline > clock.nowUs && !stopping(*actor))) continue;
        if (next == nullptr || before(*actor, *next)) next = actor;
    }
    if (next == nullptr) return;
    clock.holder = next;
    next->state = Actor::kRunning;
    next->turn.notify_one();
}

void lockstepWait(ClockState& clock, std::unique_lock<std::mutex>& lock, Actor& actor, std::int64_t durationUs)
{
    actor.waitedThisPass = true;
    if (actor.drives) {
        advanceLocked(clock, durationUs);
        parkLocked(clock, lock, actor, clock.nowUs);
    } else {
        parkLocked(clock, lock, actor, clock.nowUs + durationUs);
    }
}

void endLockstepLocked(ClockState& clock)
{
    clock.lockstep = false;
    clock.holder = nullptr;
    for (Actor* actor : clock.actors) {
        actor->enrolled = false;
        actor->turn.notify_one();
    }
    clock.actors.clear();
}

Actor* enrolThread(const std::atomic<bool>* stopRequested)
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    if (!clock.lockstep) return nullptr;
    Actor* actor = new Actor;
    actor->rank = clock.nextRank++;
    actor->stopRequested = stopRequested;
    enrolLocked(clock, *actor);
    handOnLocked(clock);
    return actor;
}

void beginThreadTurns(Actor* actor)
{
    if (actor == nullptr) return;
    t_pActor = actor;
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    awaitTurn(clock, lock, *actor);
}

void endThreadTurns(Actor* actor)
{
    if (actor == nullptr) return;
    ClockState& clock = clockState();
    {
        std::lock_guard<std::mutex> lock(clock.mutex);
        if (actor->enrolled) clock.actors.erase(std::find(clock.actors.begin(), clock.actors.end(), actor));
        if (clock.holder == actor) clock.holder = nullptr;
        handOnLocked(clock);
    }
    t_pActor = nullptr;
    delete actor;
}

void endPass()
{
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    Actor* actor = actorOnTurn(clock);
    if (actor == nullptr) return;
    if (!actor->waitedThisPass) {
        actor->behind = true;
        parkLocked(clock, lock, *actor, clock.nowUs);
    }
    actor->waitedThisPass = false;
}

void yieldTurn()
{
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    Actor* actor = actorOnTurn(clock);
    if (actor != nullptr) parkLocked(clock, lock, *actor, clock.nowUs);
}

TurnAside::TurnAside()
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    m_pActor = actorOnTurn(clock);
    if (m_pActor == nullptr) return;
    m_pActor->state = Actor::kAside;
    clock.holder = nullptr;
    handOnLocked(clock);
}

TurnAside::~TurnAside()
{
    if (m_pActor == nullptr) return;
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    if (m_pActor->enrolled) parkLocked(clock, lock, *m_pActor, clock.nowUs);
}

void driveClockFromThisThread(bool on)
{
    ClockState& clock = clockState();
    std::unique_lock<std::mutex> lock(clock.mutex);
    Actor& driver = driverActor();
    if (!on) {
        if (t_pActor != &driver) return;
        t_pActor = nullptr;
        if (clock.holder == &driver) {
            driver.state = Actor::kAside;
            clock.holder = nullptr;
            handOnLocked(clock);
        }
        return;
    }
    if (t_pActor == &driver && clock.holder == &driver) return;
    t_pActor = &driver;
    clock.lockstep = true;
    if (!driver.enrolled) enrolLocked(clock, driver);
    parkLocked(clock, lock, driver, clock.nowUs);
}

bool drivesClock()
{
    ClockState& clock = clockState();
    std::lock_guard<std::mutex> lock(clock.mutex);
    Actor* actor = actorOnTurn(clock);
    return actor != nullptr && actor->drives;
}

} // namespace technic_sim

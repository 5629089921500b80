#include "CallGate.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "isp_sim.h"

namespace isp_sim {

namespace {

struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool holding = false;
    uint32_t command = 0;
    uint32_t option = 0;
    size_t held = 0;
    unsigned delayMicroseconds = 0;
};

// Never destroyed: a controller's thread may still call during exit.
Gate& gate()
{
    static Gate* instance = new Gate;
    return *instance;
}

} // namespace

void passCallGate(uint32_t command, uint32_t option)
{
    Gate& g = gate();
    std::unique_lock<std::mutex> lock(g.mutex);
    const unsigned delay = g.delayMicroseconds;
    if (g.holding && g.command == command && g.option == option) {
        ++g.held;
        g.changed.notify_all();
        g.changed.wait(lock, [&g] { return !g.holding; });
        --g.held;
    }
    lock.unlock();
    if (delay > 0) std::this_thread::sleep_for(std::chrono::microseconds(delay));
}

void holdCalls(uint32_t command, uint32_t option)
{
    Gate& g = gate();
    std::lock_guard<std::mutex> lock(g.mutex);
    g.holding = true;
    g.command = command;
    g.option = option;
}

bool waitForHeldCalls(size_t count, int realTimeoutMs)
{
    Gate& g = gate();
    std::unique_lock<std::mutex> lock(g.mutex);
    return g.changed.wait_for(lock, std::chrono::milliseconds(realTimeoutMs), [&g, count] { return g.held >= count; });
}

void releaseCalls()
{
    Gate& g = gate();
    std::lock_guard<std::mutex> lock(g.mutex);
    g.holding = false;
    g.changed.notify_all();
}

void slowCalls(unsigned microseconds)
{
    Gate& g = gate();
    std::lock_guard<std::mutex> lock(g.mutex);
    g.delayMicroseconds = microseconds;
}

} // namespace isp_sim

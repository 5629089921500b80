#include "SimPower.h"

#include <atomic>
#include <mutex>

namespace {

enum class Cut { none, afterBytes, beforeRename };

struct PowerState {
    std::mutex mutex;
    bool off = false;
    Cut armed = Cut::none;
    std::uint64_t bytesLeft = 0; // bytes still written before an afterBytes cut
};

// Writers run on host threads and sensor threads alike.
PowerState& state()
{
    static PowerState power;
    return power;
}

std::atomic<bool> g_durableSync{true};

} // namespace

namespace technic_sim {

void setDurableSync(bool on)
{
    g_durableSync = on;
}

bool durableSync()
{
    return g_durableSync;
}

void cutPowerAfterBytes(std::uint64_t n)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().armed = Cut::afterBytes;
    state().bytesLeft = n;
}

void cutPowerBeforeRename()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().armed = Cut::beforeRename;
}

void restorePower()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().off = false;
    state().armed = Cut::none;
    state().bytesLeft = 0;
}

bool powerCut()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().off;
}

std::uint64_t powerForWrite(std::uint64_t length)
{
    PowerState& power = state();
    std::lock_guard<std::mutex> lock(power.mutex);
    if (power.off) return 0;
    if (power.armed != Cut::afterBytes) return length;
    if (length <= power.bytesLeft) {
        power.bytesLeft -= length;
        return length;
    }
    const std::uint64_t passed = power.bytesLeft;
    power.off = true;
    power.armed = Cut::none;
    power.bytesLeft = 0;
    return passed;
}

bool powerForRename()
{
    PowerState& power = state();
    std::lock_guard<std::mutex> lock(power.mutex);
    if (power.armed == Cut::beforeRename) {
        power.off = true;
        power.armed = Cut::none;
    }
    return !power.off;
}

} // namespace technic_sim

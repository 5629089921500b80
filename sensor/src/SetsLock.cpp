#include "SetsLock.h"

#include <memory>
#include <unordered_map>

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<const void*, std::unique_ptr<std::recursive_mutex>> locks;
};

// Never destroyed: a controller may still be destroyed during exit.
Registry& registry()
{
    static Registry* instance = new Registry;
    return *instance;
}

} // namespace

void sensor::createSetsLock(const void* owner)
{
    Registry& all = registry();
    std::lock_guard<std::mutex> guard(all.mutex);
    all.locks[owner] = std::make_unique<std::recursive_mutex>();
}

void sensor::destroySetsLock(const void* owner)
{
    Registry& all = registry();
    std::lock_guard<std::mutex> guard(all.mutex);
    all.locks.erase(owner);
}

std::recursive_mutex& sensor::setsLockOf(const void* owner)
{
    Registry& all = registry();
    std::lock_guard<std::mutex> guard(all.mutex);
    return *all.locks.at(owner);
}

#include "SetsLock.h"

#include "BesideObject.h"

using Locks = sensor::BesideObject<std::recursive_mutex>;

void sensor::createSetsLock(const void* owner)
{
    Locks::create(owner);
}

void sensor::destroySetsLock(const void* owner)
{
    Locks::destroy(owner);
}

std::recursive_mutex& sensor::setsLockOf(const void* owner)
{
    return Locks::of(owner);
}

// The lock of a controller's parameter sets, kept beside the object rather
// than in it: the host allocates controllers with the size its own header
// gives, so the object holds the described members and nothing more.
#ifndef SENSOR_SRC_SETS_LOCK_H
#define SENSOR_SRC_SETS_LOCK_H

#include <mutex>

namespace sensor {

// Creates the lock of `owner` (its constructor) and destroys it (its destructor).
void createSetsLock(const void* owner);
void destroySetsLock(const void* owner);
// The lock of `owner`; it lives from createSetsLock to destroySetsLock.
std::recursive_mutex& setsLockOf(const void* owner);

} // namespace sensor

#endif

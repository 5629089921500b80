// The controller lock of a host operation, and the one thread that never
// takes it: a pass of the controller's own sensor thread, including the
// controller calls a video module makes back from a notification sent during
// that pass (see selectScheme for why).
#ifndef SENSOR_SRC_CONTROLLER_LOCK_H
#define SENSOR_SRC_CONTROLLER_LOCK_H

#include "VXMutex.h"

namespace sensor {

// Marks the calling thread, for the life of the object, as running a pass of
// `owner`'s sensor thread.
class SensorPassScope {
public:
    explicit SensorPassScope(const void* owner);
    ~SensorPassScope();
    SensorPassScope(const SensorPassScope&) = delete;
    SensorPassScope& operator=(const SensorPassScope&) = delete;

private:
    const void* m_pOuter;
};

bool inSensorPassOf(const void* owner);

// VXMutex::Lock with the taker's module and line, released on every way out;
// not taken on a pass of `owner`'s sensor thread.
class HostLock {
public:
    HostLock(VXMutex& mutex, const void* owner, const char* module, int line)
        : m_pMutex(inSensorPassOf(owner) ? nullptr : &mutex)
    {
        if (m_pMutex != nullptr) m_pMutex->Lock(module, line);
    }
    ~HostLock()
    {
        if (m_pMutex != nullptr) m_pMutex->Unlock();
    }
    HostLock(const HostLock&) = delete;
    HostLock& operator=(const HostLock&) = delete;

    bool held() const { return m_pMutex != nullptr; }

private:
    VXMutex* m_pMutex;
};

} // namespace sensor

#endif

#ifndef TECHNIC_VX_MUTEX_H
#define TECHNIC_VX_MUTEX_H

#include <mutex>

// Recursive lock; the module and line of the taker are kept for debugging.
class VXMutex {
public:
    VXMutex() = default;
    VXMutex(const VXMutex&) = delete;
    VXMutex& operator=(const VXMutex&) = delete;

    void Lock(const char* module, int line);
    void Unlock();
    const char* lockedBy() const { return m_pszModule; }
    int lockedAt() const { return m_nLine; }

private:
    std::recursive_mutex m_mutex;
    const char* m_pszModule = nullptr;
    int m_nLine = 0;
};

// Releases a lock already taken with VXMutex::Lock when it goes out of scope.
class VXMutexManager {
public:
    explicit VXMutexManager(VXMutex& mutex) : m_mutex(mutex) {}
    ~VXMutexManager() { m_mutex.Unlock(); }
    VXMutexManager(const VXMutexManager&) = delete;
    VXMutexManager& operator=(const VXMutexManager&) = delete;

private:
    VXMutex& m_mutex;
};

#endif

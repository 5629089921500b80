#include "VXMutex.h"

#include "Lockstep.h"

void VXMutex::Lock(const char* module, int line)
{
    if (!m_mutex.try_lock()) {
        // Under lockstep the holder may be waiting for the turn: give it up
        // while blocked, or neither could go on.
        const technic_sim::TurnAside aside;
        m_mutex.lock();
    }
    // Written only by the holder, so the record names the latest taker.
    m_pszModule = module;
    m_nLine = line;
}

void VXMutex::Unlock()
{
    m_mutex.unlock();
}

#include "VXMutex.h"

void VXMutex::Lock(const char* module, int line)
{
    m_mutex.lock();
    // Written only by the holder, so the record names the latest taker.
    m_pszModule = module;
    m_nLine = line;
}

void VXMutex::Unlock()
{
    m_mutex.unlock();
}

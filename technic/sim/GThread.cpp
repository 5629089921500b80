#include "GThread.h"

#include <pthread.h>

#include <cstdio>
#include <cstring>

#include "Lockstep.h"

namespace {

// The GThread whose body runs on this thread; lets framework waits see a stop.
thread_local const GThread* t_pCurrentThread = nullptr;

constexpr size_t kMaxThreadNameLength = 15; // the kernel keeps 16 bytes with the NUL

void nameCurrentThread(const std::string& name)
{
    char shortName[kMaxThreadNameLength + 1] = {};
    std::strncpy(shortName, name.c_str(), kMaxThreadNameLength);
    pthread_setname_np(pthread_self(), shortName);
}

} // namespace

void VXCallbackBase::retain()
{
    m_nRefs.fetch_add(1);
}

void VXCallbackBase::release()
{
    const int left = m_nRefs.fetch_sub(1) - 1;
    if (left == 0) {
        delete this;
    } else if (left < 0) {
        throw VXRuntimeError("VXCallbackBase::release: reference count below zero");
    }
}

VXCallback::VXCallback(const VXCallback& other) : m_pCallback(other.m_pCallback)
{
    if (m_pCallback != nullptr) m_pCallback->retain();
}

VXCallback& VXCallback::operator=(const VXCallback& other)
{
    // Retain first so that assigning a holder to itself never frees the object.
    if (other.m_pCallback != nullptr) other.m_pCallback->retain();
    if (m_pCallback != nullptr) m_pCallback->release();
    m_pCallback = other.m_pCallback;
    return *this;
}

VXCallback::~VXCallback()
{
    if (m_pCallback != nullptr) m_pCallback->release();
}

int VXCallback::operator()() const
{
    if (m_pCallback == nullptr) throw VXRuntimeError("VXCallback: call of an empty callback");
    return m_pCallback->invoke();
}

GThread::GThread(const VXCallback& body, const char* name, const VXCallback& onStart, const VXCallback& onStop)
    : m_objBody(body), m_objOnStart(onStart), m_objOnStop(onStop), m_strName(name != nullptr ? name : "")
{
}

GThread::~GThread()
{
    stop();
    if (!m_thread.joinable()) return;
    if (m_thread.get_id() == std::this_thread::get_id()) {
        m_thread.detach();
    } else {
        const technic_sim::TurnAside aside;
        m_thread.join();
    }
}

bool GThread::start()
{
    if (m_bRunning.load() || m_objBody.empty()) return false;
    // A thread that stopped itself has ended its last pass; collect it.
    if (m_thread.joinable()) {
        const technic_sim::TurnAside aside;
        m_thread.join();
    }
    m_bStopRequested = false;
    m_bRunning = true;
    // Under lockstep the thread takes turns with the others and, started,
    // runs to its first wait before this returns.
    technic_sim::Actor* const actor = technic_sim::enrolThread(&m_bStopRequested);
    m_thread = std::thread([this, actor] {
        technic_sim::beginThreadTurns(actor);
        run();
        technic_sim::endThreadTurns(actor);
    });
    technic_sim::yieldTurn();
    return true;
}

bool GThread::stop()
{
    // Exchange, so that of two concurrent stops only one joins.
    if (!m_bRunning.exchange(false)) return false;
    m_bStopRequested = true;
    wakeWaiters();
    // Stopped from its own body: the pass ends on its own; start or the
    // destructor joins later.
    if (m_thread.get_id() != std::this_thread::get_id()) {
        // The stopping thread takes the turn for its last pass.
        const technic_sim::TurnAside aside;
        m_thread.join();
    }
    return true;
}

int GThread::emptyFun()
{
    return 0;
}

bool GThread::stopRequested()
{
    return t_pCurrentThread != nullptr && t_pCurrentThread->m_bStopRequested.load();
}

void GThread::run()
{
    t_pCurrentThread = this;
    nameCurrentThread(m_strName);
    // An exception must not escape a thread function (it would end the
    // process); the thread ends instead and says why.
    try {
        if (!m_objOnStart.empty()) m_objOnStart();
        while (!m_bStopRequested.load()) {
            m_objBody();
            technic_sim::endPass();
        }
        if (!m_objOnStop.empty()) m_objOnStop();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "GThread %s: ended by exception: %s\n", m_strName.c_str(), error.what());
    }
    t_pCurrentThread = nullptr;
}

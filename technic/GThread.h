#ifndef TECHNIC_GTHREAD_H
#define TECHNIC_GTHREAD_H

#include <atomic>
#include <string>
#include <thread>

#include "VXRuntimeError.h"

// Reference-counted callable object. The count starts at 1 when made.
class VXCallbackBase {
public:
    virtual ~VXCallbackBase() = default;
    virtual int invoke() = 0;
    void retain();
    // Deletes the object when the count reaches 0; throws VXRuntimeError on a
    // release past 0, which means a holder was copied or freed wrongly.
    void release();
    int useCount() const { return m_nRefs.load(); }

private:
    std::atomic<int> m_nRefs{1};
};

template <class T>
class VXMemberCallback : public VXCallbackBase {
public:
    VXMemberCallback(T* object, int (T::*method)()) : m_pObject(object), m_pfnMethod(method) {}
    int invoke() override { return (m_pObject->*m_pfnMethod)(); }

private:
    T* m_pObject;
    int (T::*m_pfnMethod)();
};

class VXFunctionCallback : public VXCallbackBase {
public:
    explicit VXFunctionCallback(int (*function)()) : m_pfnFunction(function) {}
    int invoke() override { return m_pfnFunction(); }

private:
    int (*m_pfnFunction)();
};

// Holder of a VXCallbackBase; copies share the object.
class VXCallback {
public:
    VXCallback() = default;
    explicit VXCallback(VXCallbackBase* adopted) : m_pCallback(adopted) {}
    VXCallback(const VXCallback& other);
    VXCallback& operator=(const VXCallback& other);
    ~VXCallback();

    template <class T>
    static VXCallback member(T* object, int (T::*method)())
    {
        return VXCallback(new VXMemberCallback<T>(object, method));
    }
    static VXCallback function(int (*fn)()) { return VXCallback(new VXFunctionCallback(fn)); }

    // Throws VXRuntimeError when the holder is empty.
    int operator()() const;
    bool empty() const { return m_pCallback == nullptr; }
    int useCount() const { return m_pCallback ? m_pCallback->useCount() : 0; }

private:
    VXCallbackBase* m_pCallback = nullptr;
};

// A named worker thread that calls its body again and again until stopped;
// the body paces itself. onStart runs once on the new thread before the first
// pass, onStop once after the last.
class GThread {
public:
    GThread(const VXCallback& body, const char* name, const VXCallback& onStart, const VXCallback& onStop);
    ~GThread(); // stops a running thread
    GThread(const GThread&) = delete;
    GThread& operator=(const GThread&) = delete;

    // False when already running.
    bool start();
    // Asks the thread to end and waits for the running pass to finish;
    // false when it was not running.
    bool stop();
    bool isRunning() const { return m_bRunning.load(); }
    const std::string& name() const { return m_strName; }

    static int emptyFun();
    // True on a GThread whose stop has been asked: framework waits end early.
    static bool stopRequested();
    // Wakes any framework wait so a stop request is seen at once.
    static void wakeWaiters();

private:
    void run();

    VXCallback m_objBody;
    VXCallback m_objOnStart;
    VXCallback m_objOnStop;
    std::string m_strName;
    std::thread m_thread;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bStopRequested{false};
};

#endif

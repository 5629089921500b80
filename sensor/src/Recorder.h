// The flight recorder: off unless the switch file exists at init. When on it
// appends every host operation that enters the library (its name, inputs,
// result and outputs) and the ISP calls it caused, with the time, to a
// bounded log of two rotated files, in sensorctl's script syntax with the
// results as comments (docs/recorder.md). A write that fails is dropped and
// counted; a host call never waits on the medium.
#ifndef SENSOR_SRC_RECORDER_H
#define SENSOR_SRC_RECORDER_H

#include <atomic>
#include <string>

#include "SensorTypes.h"
#include "SensorZoomFocusParam.h"
#include "ia_ioctrl.h"

class ISensorController;

namespace sensor {
namespace recorder {

constexpr const char* kSwitchFile = "/mnt/mtd/log/sensor_record.on";
constexpr const char* kLogFile = "/mnt/mtd/log/sensor_record.0";
constexpr const char* kPreviousLogFile = "/mnt/mtd/log/sensor_record.1";
constexpr unsigned kDefaultLimitKb = 256;

#if SENSOR_RECORDER
extern std::atomic<bool> g_bActive;
// Depth of recorded operations on this thread: only the outermost is written.
int& depth();

// Reads the switch file; the only probe (init calls it).
void probe();
// Whether this operation is to be recorded: the recorder is on and no
// recorded operation encloses it on this thread.
inline bool shouldRecord()
{
    return __builtin_expect(g_bActive.load(std::memory_order_relaxed), 0) && depth() == 0;
}
// One ISP call made by the dispatch; the enclosing operation's, if any.
void ispCall(int channel, u32 cmd, u32 opt, const void* payload, int result);
inline void noteIspCall(int channel, u32 cmd, u32 opt, const void* payload, int result)
{
    if (__builtin_expect(g_bActive.load(std::memory_order_relaxed), 0)) ispCall(channel, cmd, opt, payload, result);
}
// Records dropped since the process started.
unsigned long long dropped();
#else
// A build may leave the recorder out (SENSOR_RECORDER off); start-up, the
// dispatch and the sensor thread then call these.
inline void probe() {}
inline void noteIspCall(int, u32, u32, const void*, int) {}
#endif

// One recorded operation, open from its entry to its result.
class Call {
public:
    Call(const ISensorController& self, const char* name);
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    // Arguments of the command line and values of the result comment.
    void input(long long value);
    void input(const std::string& text);
    // The next input is the count of these records: written as pair text.
    void records(const KeyVal* records);
    void output(long long value);
    void output(const std::string& text);
    // The words of a fixed record given by pointer (none for a null one).
    void inputWords(const void* record, unsigned words);
    // One "# isp" line of an ISP call the operation caused.
    void isp(const char* line);
    // The result line; a text result is written as an output is.
    void finish(long long result);
    void finish(const std::string& result);

private:
    void write();

    std::string m_strLine;
    std::string m_strIsp;
    const KeyVal* m_pRecords;
    std::string m_strResult;
};

// How each parameter type of an operation is written: a value is an input;
// a reference the operation fills is an output, and an input too when the
// operation reads it first (kInOut). A record array is written as pair text
// with the count that follows it.
enum RefKind { kOut, kInOut };
template <typename P>
struct Arg;
template <typename V>
struct ValueArg {
    static void before(Call& call, RefKind, V value) { call.input(static_cast<long long>(value)); }
    static void after(Call&, V) {}
};
template <>
struct Arg<int> : ValueArg<int> {};
template <>
struct Arg<u32> : ValueArg<u32> {};
template <>
struct Arg<bool> : ValueArg<bool> {};
template <typename V>
struct RefArg {
    static void before(Call& call, RefKind kind, V& value)
    {
        if (kind == kInOut) call.input(static_cast<long long>(value));
    }
    static void after(Call& call, V& value) { call.output(static_cast<long long>(value)); }
};
template <>
struct Arg<int&> : RefArg<int> {};
template <>
struct Arg<u32&> : RefArg<u32> {};
template <>
struct Arg<bool&> : RefArg<bool> {};
template <>
struct Arg<const std::string&> {
    static void before(Call& call, RefKind, const std::string& text) { call.input(text); }
    static void after(Call&, const std::string&) {}
};
template <>
struct Arg<std::string&> {
    static void before(Call& call, RefKind kind, std::string& text)
    {
        if (kind == kInOut) call.input(text);
    }
    static void after(Call& call, std::string& text) { call.output(text); }
};
template <>
struct Arg<KeyVal*> {
    static void before(Call& call, RefKind, KeyVal* records) { call.records(records); }
    static void after(Call&, KeyVal*) {}
};
// The lens lock: its one flag.
template <>
struct Arg<SensorZoomFocusParam&> {
    static void before(Call& call, RefKind kind, SensorZoomFocusParam& lock)
    {
        if (kind == kInOut) call.input(lock.getLockZoomFocusEnable());
    }
    static void after(Call& call, SensorZoomFocusParam& lock) { call.output(lock.getLockZoomFocusEnable()); }
};
// The one untyped parameter of the interface: the illuminator's record
// (setIrLedInfo), written as its int32 words.
constexpr unsigned kIrLedInfoWords = IA_IR_LED_INFO_LEN / sizeof(int32_t);
template <>
struct Arg<void*> {
    static void before(Call& call, RefKind, void* record) { call.inputWords(record, kIrLedInfoWords); }
    static void after(Call&, void*) {}
};

template <typename... P>
struct Args;
template <>
struct Args<> {
    static void before(Call&, RefKind) {}
    static void after(Call&) {}
};
template <typename H, typename... T>
struct Args<H, T...> {
    template <typename A, typename... B>
    static void before(Call& call, RefKind kind, A& head, B&... tail)
    {
        Arg<H>::before(call, kind, head);
        Args<T...>::before(call, kind, tail...);
    }
    template <typename A, typename... B>
    static void after(Call& call, A& head, B&... tail)
    {
        Arg<H>::after(call, head);
        Args<T...>::after(call, tail...);
    }
};

// The overloads of setParameters.
typedef int (ISensorController::*SetRecords)(KeyVal*, u32, bool);
typedef int (ISensorController::*SetText)(const std::string&, bool);

#if SENSOR_RECORDER
// Marks a sensor thread's pass or a start-up: the operations it calls are
// the library's own, not the host's; its ISP calls are written on their own.
class Inside {
public:
    Inside() { ++depth(); }
    ~Inside() { --depth(); }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;
};

// Calls the operation again inside a recorded call (the inner entry sees the
// depth and runs its body) and writes it with its result.
template <typename R, typename... P, typename... A>
R record(ISensorController& self, RefKind kind, const char* name, R (ISensorController::*method)(P...), A&... args)
{
    Call call(self, name);
    Args<P...>::before(call, kind, args...);
    const R result = (self.*method)(args...);
    Args<P...>::after(call, args...);
    call.finish(result);
    return result;
}

// An operation without a result is written with 0.
template <typename... P, typename... A>
void record(ISensorController& self, RefKind kind, const char* name, void (ISensorController::*method)(P...), A&... args)
{
    Call call(self, name);
    Args<P...>::before(call, kind, args...);
    (self.*method)(args...);
    Args<P...>::after(call, args...);
    call.finish(0);
}

#else
struct Inside {
    Inside() {}
};
#endif

} // namespace recorder
} // namespace sensor

#if SENSOR_RECORDER
// The one line at the entry of a recorded host operation:
// SENSOR_RECORD(method, its parameters...).
#define SENSOR_RECORD(...)                   \
    if (::sensor::recorder::shouldRecord()) \
    return ::sensor::recorder::record(*this, ::sensor::recorder::kOut, SENSOR_RECORD_NAME(__VA_ARGS__, 0), \
                                      &ISensorController::__VA_ARGS__)
// The same for an operation that reads the references it is given.
#define SENSOR_RECORD_INOUT(...)             \
    if (::sensor::recorder::shouldRecord()) \
    return ::sensor::recorder::record(*this, ::sensor::recorder::kInOut, SENSOR_RECORD_NAME(__VA_ARGS__, 0), \
                                      &ISensorController::__VA_ARGS__)
// For an overloaded operation: `signature` names its member-pointer type.
#define SENSOR_RECORD_AS(signature, method, ...)                                                         \
    if (::sensor::recorder::shouldRecord())                                                             \
    return ::sensor::recorder::record(*this, ::sensor::recorder::kOut, #method,                         \
                                      static_cast<::sensor::recorder::signature>(&ISensorController::method), \
                                      __VA_ARGS__)
#define SENSOR_RECORD_NAME(method, ...) #method
#else
// Left out of the build (SENSOR_RECORDER off): nothing at the entries.
#define SENSOR_RECORD(...) static_cast<void>(0)
#define SENSOR_RECORD_INOUT(...) static_cast<void>(0)
#define SENSOR_RECORD_AS(...) static_cast<void>(0)
#endif

#endif

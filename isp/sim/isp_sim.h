// Control side of the simulated ISP (libisp.so on a PC). The sensor library
// only sees ia_ioctrl_v2; tests and tools use these functions to shape what
// the ISP answers and to read back every call it received.
//
// The simulated ISP keeps:
//   - an int32 per (channel, command): SET stores it, GET returns it (0 when
//     never set);
//   - the last record per (channel, command) for commands that carry one
//     (day/night thresholds and times, sensor check, IR LED info); a SET
//     also stores the command's own field as its plain value, and a GET of
//     such a command writes that one int32 only;
//   - the published dynamic command list and one range per command;
//   - an execution status per command, a version text, the sensor-check
//     result word, forced failures, planted faults and a trace of every call.
// All functions are thread-safe.
#ifndef ISP_SIM_H
#define ISP_SIM_H

#include "ia_ioctrl.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace isp_sim {

// One call of ia_ioctrl_v2 as the simulated ISP saw it.
struct IspCall {
    int channel = 0;
    uint32_t command = 0;
    uint32_t option = 0;
    // SET and CORRECT: the value given; GET and execution status: the value
    // written back (0 when the call failed).
    int32_t value = 0;
    // CORRECT: the value after correction (equal to value otherwise).
    int32_t corrected = 0;
    // Record commands: the record words sent or written back. List query:
    // cmd_cnt then the entries written. Range query: kind, default, min,
    // max, items_cnt, then the items written.
    std::vector<int32_t> record;
    std::string text;      // version text written by a GET of 2496
    bool nullData = false; // the caller passed no data pointer
    int result = 0;
};

// A published range. items empty: the range is [min, max].
struct DynamicRange {
    int32_t kind = 0;
    int32_t defaultValue = 0;
    int32_t min = 0;
    int32_t max = 0;
    std::vector<int32_t> items;
    // items_cnt reported to callers; -1 reports items.size(). Whatever is
    // reported, at most IA_DYNAMIC_ITEMS_MAX items are written.
    int32_t reportedItems = -1;
};

// Empties values, records, list, ranges, statuses, failures, faults and the
// trace, restores the default version text and sensor-check result, and lets
// held and slowed calls go (releaseCalls, slowCalls(0)). The call observer is
// kept.
void reset();

// Applies a profile file (a device path, resolved under SENSOR_ROOTFS) on
// top of the current state. Bad lines are reported on stderr and skipped;
// returns false when the file cannot be read or any line was bad.
bool loadProfile(const std::string& devicePath);

void setValue(int channel, uint32_t command, int32_t value);
int32_t value(int channel, uint32_t command);
// Words of the last record stored for a record command; empty when none.
std::vector<int32_t> record(int channel, uint32_t command);

// commands.size() entries are kept, at most IA_DYNAMIC_CMDS_MAX are written;
// cmd_cnt reports reportedCount, or commands.size() when it is negative.
void setDynamicCommands(std::vector<int32_t> commands, int reportedCount = -1);
void setRange(uint32_t command, const DynamicRange& range);

// Makes calls of the command fail with -1 and no effect: every option, or
// only the given one.
void failCommand(uint32_t command, int option = -1);
void clearFailures();

// Faults a command can be given to prove that a checker catches them.
struct CommandFault {
    bool ignoreSets = false; // SET succeeds but keeps the old value
    int32_t skew = 0;        // GET answers the held value plus this
    // SET holds the value only within [holdMin, holdMax], clamping it there,
    // whatever range the command publishes.
    bool holds = false;
    int32_t holdMin = 0;
    int32_t holdMax = 0;
};
// Replaces the command's faults; a default CommandFault clears them.
void setFault(uint32_t command, const CommandFault& fault);
CommandFault plantedFault(uint32_t command);

void setExecStatus(uint32_t command, int32_t status);
void setVersionText(const std::string& text);
void setSensorCheckResult(int32_t result);

std::vector<IspCall> trace();
void clearTrace();
// Calls of the command, of every option or of the given one.
std::vector<IspCall> calls(uint32_t command, int option = -1);
size_t countCalls(uint32_t command, int option = -1);
// The trace keeps the latest calls up to this many.
constexpr size_t kTraceLimit = 100000;

// Called after every call, outside the ISP's lock (nullptr: none).
void setCallObserver(std::function<void(const IspCall&)> observer);

// Holds every call of the command and option before it is served (outside
// the ISP's lock) until releaseCalls, so a test can keep a caller inside an
// ISP call for as long as it needs. One command and option at a time.
void holdCalls(uint32_t command, uint32_t option);
// Blocks in real time until `count` calls are held; false on timeout.
bool waitForHeldCalls(size_t count = 1, int realTimeoutMs = 5000);
// Lets the held calls go, and every later one.
void releaseCalls();
// Every call takes this much longer in real time (0: no longer), so that
// callers of the ISP meet more often.
void slowCalls(unsigned microseconds);

// "SET", "GET", "RANGE", "CORRECT", "STATUS", or "OPT<n>".
std::string optionName(uint32_t option);
// One line without newline, tab-separated: channel, command, option name,
// payload (value, "a->b" for a correction, record words, quoted text or
// "null"), and "ok" or "fail <result>".
std::string formatCall(const IspCall& call);

} // namespace isp_sim

#endif

// A device for the benchmarks: a temporary copy of the sample tree named by
// SENSOR_ROOTFS, the simulated ISP reset and loaded with the tree's profile,
// the simulated clock, and channel 1 started through the real init. The
// sensor thread then waits on the simulated clock and never runs a pass, so
// nothing moves behind a measurement.
#ifndef BENCH_BENCH_DEVICE_H
#define BENCH_BENCH_DEVICE_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "ModuleConfigure.h"
#include "QuietVideo.h"
#include "SimClock.h"

namespace bench {

// The protected state the benchmarks prepare or read back.
class BenchController : public ISensorController {
public:
    using ISensorController::m_nCurScheme;
    using ISensorController::m_nKeyValSum;
    using ISensorController::m_ppUserKeyVal;
    using ISensorController::m_stSysConf;
};

// Points stdout at /dev/null for the life of the object: the library prints
// on the console, the benchmark table should stay readable.
class SilentStdout {
public:
    SilentStdout();
    ~SilentStdout();
    SilentStdout(const SilentStdout&) = delete;
    SilentStdout& operator=(const SilentStdout&) = delete;

private:
    int m_saved = -1;
};

// A temporary copy of the sample tree as the device root, removed afterwards.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    bool ready() const { return !m_path.empty(); }
    std::string host(const std::string& devicePath) const { return m_path + devicePath; }
    void remove(const std::string& devicePath) const;

private:
    std::string m_path;
};

// The first module configuration of the tree (channel 1); empty when none.
ModuleConfigure channelOneConfig();

// Runs an operation that waits once on the simulated clock (init does, for
// its first sensor-thread pass) while a helper moves the clock past that
// wait as soon as it begins, so the second is never spent. Returns the real
// seconds the operation took, less the helper's moving of the clock; the two
// thread hand-overs around it stay in (init/clock_residue measures them).
double secondsPastTheWait(const std::function<void()>& operation);

class BenchDevice {
public:
    BenchDevice();
    ~BenchDevice();
    BenchDevice(const BenchDevice&) = delete;
    BenchDevice& operator=(const BenchDevice&) = delete;

    bool ready() const { return m_bStarted; }
    BenchController& controller() { return *m_controller; }
    const TempTree& tree() const { return m_tree; }

    // The current scheme's set (scheme 0 after start-up) as records.
    std::vector<KeyVal> currentSet();
    // One record for each row of the key table, in table order, valued as
    // the current set holds it, else 0.
    std::vector<KeyVal> keyTableSet();
    // Overwrites a scheme's set in the cache, without the ISP.
    void fillScheme(u32 scheme, const std::vector<KeyVal>& records);

private:
    TempTree m_tree;
    technic_sim::SimulatedClockScope m_clock;
    QuietVideo m_video;
    std::unique_ptr<BenchController> m_controller;
    bool m_bStarted = false;
};

} // namespace bench

#endif

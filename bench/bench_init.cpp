// Start-up of channel 1 on a temporary copy of the sample tree, with the
// stand-in clock: the one-second wait of init's first sensor-thread pass is
// moved on at once and its time left out.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <memory>

#include "BenchDevice.h"
#include "VexloTime.h"
#include "isp_sim.h"

namespace {

enum class Boot {
    Warm,  // scheme files and version stamp present, as on every later start
    First, // neither: init writes the stamp and a file per scheme
};

constexpr int kSchemeFiles = 4;

void forgetSchemes(const bench::TempTree& tree)
{
    for (int scheme = 0; scheme < kSchemeFiles; ++scheme) {
        char name[64];
        std::snprintf(name, sizeof name, "/mnt/mtd/code/config_file/sensor1_%d.cfg", scheme);
        tree.remove(name);
    }
    tree.remove("/mnt/mtd/code/config_file/snsversion.cfg");
}

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Wall time less the wait, and the starting thread's own processor time as
// the counter cpu_ms: the wall time also holds the disk and, on a first
// boot, the shell that deletes the old scheme files.
void initChannel(benchmark::State& state, Boot boot)
{
    bench::TempTree tree;
    if (!tree.ready()) return state.SkipWithError("no temporary tree");
    technic_sim::SimulatedClockScope clock;
    bench::SilentStdout quiet;
    isp_sim::reset();
    isp_sim::loadProfile("/mnt/mtd/isp_profile.ini");
    technic_sim::setLocalTime(12, 0, 0);
    const ModuleConfigure config = bench::channelOneConfig();
    QuietVideo video;
    double cpuSeconds = 0;
    for (auto _ : state) {
        if (boot == Boot::First) forgetSchemes(tree);
        // Constructed outside the measurement: the constructor reads the tree too.
        auto controller = std::make_unique<ISensorController>();
        controller->setChannelID(1);
        controller->setVideoStreamModule(&video);
        const double cpuBefore = threadCpuSeconds();
        state.SetIterationTime(bench::secondsPastTheWait([&] { controller->init(config); }));
        cpuSeconds += threadCpuSeconds() - cpuBefore;
        controller->uinit();
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
    isp_sim::reset();
}

// What the exclusion leaves of a bare wait: the hand-over between the helper
// and the waiting thread, contained in every init figure.
void clockResidue(benchmark::State& state)
{
    technic_sim::SimulatedClockScope clock;
    for (auto _ : state) {
        state.SetIterationTime(bench::secondsPastTheWait([] { VexloTime::wait(VexloTime(1, 0)); }));
    }
}

BENCHMARK_CAPTURE(initChannel, warm, Boot::Warm)->Name("init/warm")->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(initChannel, first, Boot::First)
    ->Name("init/first_boot")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(clockResidue)->Name("init/clock_residue")->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

// Saving a scheme: the in-place write that flush used to do against the
// power-safe save it does now. A third case, the same temporary and rename
// without the two fsyncs, isolates what the syncs cost.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchDevice.h"
#include "SensorFile.h"
#include "VXFile.h"

namespace {

const char* const kScheme = "/mnt/mtd/code/config_file/sensor1_0.cfg";
const char* const kSchemeTemp = "/mnt/mtd/code/config_file/sensor1_0.cfg.tmp";
const unsigned char kRewrite = VXFile::modeWrite | VXFile::modeTruncate;

// Channel 1 started with its scheme 0 saved once; `bytes` is what every
// flush writes.
class FlushDevice {
public:
    FlushDevice()
    {
        if (!device.ready() || device.controller().flush() != SNS_SUCCESS) return;
        const INT64 length = getFileLen(kScheme);
        bytes.assign(static_cast<size_t>(length > 0 ? length : 0), '\0');
        ready = length > 0 && loadFromFile(kScheme, &bytes[0], length) == length;
    }

    bench::BenchDevice device;
    std::string bytes;
    bool ready = false;
};

bool writeWhole(const char* name, const std::string& bytes)
{
    VXFile file;
    const auto length = static_cast<unsigned int>(bytes.size());
    return file.open(name, kRewrite) && file.write(bytes.data(), length) == length;
}

void describe(benchmark::State& state, const FlushDevice& device, const char* label)
{
    state.SetLabel(label);
    state.counters["file_bytes"] = static_cast<double>(device.bytes.size());
}

void flushBeforeInPlace(benchmark::State& state)
{
    FlushDevice device;
    if (!device.ready) return state.SkipWithError("the sample tree did not start");
    for (auto _ : state) {
        if (!writeWhole(kScheme, device.bytes)) return state.SkipWithError("in-place write failed");
    }
    describe(state, device, "old path: truncate + write in place, no fsync");
}

void flushTempRenameNoSync(benchmark::State& state)
{
    FlushDevice device;
    if (!device.ready) return state.SkipWithError("the sample tree did not start");
    for (auto _ : state) {
        if (!writeWhole(kSchemeTemp, device.bytes) || !VXFile::rename(kSchemeTemp, kScheme)) {
            return state.SkipWithError("temporary save failed");
        }
    }
    describe(state, device, "reference: temp + rename, no fsync");
}

void flushAfterPowerSafe(benchmark::State& state)
{
    FlushDevice device;
    if (!device.ready) return state.SkipWithError("the sample tree did not start");
    for (auto _ : state) {
        if (device.device.controller().flush() != SNS_SUCCESS) return state.SkipWithError("flush failed");
    }
    describe(state, device, "flush now: temp + fsync(file) + rename + fsync(folder)");
}

// Real time: an fsync waits for the disk, not for the processor.
BENCHMARK(flushBeforeInPlace)->Name("flush/before_in_place")->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(flushTempRenameNoSync)->Name("flush/temp_rename_no_fsync")->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(flushAfterPowerSafe)->Name("flush/after_power_safe")->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

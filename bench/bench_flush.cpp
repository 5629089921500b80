// Saving a scheme: the in-place write that flush used to do against the
// power-safe save it does now. A third case, the same temporary and rename
// without the two fsyncs, isolates what the syncs cost.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SensorFile.h"
#include "SensorKeys.h"
#include "VXFile.h"
#include "VideoStreamModule.h"
#include "isp_sim.h"

namespace {

namespace fs = std::filesystem;

const char* const kScheme = "/mnt/mtd/code/config_file/sensor1_0.cfg";
const char* const kSchemeTemp = "/mnt/mtd/code/config_file/sensor1_0.cfg.tmp";
const unsigned char kRewrite = VXFile::modeWrite | VXFile::modeTruncate;

class QuietVideo : public VideoStreamModule {
public:
    void getAVStreamParams(std::vector<AVStreamParam>&) override {}
    int notifySensorParam(int, int, int) override { return 0; }
    void getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam&) override {}
    int isBusy() override { return 0; }
};

// Start-up prints to stdout; the benchmark table should stay readable.
class SilentStdout {
public:
    SilentStdout()
    {
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    ~SilentStdout()
    {
        std::fflush(stdout);
        if (m_saved >= 0) {
            dup2(m_saved, STDOUT_FILENO);
            close(m_saved);
        }
    }
    SilentStdout(const SilentStdout&) = delete;
    SilentStdout& operator=(const SilentStdout&) = delete;

private:
    int m_saved = -1;
};

// A temporary copy of the sample device tree with channel 1 started on it
// and its scheme 0 saved once; `bytes` is what every flush writes.
class FlushDevice {
public:
    FlushDevice()
    {
        std::string pattern = (fs::temp_directory_path() / "sensor-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        m_root = pattern;
        fs::copy(SENSOR_EXAMPLE_ROOTFS, m_root, fs::copy_options::recursive);
        setenv("SENSOR_ROOTFS", m_root.c_str(), 1);

        SilentStdout quiet;
        isp_sim::reset();
        isp_sim::loadProfile("/mnt/mtd/isp_profile.ini");
        MachineInfo machine;
        SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", machine);
        std::vector<ModuleConfigure> modules;
        ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", machine.getHardwareModel(),
                                     machine.getHardwareCode(), modules);
        if (modules.empty()) return;
        // Made only now: the controller reads the tree when constructed.
        controller = std::make_unique<ISensorController>();
        controller->setChannelID(1);
        controller->setVideoStreamModule(&m_video);
        m_bStarted = controller->init(modules[0]);
        // A fresh scheme holds the empty window 00:00-00:00, which flush refuses.
        controller->setParameter(KEY_SCHEME_START_HOUR, 0, true);
        controller->setParameter(KEY_SCHEME_END_HOUR, 24, true);
        if (!m_bStarted || controller->flush() != SNS_SUCCESS) return;
        const INT64 length = getFileLen(kScheme);
        bytes.assign(static_cast<size_t>(length > 0 ? length : 0), '\0');
        ready = length > 0 && loadFromFile(kScheme, &bytes[0], length) == length;
    }
    ~FlushDevice()
    {
        if (m_bStarted) {
            SilentStdout quiet;
            controller->uinit();
        }
        controller.reset();
        unsetenv("SENSOR_ROOTFS");
        std::error_code ignored;
        if (!m_root.empty()) fs::remove_all(m_root, ignored);
    }
    FlushDevice(const FlushDevice&) = delete;
    FlushDevice& operator=(const FlushDevice&) = delete;

    std::unique_ptr<ISensorController> controller;
    std::string bytes;
    bool ready = false;

private:
    std::string m_root;
    QuietVideo m_video;
    bool m_bStarted = false;
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
        if (device.controller->flush() != SNS_SUCCESS) return state.SkipWithError("flush failed");
    }
    describe(state, device, "flush now: temp + fsync(file) + rename + fsync(folder)");
}

// Real time: an fsync waits for the disk, not for the processor.
BENCHMARK(flushBeforeInPlace)->Name("flush/before_in_place")->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(flushTempRenameNoSync)->Name("flush/temp_rename_no_fsync")->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(flushAfterPowerSafe)->Name("flush/after_power_safe")->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

#include "BenchDevice.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "MachineInfo.h"
#include "isp_sim.h"

namespace bench {

namespace fs = std::filesystem;

SilentStdout::SilentStdout()
{
    std::fflush(stdout);
    m_saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        close(null);
    }
}

SilentStdout::~SilentStdout()
{
    std::fflush(stdout);
    if (m_saved >= 0) {
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
}

TempTree::TempTree()
{
    std::string pattern = (fs::temp_directory_path() / "sensor-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    std::error_code failed;
    fs::copy(SENSOR_EXAMPLE_ROOTFS, pattern, fs::copy_options::recursive, failed);
    if (failed) {
        fs::remove_all(pattern, failed);
        return;
    }
    m_path = pattern;
    setenv("SENSOR_ROOTFS", m_path.c_str(), 1);
}

TempTree::~TempTree()
{
    if (m_path.empty()) return;
    unsetenv("SENSOR_ROOTFS");
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

void TempTree::remove(const std::string& devicePath) const
{
    std::error_code ignored;
    fs::remove(host(devicePath), ignored);
}

ModuleConfigure channelOneConfig()
{
    MachineInfo machine;
    SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", machine);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", machine.getHardwareModel(),
                                 machine.getHardwareCode(), modules);
    return modules.empty() ? ModuleConfigure() : modules[0];
}

double secondsPastTheWait(const std::function<void()>& operation)
{
    using Clock = std::chrono::steady_clock;
    const long entries = technic_sim::waitEntries();
    double blocked = 0;
    // Only the first wait is moved on: the sensor thread that init starts
    // stays blocked in its own until uinit stops it.
    std::thread helper([entries, &blocked] {
        if (!technic_sim::waitForWaitEntries(entries + 1, 10000)) return;
        const Clock::time_point seen = Clock::now();
        technic_sim::advance(1, 0);
        blocked = std::chrono::duration<double>(Clock::now() - seen).count();
    });
    const Clock::time_point start = Clock::now();
    operation();
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    helper.join();
    return total - blocked;
}

BenchDevice::BenchDevice()
{
    if (!m_tree.ready()) return;
    SilentStdout quiet;
    isp_sim::reset();
    isp_sim::loadProfile("/mnt/mtd/isp_profile.ini");
    technic_sim::setLocalTime(12, 0, 0);
    const ModuleConfigure config = channelOneConfig();
    // Made only now: the controller reads the tree when constructed.
    m_controller = std::make_unique<BenchController>();
    m_controller->setChannelID(1);
    m_controller->setVideoStreamModule(&m_video);
    secondsPastTheWait([this, &config] { m_controller->init(config); });
    m_bStarted = m_controller->m_nKeyValSum > 0 && m_controller->m_nCurScheme == 0;
}

BenchDevice::~BenchDevice()
{
    if (m_controller != nullptr) {
        SilentStdout quiet;
        m_controller->uinit();
        m_controller.reset();
    }
    isp_sim::reset();
}

std::vector<KeyVal> BenchDevice::currentSet()
{
    const KeyVal* set = m_controller->m_ppUserKeyVal[m_controller->m_nCurScheme];
    return std::vector<KeyVal>(set, set + m_controller->m_nKeyValSum);
}

std::vector<KeyVal> BenchDevice::keyTableSet()
{
    const std::vector<KeyVal> set = currentSet();
    u32 rows = 0;
    const keycmd* table = m_controller->getKeyCmdMap(rows);
    std::vector<KeyVal> records;
    for (u32 row = 0; row < rows; ++row) {
        KeyVal record{table[row].nKey, 0};
        for (const KeyVal& stored : set) {
            if (stored.key == record.key) record.value = stored.value;
        }
        records.push_back(record);
    }
    return records;
}

void BenchDevice::fillScheme(u32 scheme, const std::vector<KeyVal>& records)
{
    KeyVal* set = m_controller->m_ppUserKeyVal[scheme];
    for (u32 i = 0; i < m_controller->m_nKeyValSum && i < records.size(); ++i) set[i] = records[i];
}

} // namespace bench

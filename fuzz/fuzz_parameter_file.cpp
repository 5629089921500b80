// A scheme's parameter file with any content: read by the file layer, then
// restored into a started controller (every value goes through the set
// pipeline and its handlers) and read back as a whole scheme.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SensorFile.h"
#include "isp_sim.h"

namespace {

constexpr u32 kCapacity = 256;
constexpr unsigned char kUntouched = 0xEE;

// Channel 1 of the sample tree on the sample ISP profile, started once, its
// thread stopped so that every run is one thread doing the same steps.
class FileController : public ISensorController {
public:
    FileController()
    {
        MachineInfo machine;
        SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", machine);
        std::vector<ModuleConfigure> modules;
        ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", machine.getHardwareModel(),
                                     machine.getHardwareCode(), modules);
        isp_sim::loadProfile("/mnt/mtd/isp_profile.ini");
        setChannelID(1);
        init(modules.empty() ? ModuleConfigure() : modules.front());
        m_pSensorThread->stop();
        m_strSchemeFile = schemeFileName(0);
        m_vecBaseline.assign(m_ppUserKeyVal[0], m_ppUserKeyVal[0] + m_nKeyValSum);
    }
    ~FileController() { uinit(); }

    u32 records() const { return m_nKeyValSum; }
    const std::string& schemeFile() const { return m_strSchemeFile; }
    // Scheme 0 as it was after start-up, back in its file and its set.
    void restoreBaseline()
    {
        fuzz::writeDeviceFile(m_strSchemeFile, m_vecBaseline.data(), m_vecBaseline.size() * sizeof(KeyVal));
        resetToLastParameters();
    }

private:
    std::string m_strSchemeFile;
    std::vector<KeyVal> m_vecBaseline;
};

// A read fills the array from the file's bytes and leaves the rest alone.
void checkFileLayer(const FileController& controller, const uint8_t* data, size_t size)
{
    KeyVal records[kCapacity];
    std::memset(records, kUntouched, sizeof records);
    std::string name = controller.schemeFile();
    keyValFromFile(&name[0], records, controller.records());
    const size_t wanted = sizeof(KeyVal) * controller.records();
    const size_t loaded = size < wanted ? size : wanted;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(records);
    if (loaded > 0 && std::memcmp(bytes, data, loaded) != 0) std::abort();
    for (size_t i = loaded; i < sizeof records; ++i) {
        if (bytes[i] != kUntouched) std::abort();
    }

    const INT64 length = getFileLen(name.c_str());
    if (length != static_cast<INT64>(size)) std::abort();
    std::vector<char> whole(size + 1, 0);
    if (size > 0 && loadFromFile(name.c_str(), whole.data(), length) != static_cast<int>(size)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::deviceRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FileController controller;
    if (controller.records() > kCapacity) std::abort();
    // The ISP's record of calls would only grow.
    isp_sim::clearTrace();
    controller.restoreBaseline();

    fuzz::writeDeviceFile(controller.schemeFile(), data, size);
    checkFileLayer(controller, data, size);
    controller.resetToLastParameters();
    std::string scheme;
    controller.getAllParameters(scheme);
    return 0;
}

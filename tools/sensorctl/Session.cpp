#include "Session.h"

#include <cstdio>

#include "Commands.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "SimPower.h"

namespace {
const char* const kMachineInfoFile = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const kModuleConfigFile = "/hd1/moduleConfig/moduleConfig.xml";
const char* const kIspProfile = "/mnt/mtd/isp_profile.ini";
} // namespace

Session::~Session()
{
    for (auto& entry : m_controllers) {
        if (started(entry.first)) entry.second->uinit();
    }
    isp_sim::setCallObserver(nullptr);
    m_time.end();
}

bool Session::open(bool startAll, const SimulatedStart& start, std::string& error)
{
    m_time.begin(start);
    // The tree stands for the camera's flash: saves keep their steps but skip
    // the fsyncs, which would cost a command more time than all else.
    technic_sim::setDurableSync(false);
    isp_sim::reset();
    isp_sim::loadProfile(kIspProfile);
    isp_sim::setCallObserver([this](const isp_sim::IspCall& call) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bEcho) std::fprintf(results(), "isp\t%s\n", isp_sim::formatCall(call).c_str());
        m_calls.push_back(call);
    });

    MachineInfo machine;
    SystemInfoParser::parseMachineInfo(kMachineInfoFile, machine);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse(kModuleConfigFile, machine.getHardwareModel(), machine.getHardwareCode(), modules);
    const int channels = std::max(machine.getChannelCount(), static_cast<int>(modules.size()));
    if (channels < 1) {
        error = "the device tree names no channel";
        return false;
    }
    for (int channel = 1; channel <= channels; ++channel) {
        m_videos[channel] = std::make_unique<ConsoleVideo>();
        auto controller = std::make_unique<ISensorController>();
        controller->setChannelID(channel);
        controller->setVideoStreamModule(m_videos[channel].get());
        m_configs[channel] = static_cast<size_t>(channel) <= modules.size() ? modules[channel - 1] : ModuleConfigure();
        m_controllers[channel] = std::move(controller);
    }
    if (startAll) {
        for (auto& entry : m_controllers) {
            entry.second->init(m_configs[entry.first]);
            m_started[entry.first] = true;
        }
    }
    return true;
}

std::vector<isp_sim::IspCall> Session::takeCalls()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<isp_sim::IspCall> calls;
    calls.swap(m_calls);
    return calls;
}

const StyleLimits& Session::styleLimits(int channel)
{
    auto found = m_styles.find(channel);
    if (found == m_styles.end()) {
        found = m_styles.emplace(channel, StyleLimits()).first;
        if (!started(channel)) return found->second;
        // Building the style asks the ISP for ranges: reads that belong to no command.
        const bool echo = m_bEcho;
        m_bEcho = false;
        const std::vector<isp_sim::IspCall> earlier = takeCalls();
        found->second.load(controller(channel).getUIStyleFile());
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls = earlier;
        m_bEcho = echo;
    }
    return found->second;
}

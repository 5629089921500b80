// Plays the camera's host application for the firmware build of the library.
// The framework stand-in and the simulated ISP are part of this program and
// exported from it (-rdynamic), as the host's own classes are on a camera;
// the library is loaded with dlopen and reached by mangled names, as a host
// compiled elsewhere reaches it. Two controllers run on a copy of the sample
// tree: init, a set, a get, a scheme switch, flush, uinit, and a restart that
// reads the flushed value back; the results and the ISP calls are checked.
//   firmware_host LIBRARY SAMPLE_TREE
// Checks go to standard error; the library's console lines to standard output.
#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "QuietVideo.h"
#include "SimClock.h"
#include "isp_sim.h"

namespace {

namespace fs = std::filesystem;

int g_failures = 0;

void check(bool ok, const std::string& what)
{
    std::fprintf(stderr, "%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    if (!ok) ++g_failures;
}

// The operations the test calls, found by their mangled names. Members are
// called as functions taking the object first (the Itanium C++ ABI).
struct Operations {
    void (*construct)(ISensorController*);
    void (*destroy)(ISensorController*);
    void (*setChannelID)(ISensorController*, int);
    void (*setVideoStreamModule)(ISensorController*, const VideoStreamModule*);
    bool (*init)(ISensorController*, const ModuleConfigure&);
    void (*uinit)(ISensorController*);
    int (*setParameter)(ISensorController*, int, int, bool);
    bool (*getParameter)(ISensorController*, int, int&);
    bool (*setParamScheme)(ISensorController*, int);
    bool (*getParamScheme)(ISensorController*, int&);
    int (*flush)(ISensorController*);
};

template <typename Function>
bool find(void* library, const char* name, Function& function)
{
    void* address = dlsym(library, name);
    check(address != nullptr, std::string("the library exports ") + name);
    function = reinterpret_cast<Function>(address);
    return address != nullptr;
}

bool findOperations(void* library, Operations& op)
{
    bool all = true;
    all &= find(library, "_ZN17ISensorControllerC1Ev", op.construct);
    all &= find(library, "_ZN17ISensorControllerD1Ev", op.destroy);
    all &= find(library, "_ZN17ISensorController12setChannelIDEi", op.setChannelID);
    all &= find(library, "_ZN17ISensorController20setVideoStreamModuleEPK17VideoStreamModule", op.setVideoStreamModule);
    all &= find(library, "_ZN17ISensorController4initERK15ModuleConfigure", op.init);
    all &= find(library, "_ZN17ISensorController5uinitEv", op.uinit);
    all &= find(library, "_ZN17ISensorController12setParameterEiib", op.setParameter);
    all &= find(library, "_ZN17ISensorController12getParameterEiRi", op.getParameter);
    all &= find(library, "_ZN17ISensorController14setParamSchemeEi", op.setParamScheme);
    all &= find(library, "_ZN17ISensorController14getParamSchemeERi", op.getParamScheme);
    all &= find(library, "_ZN17ISensorController5flushEv", op.flush);
    return all;
}

std::vector<ModuleConfigure> sampleModules()
{
    MachineInfo machine;
    SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", machine);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", machine.getHardwareModel(),
                                 machine.getHardwareCode(), modules);
    return modules;
}

// The value the ISP was last given for the command on a channel; -1 for none.
int32_t lastSet(int channel, uint32_t command)
{
    int32_t value = -1;
    for (const isp_sim::IspCall& call : isp_sim::calls(command, IA_CMD_OPT_SET)) {
        if (call.channel == channel) value = call.value;
    }
    return value;
}

int getValue(const Operations& op, ISensorController* controller, int key)
{
    int value = -1;
    check(op.getParameter(controller, key, value), "getParameter(" + std::to_string(key) + ")");
    return value;
}

constexpr int kBrightness = 34;

void run(const Operations& op, const std::vector<ModuleConfigure>& modules)
{
    QuietVideo video;
    ISensorController* controllers[2];
    for (int channel = 0; channel < 2; ++channel) {
        // Storage of the size the host's header gives, as a host allocates it.
        controllers[channel] = static_cast<ISensorController*>(::operator new(sizeof(ISensorController)));
        op.construct(controllers[channel]);
        op.setChannelID(controllers[channel], channel + 1);
        op.setVideoStreamModule(controllers[channel], &video);
        check(op.init(controllers[channel], modules[channel]), "init of channel " + std::to_string(channel + 1));
    }
    ISensorController* first = controllers[0];
    ISensorController* second = controllers[1];

    isp_sim::clearTrace();
    check(op.setParameter(first, kBrightness, 60, true) == 0, "channel 1: set 34=60");
    check(op.setParameter(second, kBrightness, 40, true) == 0, "channel 2: set 34=40");
    check(lastSet(0, kBrightness) == 60 && lastSet(1, kBrightness) == 40, "the ISP got 60 on channel 0, 40 on channel 1");
    check(getValue(op, first, kBrightness) == 60 && getValue(op, second, kBrightness) == 40,
          "each channel reads its own value back");
    check(op.flush(first) == 0, "channel 1: flush");

    check(op.setParamScheme(first, 1), "channel 1: switch to scheme 1");
    int scheme = -1;
    check(op.getParamScheme(first, scheme) && scheme == 1, "channel 1 is on scheme 1");
    const int schemeOne = getValue(op, first, kBrightness);
    check(schemeOne != 60 && lastSet(0, kBrightness) == schemeOne, "scheme 1's brightness reached the ISP");
    check(op.setParamScheme(first, 0) && getValue(op, first, kBrightness) == 60, "back on scheme 0: 60 again");

    for (ISensorController* controller : controllers) op.uinit(controller);
    // A restart of channel 1 reads the flushed value from its file.
    isp_sim::clearTrace();
    check(op.init(first, modules[0]), "channel 1: init again");
    check(getValue(op, first, kBrightness) == 60 && lastSet(0, kBrightness) == 60, "channel 1 starts with the flushed 60");
    op.uinit(first);

    for (ISensorController* controller : controllers) {
        op.destroy(controller);
        ::operator delete(controller);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: firmware_host LIBRARY SAMPLE_TREE\n");
        return 2;
    }
    std::string root = (fs::temp_directory_path() / "sensor-firmware-XXXXXX").string();
    if (mkdtemp(&root[0]) == nullptr) return 2;
    fs::copy(argv[2], root, fs::copy_options::recursive);
    setenv("SENSOR_ROOTFS", root.c_str(), 1);

    // Start-up waits on the framework clock: this thread moves it on.
    technic_sim::useSimulatedClock(true);
    technic_sim::driveClockFromThisThread(true);
    technic_sim::setLocalTime(12, 0, 0);
    isp_sim::reset();
    check(isp_sim::loadProfile("/mnt/mtd/isp_profile.ini"), "the sample ISP profile loads");

    // RTLD_NOW: every framework and ISP symbol binds now, to this program.
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    check(library != nullptr, std::string("dlopen: ") + (library != nullptr ? argv[1] : dlerror()));
    Operations op{};
    const std::vector<ModuleConfigure> modules = sampleModules();
    check(modules.size() == 2, "the sample tree has two channels");
    if (library != nullptr && findOperations(library, op) && modules.size() == 2) run(op, modules);
    if (library != nullptr) dlclose(library);

    fs::remove_all(root);
    std::fprintf(stderr, "%s\n", g_failures == 0 ? "all checks passed" : "some checks FAILED");
    return g_failures == 0 ? 0 : 1;
}

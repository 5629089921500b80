// A started controller on the sample tree, driven as a host would: any of its
// get, set, sensor check and range operations with any key 0..65535, any
// value and any text. No call may make the ISP or the library touch memory
// outside its buffers, whatever command carries a record.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ISensorController.h"
#include "MachineInfo.h"
#include "ModuleConfigure.h"
#include "QuietVideo.h"
#include "isp_sim.h"

namespace {

// Started once per process; its sensor thread runs on the real clock.
ISensorController& startedController()
{
    fuzz::deviceRoot();
    isp_sim::loadProfile("/mnt/mtd/isp_profile.ini");
    MachineInfo machine;
    SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", machine);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", machine.getHardwareModel(),
                                 machine.getHardwareCode(), modules);
    static QuietVideo video;
    static ISensorController controller;
    controller.setChannelID(1);
    controller.setVideoStreamModule(&video);
    controller.init(modules.empty() ? ModuleConfigure() : modules.front());
    return controller;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ISensorController& controller = startedController();
    fuzz::ByteReader reader(data, size);
    const uint8_t operation = reader.u8();
    const int key = reader.u8() | (reader.u8() << 8);
    int value = reader.i32();
    const bool store = (operation & 0x80) != 0;
    std::string text = reader.rest();
    std::string out;
    switch (operation % 6) {
    case 0: controller.getParameter(key, value); break;
    case 1: controller.setParameter(key, value, store); break;
    case 2: controller.getParameters(text, out); break;
    case 3: controller.setParameters(text, store); break;
    case 4: controller.SensorCheck(text); break;
    default: controller.getSensorParamRange(key, value, out); break;
    }
    return 0;
}

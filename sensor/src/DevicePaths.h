// Device files the library reads and writes, as the camera names them.
#ifndef SENSOR_SRC_DEVICE_PATHS_H
#define SENSOR_SRC_DEVICE_PATHS_H

namespace sensor {

constexpr const char* kMachineInfoFile = "/mnt/mtd/code/factory_setting/machineinfo.ini";
constexpr const char* kModuleConfigFile = "/hd1/moduleConfig/moduleConfig.xml";
constexpr const char* kMergedStyleFile = "/tmp/merge_style_ch%d.xml"; // camera id
constexpr const char* kSchemeFile = "/mnt/mtd/code/config_file/sensor%d_%d.cfg"; // camera id, scheme
constexpr const char* kThermalSchemeFile = "/mnt/mtd/code/config_file/sensor-thermal%d.cfg"; // scheme

} // namespace sensor

#endif

// Existence tests on device paths (resolved under SENSOR_ROOTFS on a PC).
#ifndef SENSOR_SRC_DEVICE_FILES_H
#define SENSOR_SRC_DEVICE_FILES_H

#include <string>
#include <unistd.h>

#include "DevicePath.h"

namespace sensor {

inline bool deviceFileExists(const std::string& devicePath)
{
    return access(technic::devicePath(devicePath).c_str(), F_OK) == 0;
}

} // namespace sensor

#endif

// Device-type facts the controller and the system configuration share.
#ifndef SENSOR_SRC_DEVICE_TYPES_H
#define SENSOR_SRC_DEVICE_TYPES_H

#include "MachineInfo.h"

namespace sensor {

// Single-sensor thermal device: its only channel is camera 2.
constexpr int kThermalOnlyDeviceType = DeviceType::THERMAL_DEVICE;
// The licence-plate camera type.
constexpr int kLicencePlateDeviceType = DeviceType::LPR;

// Devices whose second channel is the thermal one.
inline bool hasThermalSecondChannel(int deviceType)
{
    switch (deviceType) {
    case DeviceType::THERMAL_DEVICE:
    case DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE:
    case DeviceType::HUMAN_TEMPERATURE:
    case DeviceType::THERMAL_DOUBLE_SENSOR_DOME_DEVICE:
    case DeviceType::DOMECORE_THERMAL_DEVICE:
        return true;
    default:
        return false;
    }
}

} // namespace sensor

#endif

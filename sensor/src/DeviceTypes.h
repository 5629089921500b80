// Device-type facts the controller and the system configuration share.
#ifndef SENSOR_SRC_DEVICE_TYPES_H
#define SENSOR_SRC_DEVICE_TYPES_H

namespace sensor {

// Single-sensor thermal device: its only channel is camera 2.
constexpr int kThermalOnlyDeviceType = 13;
// The licence-plate camera type.
constexpr int kLicencePlateDeviceType = 8;

// Devices whose second channel is the thermal one.
inline bool hasThermalSecondChannel(int deviceType)
{
    switch (deviceType) {
    case 13:
    case 14:
    case 17:
    case 19:
    case 23:
        return true;
    default:
        return false;
    }
}

} // namespace sensor

#endif

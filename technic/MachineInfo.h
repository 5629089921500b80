#ifndef TECHNIC_MACHINE_INFO_H
#define TECHNIC_MACHINE_INFO_H

#include <string>

// Factory facts of the device. An unparsed object reports device type 0,
// an empty hardware model and code, and one channel.
class MachineInfo {
public:
    int getDeviceType() const { return m_nDeviceType; }
    const std::string& getHardwareModel() const { return m_strHardwareModel; }
    const std::string& getHardwareCode() const { return m_strHardwareCode; }
    int getChannelCount() const { return m_nChannelCount; }

    void setDeviceType(int type) { m_nDeviceType = type; }
    void setHardwareModel(const std::string& model) { m_strHardwareModel = model; }
    void setHardwareCode(const std::string& code) { m_strHardwareCode = code; }
    void setChannelCount(int count) { m_nChannelCount = count; }

private:
    int m_nDeviceType = 0;
    std::string m_strHardwareModel;
    std::string m_strHardwareCode;
    int m_nChannelCount = 1;
};

class SystemInfoParser {
public:
    // Reads the machine-information file (format in docs/device-files.md).
    // False when the file is missing or unreadable; fields it lacks keep the
    // values they had.
    static bool parseMachineInfo(const std::string& fileName, MachineInfo& info);
};

class DeviceType {
public:
    enum Id {
        IPCAMERA = 1,
        IPDOME = 4,
        LPR = 8,
        FACE_DETECT = 9,
        VEHICLE_DETECT = 11,
        THERMAL_DEVICE = 13,
        THERMAL_DOUBLE_SENSOR_DEVICE = 14,
        IPP = 15,
        AIMULTI_OBJECT_DETECT = 16,
        HUMAN_TEMPERATURE = 17,
        FISHEYE = 18,
        THERMAL_DOUBLE_SENSOR_DOME_DEVICE = 19,
        DOMECORE = 20,
        BINOCULAR_DEVICE = 22,
        DOMECORE_THERMAL_DEVICE = 23,
        THERMAL_IPDOME = 104,
    };

    void setDeviceTypeId(int id) { m_nId = id; }
    int getDeviceTypeId() const { return m_nId; }

private:
    int m_nId = 0;
};

#endif

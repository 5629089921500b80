// System configuration of one channel: the host's module configuration, the
// factory device type and the merged UI style.
#include "sensor.h"

#include <cstring>
#include <string>

#include "DevicePaths.h"
#include "DeviceTypes.h"
#include "MachineInfo.h"
#include "SensorFile.h"
#include "SensorReport.h"

static const char* const kReportModule = "sensor";

namespace {

const u32 kDefaultSchemeSum = 4;

// The device types the module serves, in the order the report names them.
struct KnownDeviceType {
    int nId;
    const char* szName;
};
const KnownDeviceType kKnownDeviceTypes[] = {
    {DeviceType::IPCAMERA, "IPCAMERA"},
    {DeviceType::FACE_DETECT, "FACE_DETECT"},
    {DeviceType::VEHICLE_DETECT, "VEHICLE_DETECT"},
    {DeviceType::AIMULTI_OBJECT_DETECT, "AIMULTI_OBJECT_DETECT"},
    {DeviceType::IPDOME, "IPDOME"},
    {DeviceType::LPR, "LPR"},
    {DeviceType::IPP, "IPP"},
    {DeviceType::HUMAN_TEMPERATURE, "HUMAN_TEMPERATURE"},
    {DeviceType::THERMAL_DEVICE, "THERMAL_DEVICE"},
    {DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE, "THERMAL_DOUBLE_SENSOR_DEVICE"},
    {DeviceType::FISHEYE, "FISHEYE"},
    {DeviceType::DOMECORE, "DOMECORE"},
    {DeviceType::THERMAL_DOUBLE_SENSOR_DOME_DEVICE, "THERMAL_DOUBLE_SENSOR_DOME_DEVICE"},
    {DeviceType::BINOCULAR_DEVICE, "BINOCULAR_DEVICE"},
    {DeviceType::THERMAL_IPDOME, "THERMAL_IPDOME"},
    {DeviceType::DOMECORE_THERMAL_DEVICE, "DOMECORE_THERMAL_DEVICE"},
};

// Devices that use the plain (non-dome) style.
const int kPlainStyleTypes[] = {
    DeviceType::IPCAMERA,
    DeviceType::LPR,
    DeviceType::FACE_DETECT,
    DeviceType::VEHICLE_DETECT,
    DeviceType::THERMAL_DEVICE,
    DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE,
    DeviceType::IPP,
    DeviceType::AIMULTI_OBJECT_DETECT,
    DeviceType::HUMAN_TEMPERATURE,
    DeviceType::FISHEYE,
    DeviceType::BINOCULAR_DEVICE,
};

struct StyleDocuments {
    const char* szStyle;
    const char* szDiversity;
};
const StyleDocuments kThermalDocuments = {"/hd1/moduleConfig/sensorConfig/style/Style_Thermal.xml",
                                          "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_Thermal.xml"};
const StyleDocuments kPlainDocuments = {"/hd1/moduleConfig/sensorConfig/style/Style.xml",
                                        "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml"};
const StyleDocuments kDomeDocuments = {"/hd1/moduleConfig/sensorConfig/style/Style_dome.xml",
                                       "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_dome.xml"};

bool usesPlainStyle(int nDeviceType)
{
    for (int type : kPlainStyleTypes) {
        if (type == nDeviceType) return true;
    }
    return false;
}

bool isKnownDeviceType(int nDeviceType)
{
    for (const KnownDeviceType& known : kKnownDeviceTypes) {
        if (known.nId == nDeviceType) return true;
    }
    return false;
}

std::string deviceTypeCheckText()
{
    std::string text;
    for (const KnownDeviceType& known : kKnownDeviceTypes) {
        if (!text.empty()) text += " || ";
        text += std::string("DeviceType::") + known.szName + " == p_stSysConf->nDeviceType";
    }
    return text;
}

const StyleDocuments& chooseDocuments(int p_nChannelID, int nDeviceType)
{
    if (p_nChannelID == 2 && sensor::hasThermalSecondChannel(nDeviceType)) return kThermalDocuments;
    if (usesPlainStyle(nDeviceType)) return kPlainDocuments;
    return kDomeDocuments;
}

// Copies a host text into a record field with its terminator; false when
// the text had to be cut to fit.
bool copyHostText(const std::string& text, char* field, size_t fieldSize)
{
    const size_t length = text.size() < fieldSize - 1 ? text.size() : fieldSize - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
    return length == text.size();
}

// A whole text file in a new zeroed buffer of its length + 1; missing or
// short files leave the buffer empty.
char* loadTextFile(const char* name, int& nLoaded)
{
    INT64 file_len = getFileLen(name);
    if (file_len < 0) file_len = 0;
    char* text = new char[file_len + 1]();
    nLoaded = loadFromFile(name, text, file_len);
    return text;
}

} // namespace

void getStyleDocuments(int p_nChannelID, int p_nDeviceType, std::string& p_strStyle, std::string& p_strDiversity)
{
    const StyleDocuments& documents = chooseDocuments(p_nChannelID, p_nDeviceType);
    p_strStyle = documents.szStyle;
    p_strDiversity = documents.szDiversity;
}

int initSysConf(int p_nChannelID, const ModuleConfigure& p_objModuleConfigure, SysConfig* p_stSysConf)
{
    if (p_stSysConf == nullptr) return SNS_SUCCESS;
    std::memset(p_stSysConf, 0, sizeof(SysConfig));
    ModuleConfig& moduleConfig = p_stSysConf->moduleConfig;
    std::strcpy(moduleConfig.szPlaceholder1, "xxx");
    std::strcpy(moduleConfig.szPlaceholder2, "xxx");

    moduleConfig.nModuleId = p_objModuleConfigure.getModuleId();
    // A host text longer than its field is cut there and a warning names the
    // field and the length the host gave.
    const struct {
        std::string text;
        char* field;
        size_t size;
        const char* name;
    } hostTexts[] = {
        {p_objModuleConfigure.getDetail(), moduleConfig.szDetail, sizeof moduleConfig.szDetail, "szDetail"},
        {p_objModuleConfigure.getParameters(), moduleConfig.szParameters, sizeof moduleConfig.szParameters,
         "szParameters"},
    };
    for (const auto& host : hostTexts) {
        if (!copyHostText(host.text, host.field, host.size)) {
            SNS_WARN("%s: host text of %zu characters cut to %zu\n", host.name, host.text.size(), host.size - 1);
        }
    }

    if (getDetailFieldTou32(moduleConfig.szDetail, "max_scheme", &p_stSysConf->nSchemeSum) == -1) {
        p_stSysConf->nSchemeSum = kDefaultSchemeSum;
    }

    MachineInfo machineInfo;
    SNS_CHECK_TEXT(SystemInfoParser::parseMachineInfo(sensor::kMachineInfoFile, machineInfo),
                   "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/machineinfo.ini\", machineInfo)",
                   "");
    p_stSysConf->nDeviceType = machineInfo.getDeviceType();
    SNS_CHECK_TEXT(isKnownDeviceType(p_stSysConf->nDeviceType), deviceTypeCheckText().c_str(),
                   "machineinfo, devicetype(%d) error, must be 1 or 4 or 8 or 9 or 13\n", p_stSysConf->nDeviceType);

    const StyleDocuments& documents = chooseDocuments(p_nChannelID, p_stSysConf->nDeviceType);
    const std::string strStyleFileName = documents.szStyle;
    const std::string strStyleDivFileName = documents.szDiversity;

    int nLoaded = 0;
    p_stSysConf->szUIStyle = loadTextFile(strStyleFileName.c_str(), nLoaded);
    SNS_CHECK_TEXT(nLoaded > 0,
                   "loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, "
                   "getFileLen(strStyleFileName.c_str())) > 0",
                   "");
    char* ui_styleDiversity = loadTextFile(strStyleDivFileName.c_str(), nLoaded);
    SNS_CHECK_TEXT(nLoaded > 0,
                   "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "
                   "getFileLen(strStyleDivFileName.c_str())) > 0",
                   "");

    mergeStyle(p_nChannelID, &moduleConfig, &p_stSysConf->szUIStyle, ui_styleDiversity);
    delete[] ui_styleDiversity;
    return SNS_SUCCESS;
}

void uinitSysConf(SysConfig* p_stSysConf)
{
    if (p_stSysConf == nullptr) return;
    if (p_stSysConf->pstUIFile != nullptr) {
        for (u32 i = 0; i < p_stSysConf->nUIFileSum; ++i) {
            delete[] p_stSysConf->pstUIFile[i].szCommon;
            delete[] p_stSysConf->pstUIFile[i].szLanguage;
        }
    }
    delete[] p_stSysConf->szUIStyle;
}

// Start-up and shut-down of a controller, and the UI documents it prepared.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DeviceFiles.h"
#include "DevicePaths.h"
#include "DeviceTypes.h"
#include "ISensorController.h"
#include "SensorFile.h"
#include "SensorKeys.h"
#include "SensorReport.h"
#include "SchemeLayout.h"
#include "SchemeSets.h"
#include "VexloTime.h"
#include "sensor.h"
#include "sy_system.h"
#include "Recorder.h"

static const char* const kReportModule = "ISensorController";

namespace {

const char* const kDeleteThermalSchemes = "rm -rf /mnt/mtd/code/config*/sensor-thermal*.cfg";
const char* const kDeleteSchemes = "rm -rf /mnt/mtd/code/config*/sensor%d_[0-3].cfg";
const int kShellTimeout = 30;

// Keeps a broken detail text (up to nine digits) from asking for gigabytes:
// the sets are allocated for nSchemeSum + 1 schemes. Far above any camera's
// scheme count, so a reported cut, not a failed check.
const u32 kMaxSchemes = 1024;

// Licence-plate cameras start scheme 1 as a night scheme.
struct KeyOverride {
    u32 key;
    u32 value;
};
const KeyOverride kLicencePlateScheme1[] = {
    {KEY_DN_MODE, 0},  {KEY_MAX_SHUTTER, 18}, {KEY_MIN_SHUTTER, 20},
    {KEY_METER_AREA, 1}, {KEY_IR_MODE, 2},    {KEY_IR_MANUAL_STRG_NEAR, 40},
};
const u32 kLicencePlateScheme = 1;

const int kStyleBusyQueries = 30;
const long kStyleBusyWaitMicroseconds = 50000;

const int kBeawayEncoderType = 1;
const int kBeawayMaxHeight = 255;

bool isBeawayLimitedModel(const std::string& model)
{
    return model == "Hi3516AV200" || model == "Hi3516AV200Thermal";
}

void overrideFirst(KeyVal* set, u32 count, u32 key, u32 value)
{
    for (u32 i = 0; i < count; ++i) {
        if (set[i].key == key) {
            set[i].value = value;
            return;
        }
    }
}

} // namespace

std::string ISensorController::schemeFileName(u32 p_nScheme) const
{
    char name[256] = {0};
    if (m_bThermalChannel) {
        std::snprintf(name, sizeof name, sensor::kThermalSchemeFile, static_cast<int>(p_nScheme));
    } else {
        std::snprintf(name, sizeof name, sensor::kSchemeFile, m_nCameraID, static_cast<int>(p_nScheme));
    }
    return name;
}

void ISensorController::deleteSchemeFiles()
{
    char command[256] = {0};
    if (m_bThermalChannel) {
        std::snprintf(command, sizeof command, "%s", kDeleteThermalSchemes);
    } else {
        std::snprintf(command, sizeof command, kDeleteSchemes, m_nCameraID);
    }
    sy_system(command, kShellTimeout);
}

void ISensorController::checkVersionStamp()
{
    u32 storedVersion = 0;
    const bool readable = getVersion(&storedVersion) == SNS_SUCCESS;
    if (readable && storedVersion == m_nVersion) return;
    SNS_WARN("check the sensor version,   local(%u) --> libsensordll.so(%u), source the cmd: rm -rf "
             "/mnt/mtd/code/config*/sensor*\n",
             storedVersion, m_nVersion);
    // A stamp that cannot be read may be one that cannot be written: then
    // every start would delete the schemes again.
    const bool storable = readable || setVersion(m_nVersion) == SNS_SUCCESS;
    SNS_CHECK_TEXT(storable, "SNS_SUCCESS == setVersion(m_nVersion)",
                   "the version stamp cannot be written: the saved schemes are kept\n");
    if (storable) deleteSchemeFiles();
}

void ISensorController::loadSchemeFile(u32 p_nScheme, bool p_bRewrite)
{
    const std::string name = schemeFileName(p_nScheme);
    KeyVal* set = m_ppUserKeyVal[p_nScheme];
    const std::vector<KeyVal> records = sensor::readScheme(name, m_pFctKeyVal, set, m_nKeyValSum);
    // A file that lacks keys of the set is saved at once in its layout, so
    // the mismatch is met at one start only; keys only the file has stay.
    if (!p_bRewrite || !sensor::deviceFileExists(name) || sensor::hasLayout(records, set, m_nKeyValSum) ||
        sensor::holdsEveryKey(records, set, m_nKeyValSum)) {
        return;
    }
    std::vector<KeyVal> saved = sensor::withOtherKeys(set, m_nKeyValSum, records);
    SNS_WARN("%s: %zu records of another layout, loaded by key and saved as %zu records\n", name.c_str(),
             records.size(), saved.size());
    std::string target = name;
    keyValToFile(&target[0], saved.data(), static_cast<u32>(saved.size()));
}

void ISensorController::readConfiguration(const ModuleConfigure& p_objModuleConfigure)
{
    initSysConf(m_nCameraID, p_objModuleConfigure, &m_stSysConf);
    if (m_stSysConf.nSchemeSum > kMaxSchemes) {
        SNS_WARN("nSchemeSum(%u) cut to %u\n", m_stSysConf.nSchemeSum, kMaxSchemes);
        m_stSysConf.nSchemeSum = kMaxSchemes;
    }
}

void ISensorController::allocateSets()
{
    // Sized by the capacity the object has now: 170 on the first start, 165
    // on every later one.
    const u32 capacity = m_nKeyCmdSum;
    std::vector<KeyVal> factory(capacity);
    m_nKeyValSum = 0;
    getFctDataBounded(m_nCameraID, m_stSysConf.szUIStyle, factory.data(), &m_nKeyValSum, m_bShowWDRFalg,
                      m_bShowLDCFlag, capacity);
    sensor::schemeSetsOf(this).allocate(m_stSysConf.nSchemeSum, factory.data(), m_nKeyValSum, capacity);
    takeSetViews();
    setFlag(FLAG_STORAGE_HELD);
}

bool ISensorController::checkSetsAndStamp()
{
    // A set from a broken style has another layout than the device's: saving
    // it, or starting the files afresh, would lose what they hold.
    const bool setsFromStyle =
        m_nKeyValSum > 0 && sensor::styleDocumentsParse(m_nCameraID, m_stSysConf.nDeviceType);
    if (setsFromStyle) clearFlag(FLAG_NO_STYLE_SET);
    if (!setsFromStyle) setFlag(FLAG_NO_STYLE_SET);
    SNS_CHECK_TEXT(setsFromStyle, "m_nKeyValSum > 0 && the style parsed",
                   "no set built from the style (%u keys): scheme files and version stamp left as they are\n",
                   m_nKeyValSum);

    if (setsFromStyle) checkVersionStamp();
    return setsFromStyle;
}

void ISensorController::readDetailFlags(const MachineInfo& p_objMachineInfo)
{
    DeviceType deviceType;
    deviceType.setDeviceTypeId(p_objMachineInfo.getDeviceType());

    const std::string detail = m_stSysConf.moduleConfig.szDetail;
    if (detail.find("(isInfrared=17)") != std::string::npos) {
        std::printf("#### m_bisLimitedIrPower is true!\n");
        std::fflush(stdout);
        m_bisLimitedIrPower = 1;
    }
    const size_t lensName = detail.find("lensId");
    const size_t lensEquals = lensName == std::string::npos ? std::string::npos : detail.find('=', lensName);
    const size_t lensClose = lensEquals == std::string::npos ? std::string::npos : detail.find(')', lensEquals);
    if (lensClose == std::string::npos || std::atoi(detail.c_str() + lensEquals + 1) == 0) m_bHasLens = 0;
    if (deviceType.getDeviceTypeId() == sensor::kLicencePlateDeviceType &&
        detail.find("(isInfrared=0)") == std::string::npos && detail.find("(isInfrared=1)") == std::string::npos) {
        m_bLPRDevice = 1;
    }
}

void ISensorController::writeMissingSchemeFile(u32 p_nScheme)
{
    std::string name = schemeFileName(p_nScheme);
    if (!m_bLPRDevice) {
        if (p_nScheme == 0) setKeyValToCache(m_stSysConf.nSchemeSum, KEY_SCHEME_MODE, 0, true);
        keyValToFile(&name[0], m_pFctKeyVal, m_nKeyValSum);
    } else if (p_nScheme == kLicencePlateScheme) {
        std::memcpy(m_pstKeyValWork, m_pFctKeyVal, sizeof(KeyVal) * m_nKeyValSum);
        for (const KeyOverride& change : kLicencePlateScheme1) {
            overrideFirst(m_pstKeyValWork, m_nKeyValSum, change.key, change.value);
        }
        keyValToFile(&name[0], m_pstKeyValWork, m_nKeyValSum);
    } else {
        keyValToFile(&name[0], m_pFctKeyVal, m_nKeyValSum);
    }
}

void ISensorController::loadSchemeFiles(bool p_bSetsFromStyle)
{
    for (u32 scheme = 0; scheme < m_stSysConf.nSchemeSum; ++scheme) {
        if (p_bSetsFromStyle && !sensor::deviceFileExists(schemeFileName(scheme))) writeMissingSchemeFile(scheme);
        loadSchemeFile(scheme, p_bSetsFromStyle);
        u32 mode = 0;
        if (scheme == 0 && getKeyValFromCache(0, KEY_SCHEME_MODE, mode) >= 0) {
            m_bTimeScheme = mode == 1;
            m_bDNScheme = mode == 2;
        }
    }
    if (p_bSetsFromStyle) {
        SNS_CHECK_TEXT(setVersion(m_nVersion) == SNS_SUCCESS, "SNS_SUCCESS == setVersion(m_nVersion)",
                       "m_nVersion(%d)\n", static_cast<int>(m_nVersion));
    }
}

void ISensorController::startFirstScheme()
{
    if (!m_bDNScheme && !m_bTimeScheme) switch_to(0, false);
    sensorThread();

    SNS_CHECK_TEXT(m_pSensorThread->start(), "m_pSensorThread->start()", "");
}

void ISensorController::readDisplayFlags(const MachineInfo& p_objMachineInfo)
{
    m_bShowWDRFalg = 1;
    m_bShowLDCFlag = 0;
    setshowBeawayFalg(true);

    // The host must set a video module before init; without one the display
    // flags keep their defaults rather than the process crashing.
    if (m_pVideoStreamModule == nullptr) return;
    std::vector<AVStreamParam> streams;
    m_pVideoStreamModule->getAVStreamParams(streams);
    for (const AVStreamParam& stream : streams) {
        if (isBeawayLimitedModel(p_objMachineInfo.getHardwareModel()) &&
            stream.getVideoEncoderType() == kBeawayEncoderType && stream.getVideoHeight() <= kBeawayMaxHeight) {
            setshowBeawayFalg(false);
        }
    }

    LimitedFramesWDRModeParam wdrMode;
    m_pVideoStreamModule->getLimitedFramesWDRModeParam(m_nCameraID, wdrMode);
    if (wdrMode.getLimitFramesModeId() == 0 && wdrMode.getLimitWdr() == 1) m_bShowWDRFalg = 0;
    if (wdrMode.getLDCSupport() != 0 && wdrMode.getLDCSwitch() != 0) m_bShowLDCFlag = 1;
}

bool ISensorController::init(const ModuleConfigure& p_objModuleConfigure)
{
    setFlag(FLAG_INITIALISING);
    clearFlag(FLAG_INITIALISED);

    sensor::recorder::probe();
    const sensor::recorder::Inside objStart; // start-up's own operations are not the host's
    readConfiguration(p_objModuleConfigure);
    allocateSets();
    const bool setsFromStyle = checkSetsAndStamp();
    MachineInfo machineInfo;
    SystemInfoParser::parseMachineInfo(sensor::kMachineInfoFile, machineInfo);
    readDetailFlags(machineInfo);
    loadSchemeFiles(setsFromStyle);
    buildKeyCmdMap();
    startFirstScheme();
    readDisplayFlags(machineInfo);

    setFlag(FLAG_INITIALISED);
    clearFlag(FLAG_INITIALISING);
    SNS_DBG("ISensorController::initSensor  success\n");
    return true;
}

const KeyVal* ISensorController::getFactoryKeyVal(u32& p_nCount) const
{
    p_nCount = m_pFctKeyVal != nullptr ? m_nKeyValSum : 0;
    return m_pFctKeyVal;
}

const KeyVal* ISensorController::getSchemeKeyVal(u32 p_nScheme, u32& p_nCount) const
{
    const KeyVal* set = schemeView().set(p_nScheme, sensor::SchemeView::kUserSchemes);
    p_nCount = set != nullptr ? m_nKeyValSum : 0;
    return set;
}

void ISensorController::takeSetViews()
{
    sensor::SchemeSets& sets = sensor::schemeSetsOf(this);
    m_ppUserKeyVal = sets.pointers();
    m_pFctKeyVal = sets.factory();
    m_pstKeyValTmp = sets.scratch();
    m_pstKeyValWork = sets.work();
}

void ISensorController::releaseSchemeSets()
{
    delete[] m_pKeyCmdMap;
    m_pKeyCmdMap = nullptr;
    sensor::schemeSetsOf(this).release();
    takeSetViews();
}

void ISensorController::uinit()
{
    SENSOR_RECORD(uinit);
    if (!testFlag(FLAG_INITIALISED) || !testFlag(FLAG_STORAGE_HELD)) return;
    m_bShutterPass = 1;
    setFlag(FLAG_UNINITIALISING);

    SNS_CHECK_TEXT(m_pSensorThread->stop(), "m_pSensorThread->stop()", "");

    releaseSchemeSets();
    uinitSysConf(&m_stSysConf);
    // The record's heap texts are gone; its fixed fields stay readable for a
    // factory reset's new start.
    m_stSysConf.pstUIFile = nullptr;
    m_stSysConf.nUIFileSum = 0;
    m_stSysConf.szUIStyle = nullptr;
    clearFlag(FLAG_STORAGE_HELD);

    m_nParamMode = 1;
    m_nLastScheme = -1;
    m_nCurScheme = -1;
    m_nKeyValSum = 0;
    clearFlag(FLAG_UNINITIALISING);
}

namespace {

// The record of the id, else the first; null when the table is empty.
const UIFileInfo* findUIFile(const SysConfig& config, int id)
{
    if (config.pstUIFile == nullptr || config.nUIFileSum == 0) return nullptr;
    for (u32 i = 0; i < config.nUIFileSum; ++i) {
        if (config.pstUIFile[i].nId == id) return &config.pstUIFile[i];
    }
    return &config.pstUIFile[0];
}

std::string textOrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

} // namespace

std::string ISensorController::getUICommonFile(int p_nId)
{
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);
    const UIFileInfo* file = findUIFile(m_stSysConf, p_nId);
    return file != nullptr ? textOrEmpty(file->szCommon) : std::string();
}

std::string ISensorController::getUILanguageFile(int p_nId)
{
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);
    const UIFileInfo* file = findUIFile(m_stSysConf, p_nId);
    return file != nullptr ? textOrEmpty(file->szLanguage) : std::string();
}

std::string ISensorController::getUIStyleFile()
{
    SENSOR_RECORD(getUIStyleFile);
    if (m_pVideoStreamModule != nullptr) {
        for (int query = 0; query < kStyleBusyQueries && m_pVideoStreamModule->isBusy() != 0; ++query) {
            VexloTime::wait(VexloTime(0, kStyleBusyWaitMicroseconds));
        }
    }
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);
    std::string style;
    if (m_stSysConf.szUIStyle != nullptr) {
        getDnaStyle(m_nCameraID, m_stSysConf.szUIStyle, style, m_bShowWDRFalg, m_bShowLDCFlag);
    }
    return style;
}

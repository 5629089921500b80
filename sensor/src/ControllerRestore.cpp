// Saving, restoring and resetting schemes, and reading a whole scheme.
#include <cstdio>
#include <tinyxml.h>

#include "ControllerLock.h"
#include "DevicePaths.h"
#include "ISensorController.h"
#include "KeyFacts.h"
#include "ModuleConfigure.h"
#include "SensorFile.h"
#include "SensorKeyVal.h"
#include "SensorKeys.h"
#include "SchemeLayout.h"
#include "SchemeSets.h"
#include "SchemeWindow.h"
#include "SensorReport.h"
#include "SharedValue.h"
#include "XmlFiles.h"
#include "Recorder.h"

static const char* const kReportModule = "ISensorController";

namespace {


// Window-check results of paramCheck: the host's result codes, not keys.
const int kWindowValid = 0;
const int kWindowStartTooLate = 505;
const int kWindowEndTooLate = 506;
const int kWindowEmpty = 507;
// 24:00 as hour x 100 + minute, the latest a window may start or end; a time,
// not a key.
const u32 kLastMinuteOfDay = 2400;
// flush refused: the last start built no set from the style.
const int kNoStyleSet = -1;

// Debug levels above this restart a factory reset from the device's files.
const int kDeviceConfigLevel = 5;


} // namespace

int ISensorController::paramCheck()
{
    // A set too short to hold a window (a style without items) has none to
    // refuse; nothing is read past it.
    sensor::SchemeWindow window{};
    const KeyVal* set = schemeView().set(m_nCurScheme);
    if (set == nullptr || !sensor::schemeWindow(set, m_nKeyValSum, window)) {
        return kWindowValid;
    }
    if (window.start > kLastMinuteOfDay) return kWindowStartTooLate;
    if (window.end > kLastMinuteOfDay) return kWindowEndTooLate;
    return window.start < window.end ? kWindowValid : kWindowEmpty;
}

int ISensorController::flush()
{
    SENSOR_RECORD(flush);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);
    // One reading of the index: a switch on the sensor thread may change it.
    const int nScheme = m_nCurScheme;
    const KeyVal* set = schemeView().set(nScheme, sensor::SchemeView::kUserSchemes);
    if (set == nullptr) return SNS_SUCCESS;
    const int check = paramCheck();
    if (check != kWindowValid) return check;
    std::string name = schemeFileName(static_cast<u32>(nScheme));
    if (testFlag(FLAG_NO_STYLE_SET)) {
        SNS_CHECK_TEXT(false, "the style gave the set", "%s kept: the set was not built from the style\n",
                       name.c_str());
        return kNoStyleSet;
    }
    // Keys that only the file holds (saved by a start with a wider set) stay.
    sensor::copyRecords(set, m_nKeyValSum, m_pstKeyValTmp);
    std::vector<KeyVal> saved = sensor::withOtherKeys(m_pstKeyValTmp, m_nKeyValSum, sensor::fileRecords(name));
    return keyValToFile(&name[0], saved.data(), static_cast<u32>(saved.size()));
}

bool ISensorController::setMirrorMode(int p_nMirror)
{
    SENSOR_RECORD(setMirrorMode, p_nMirror);
    if (setParameter(KEY_MIRROR, p_nMirror, true) != SNS_SUCCESS) return false;
    flush();
    return true;
}

bool ISensorController::resetToLastParameters()
{
    SENSOR_RECORD(resetToLastParameters);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);
    const int nScheme = m_nCurScheme;
    if (!schemeView().reaches(nScheme, sensor::SchemeView::kUserSchemes)) return true;
    std::string name = schemeFileName(static_cast<u32>(nScheme));
    setFlag(FLAG_RESTORING);
    sensor::readScheme(name, m_pFctKeyVal, m_pstKeyValTmp, m_nKeyValSum);
    const int result = setParameters(m_pstKeyValTmp, m_nKeyValSum, true);
    clearFlag(FLAG_RESTORING);
    return result == SNS_SUCCESS;
}

int ISensorController::restore(int p_nKey)
{
    SENSOR_RECORD(restore, p_nKey);
    const sensor::HostLock guard(m_objMutex, this, kReportModule, __LINE__);
    const int nScheme = m_nCurScheme;
    const sensor::SchemeView sets = schemeView();
    const int nPos = sets.find(nScheme, static_cast<u32>(p_nKey));
    if (nPos == -1) {
        SNS_CHECK_TEXT(false, "-1 != nPos", "restore key(%d) failed! make sure it is sensor ui key \n", p_nKey);
        return -1;
    }
    KeyVal stored{static_cast<u32>(p_nKey), sensor::loadValue(sets.set(nScheme)[nPos])};
    return setParameters(&stored, 1, false);
}

bool ISensorController::restoreAeMode()
{
    SENSOR_RECORD(restoreAeMode);
    if (m_bHasLens && restore(KEY_AUTO_FOCUS_MODE) != SNS_SUCCESS) return false;
    if (m_bThermalChannel) return true;
    return restore(KEY_EXPOSE_MODE) == SNS_SUCCESS;
}

namespace {

// The module configuration of the device's files, for a factory reset at a
// raised debug level. False when the files name no module.
bool deviceModuleConfig(ModuleConfigure& out)
{
    MachineInfo machineInfo;
    SystemInfoParser::parseMachineInfo(sensor::kMachineInfoFile, machineInfo);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse(sensor::kModuleConfigFile, machineInfo.getHardwareModel(), machineInfo.getHardwareCode(),
                                 modules);
    if (modules.empty()) return false;
    out = modules.front();
    return true;
}

} // namespace

bool ISensorController::resetParameters()
{
    SENSOR_RECORD(resetParameters);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);
    setFlag(FLAG_RESETTING);

    switch_to(static_cast<int>(m_stSysConf.nSchemeSum), false);

    // Without a set from the style the new start writes no files: the old
    // ones are all there is.
    if (!testFlag(FLAG_NO_STYLE_SET)) deleteSchemeFiles();

    uinit();

    ModuleConfigure config;
    config.setDetail(m_stSysConf.moduleConfig.szDetail);
    config.setModuleId(m_stSysConf.moduleConfig.nModuleId);
    config.setParameters(m_stSysConf.moduleConfig.szParameters);
    if (g_nDebugLevel > kDeviceConfigLevel) {
        ModuleConfigure fromDevice;
        const bool found = deviceModuleConfig(fromDevice);
        SNS_CHECK_TEXT(found, "!modules.empty()", "no module configuration in %s, the kept one is used\n",
                       sensor::kModuleConfigFile);
        if (found) config = fromDevice;
    }

    init(config);

    m_nCurScheme = 0;
    clearFlag(FLAG_RESETTING);
    return true;
}

bool ISensorController::getAllParameters(std::string& p_strOut)
{
    SENSOR_RECORD(getAllParameters, p_strOut);
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);

    char filename[100] = {0};
    std::snprintf(filename, sizeof filename, sensor::kMergedStyleFile, m_nCameraID);
    TiXmlDocument objStyleXmlDoc;
    SNS_CHECK_TEXT(sensor::loadXmlFile(objStyleXmlDoc, filename, TIXML_ENCODING_UTF8),
                   "objStyleXmlDoc.LoadFile(filename, TIXML_ENCODING_UTF8)", "");

    int shutterValue = sensor::kCustomShutterList;
    if (TiXmlElement* root = objStyleXmlDoc.FirstChildElement()) {
        getDnaValbyCmdId(root, KEY_MAX_SHUTTER, shutterValue);
    }

    const int nScheme = m_nCurScheme;
    const sensor::SchemeView sets = schemeView();
    KeyVal* set = sets.set(nScheme);
    if (set == nullptr) return true;
    if (shutterValue >= sensor::kCustomShutterList) {
        if (!sets.reaches(nScheme, sensor::SchemeView::kUserSchemes)) return true;
        std::string name = schemeFileName(static_cast<u32>(nScheme));
        sensor::readScheme(name, m_pFctKeyVal, m_pstKeyValTmp, m_nKeyValSum);
        keyval_st2str(p_strOut, m_pstKeyValTmp, m_nKeyValSum);
    } else {
        // Corrected in a copy, then put back: the sensor thread may be
        // storing into the set meanwhile.
        std::vector<KeyVal> vecBefore(m_nKeyValSum);
        sensor::copyRecords(set, m_nKeyValSum, vecBefore.data());
        sensor::copyRecords(vecBefore.data(), m_nKeyValSum, m_pstKeyValTmp);
        SNS_CHECK_TEXT(keyval_correct(m_nCameraID - 1, m_pstKeyValTmp, m_nKeyValSum) == SNS_SUCCESS,
                       "SNS_SUCCESS == keyval_correct(m_nCameraID - 1, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum)",
                       "m_nCurScheme(%d) m_nKeyValSum(%d)\n", nScheme, static_cast<int>(m_nKeyValSum));
        sensor::storeChanged(set, vecBefore.data(), m_pstKeyValTmp, m_nKeyValSum);
        keyval_st2str(p_strOut, m_pstKeyValTmp, m_nKeyValSum);
    }
    return true;
}

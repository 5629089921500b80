// The host's direct lens, iris, shutter and illuminator operations, and the
// field-of-view synchronisation of the visible channel.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ISensorController.h"
#include "KeyFacts.h"
#include "SensorKeys.h"
#include "SensorReport.h"
#include "StringHandler.h"
#include "VXFile.h"
#include "ia_ioctrl.h"
#include "Recorder.h"

namespace {

// ISP commands that differ from the number of the key they belong to.
constexpr u32 kCmdIrisUp = sensor::commandOf(KEY_IRIS_UP);
constexpr u32 kCmdIrisDown = sensor::commandOf(KEY_IRIS_DOWN);

// The direct moves take the lens and the iris out of their automatic modes.
constexpr int kFocusModeManual = 1;
constexpr int kExposeModeManual = 3;

// Lens positions of the magnifications 1x to 16x.
constexpr int kZoomRatioTable[] = {16384, 24576, 27264, 28672, 29056, 29440, 29728, 30016,
                                   30208, 30400, 30560, 30720, 30912, 31104, 31232, 31424};
constexpr int kZoomRatioSteps = sizeof(kZoomRatioTable) / sizeof(kZoomRatioTable[0]);
constexpr int kRatioPerStep = 1000;

// Iris positions the ISP accepts; above the range it wants the "fully open"
// marker rather than the top of the range.
constexpr int kIrisMin = 256;
constexpr int kIrisMax = 25600;
constexpr int kIrisOpen = 1048576;

constexpr int kLightTypeMax = 3;
constexpr int kShutterListMax = 30;

const char* const kSyncFovFile = "/mnt/mtd/hd1/program/config/sync_fov.ini";

int clampIris(int value)
{
    if (value < kIrisMin) return kIrisMin;
    if (value <= kIrisMax) return value;
    return kIrisOpen;
}

int indexOf(const int* values, int count, int value)
{
    for (int i = 0; i < count; ++i) {
        if (values[i] == value) return i;
    }
    return -1;
}

// Switches one illuminator; switching it on first switches the other off,
// so that at most one of them burns.
bool switchIlluminator(ISensorController& self, u32 key, int on, bool (ISensorController::*getOther)(int&),
                       bool (ISensorController::*setOther)(int))
{
    if (on == 1) {
        int other = 0;
        if (!(self.*getOther)(other)) return false;
        if (other == 1 && !(self.*setOther)(0)) return false;
    }
    return self.setParameter(static_cast<int>(key), on, true) == SNS_SUCCESS;
}

// Value of "<name>=<value>," in a line; keeps value when the entry is absent
// or has no comma after its "=".
void readFovEntry(const std::string& line, const char* name, int& value)
{
    const size_t at = line.find(name);
    if (at == std::string::npos) return;
    const size_t equals = line.find('=', at + std::strlen(name));
    if (equals == std::string::npos) return;
    if (line.find(',', equals + 1) == std::string::npos) return;
    value = std::atoi(line.c_str() + equals + 1);
}

} // namespace

bool ISensorController::sendValue(u32 p_nCmd, u32 p_nOpt, int p_nValue)
{
    return doIaCmd(p_nCmd, p_nOpt, &p_nValue) == SNS_SUCCESS;
}

bool ISensorController::zoomIn()
{
    SENSOR_RECORD(zoomIn);
    return sendValue(KEY_ZOOM_IN, IA_CMD_OPT_SET, 1);
}

bool ISensorController::zoomOut()
{
    SENSOR_RECORD(zoomOut);
    return sendValue(KEY_ZOOM_OUT, IA_CMD_OPT_SET, 1);
}

// The focus mode's own result is not the caller's concern: the move decides.
bool ISensorController::focusFar()
{
    SENSOR_RECORD(focusFar);
    if (!m_bHasLens) return true;
    sendValue(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET, kFocusModeManual);
    return sendValue(KEY_FOCUS_FAR, IA_CMD_OPT_SET, 1);
}

bool ISensorController::focusNear()
{
    SENSOR_RECORD(focusNear);
    if (!m_bHasLens) return true;
    sendValue(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET, kFocusModeManual);
    return sendValue(KEY_FOCUS_NEAR, IA_CMD_OPT_SET, 1);
}

bool ISensorController::irisUp()
{
    SENSOR_RECORD(irisUp);
    return sendValue(KEY_EXPOSE_MODE, IA_CMD_OPT_SET, kExposeModeManual) &&
           sendValue(kCmdIrisUp, IA_CMD_OPT_SET, 1);
}

bool ISensorController::irisDown()
{
    SENSOR_RECORD(irisDown);
    return sendValue(KEY_EXPOSE_MODE, IA_CMD_OPT_SET, kExposeModeManual) &&
           sendValue(kCmdIrisDown, IA_CMD_OPT_SET, 1);
}

bool ISensorController::getCameraVerInf(std::string& p_strVersion)
{
    SENSOR_RECORD(getCameraVerInf, p_strVersion);
    char szVersion[IA_CAMERA_VERSION_LEN];
    std::memset(szVersion, 0, sizeof(szVersion));
    const int nRet = doIaCmd(IA_CMD_CAMERA_VERSION, IA_CMD_OPT_GET, szVersion);
    // The ISP need not terminate a text that fills the buffer.
    p_strVersion.assign(szVersion, strnlen(szVersion, sizeof(szVersion)));
    return nRet == SNS_SUCCESS;
}

bool ISensorController::getZoomValue(int& p_nPosition, int& p_nRatio)
{
    SENSOR_RECORD(getZoomValue, p_nPosition, p_nRatio);
    if (!m_bHasLens) {
        p_nPosition = 0;
        return true;
    }
    if (doIaCmd(KEY_MZ_POSITION, IA_CMD_OPT_GET, &p_nPosition) != SNS_SUCCESS) return false;

    if (p_nPosition <= kZoomRatioTable[0]) {
        p_nRatio = kRatioPerStep;
        return true;
    }
    // Linear between the magnifications k and k+1.
    for (int k = 1; k < kZoomRatioSteps; ++k) {
        const u32 low = static_cast<u32>(kZoomRatioTable[k - 1]);
        const u32 high = static_cast<u32>(kZoomRatioTable[k]);
        const u32 position = static_cast<u32>(p_nPosition);
        if (low < position && position <= high) {
            p_nRatio = static_cast<int>(kRatioPerStep * (k + 1) - kRatioPerStep * (high - position) / (high - low));
            break;
        }
    }
    return true;
}

bool ISensorController::getAFStatistic(u32& p_nStatistic)
{
    SENSOR_RECORD(getAFStatistic, p_nStatistic);
    return doIaCmd(IA_CMD_AF_STATISTIC, IA_CMD_OPT_GET, &p_nStatistic) == SNS_SUCCESS;
}

bool ISensorController::setExposureStrategy(int& p_nStrategy)
{
    SENSOR_RECORD_INOUT(setExposureStrategy, p_nStrategy);
    return doIaCmd(IA_CMD_EXPOSURE_STRATEGY, IA_CMD_OPT_SET, &p_nStrategy) == SNS_SUCCESS;
}

bool ISensorController::getCmdExecStatus(int p_nCmd, int& p_nStatus)
{
    SENSOR_RECORD(getCmdExecStatus, p_nCmd, p_nStatus);
    return doIaCmd(static_cast<u32>(p_nCmd), IA_CMD_OPT_GET_EXEC_STATUS, &p_nStatus) == SNS_SUCCESS;
}

// Both without a lock, as described: the member is the host's to set and
// read; the sensor thread sees the lens lock only as a flag bit (doIaCmd).
int ISensorController::getSensorZoomFocusParam(SensorZoomFocusParam& p_objParam)
{
    SENSOR_RECORD(getSensorZoomFocusParam, p_objParam);
    p_objParam = m_objZoomFocusParam;
    return SNS_SUCCESS;
}

int ISensorController::setSensorZoomFocusParam(SensorZoomFocusParam& p_objParam)
{
    SENSOR_RECORD_INOUT(setSensorZoomFocusParam, p_objParam);
    m_objZoomFocusParam = p_objParam;
    if (p_objParam.getLockZoomFocusEnable()) {
        setFlag(FLAG_ZOOM_FOCUS_LOCKED);
    } else {
        clearFlag(FLAG_ZOOM_FOCUS_LOCKED);
    }
    return SNS_SUCCESS;
}

bool ISensorController::setIRSwitch(int p_nSwitch)
{
    SENSOR_RECORD(setIRSwitch, p_nSwitch);
    return switchIlluminator(*this, KEY_IR_SWITCH, p_nSwitch, &ISensorController::getWhiteSwitch,
                             &ISensorController::setWhiteSwitch);
}

bool ISensorController::setWhiteSwitch(int p_nSwitch)
{
    SENSOR_RECORD(setWhiteSwitch, p_nSwitch);
    return switchIlluminator(*this, KEY_WHITE_SWITCH, p_nSwitch, &ISensorController::getIRSwitch,
                             &ISensorController::setIRSwitch);
}

bool ISensorController::setLightType(int p_nType)
{
    SENSOR_RECORD(setLightType, p_nType);
    if (static_cast<u32>(p_nType) > static_cast<u32>(kLightTypeMax)) return false;
    return setParameter(KEY_LIGHT_TYPE, p_nType, true) == SNS_SUCCESS;
}

bool ISensorController::setIrisValue(int p_nValue)
{
    SENSOR_RECORD(setIrisValue, p_nValue);
    const int nIris = clampIris(p_nValue);
    if (!sendValue(KEY_EXPOSE_MODE, IA_CMD_OPT_SET, kExposeModeManual)) return false;
    return sendValue(KEY_IRIS_POSITION, IA_CMD_OPT_SET, nIris);
}

// The ISP writes a 32-bit status; only its truth reaches the caller's flag.
bool ISensorController::getHeatStatus(bool& p_bHeating)
{
    SENSOR_RECORD(getHeatStatus, p_bHeating);
    int32_t nStatus = 0;
    if (doIaCmd(IA_CMD_HEAT_STATUS, IA_CMD_OPT_GET, &nStatus) != SNS_SUCCESS) return false;
    p_bHeating = nStatus != 0;
    return true;
}

bool ISensorController::setIrLedInfo(void* p_pInfo)
{
    SENSOR_RECORD(setIrLedInfo, p_pInfo);
    return doIaCmd(IA_CMD_IR_LED_INFO, IA_CMD_OPT_SET, p_pInfo) == SNS_SUCCESS;
}

// The published list is "v1 v2 ... vn"; values beyond the capacity are ignored.
int ISensorController::shutterList(int* p_pValues, int p_nCapacity)
{
    int nType = 0;
    std::string strRange;
    getSensorParamRange(KEY_MAX_SHUTTER, nType, strRange);

    int nCount = 0;
    size_t from = 0;
    while (nCount < p_nCapacity) {
        const size_t blank = strRange.find(' ', from);
        if (blank == std::string::npos) {
            if (from < strRange.size()) p_pValues[nCount++] = StringHandler::str2type<int>(strRange.substr(from));
            break;
        }
        p_pValues[nCount++] = StringHandler::str2type<int>(strRange.substr(from, blank - from));
        from = blank + 1;
    }
    return nCount;
}

bool ISensorController::getShutterValue(int& p_nIndex)
{
    SENSOR_RECORD(getShutterValue, p_nIndex);
    int anShutter[kShutterListMax];
    const int nCount = shutterList(anShutter, kShutterListMax);
    int nCurrent = 0;
    if (doIaCmd(KEY_MAX_SHUTTER, IA_CMD_OPT_GET, &nCurrent) != SNS_SUCCESS) return false;
    const int nIndex = indexOf(anShutter, nCount, nCurrent);
    if (nIndex < 0) return false;
    p_nIndex = nIndex;
    return true;
}

bool ISensorController::setShutterValue(int p_nIndex)
{
    SENSOR_RECORD(setShutterValue, p_nIndex);
    int anShutter[kShutterListMax];
    const int nCount = shutterList(anShutter, kShutterListMax);
    if (p_nIndex < 0 || p_nIndex >= nCount) return false;
    return setParameter(KEY_MAX_SHUTTER, anShutter[p_nIndex], true) == SNS_SUCCESS;
}

// Moves the maximum shutter one list entry; at either end of the list the
// current value is set again.
bool ISensorController::shutterStep(int p_nDirection)
{
    int anShutter[kShutterListMax];
    const int nCount = shutterList(anShutter, kShutterListMax);
    int nValue = 0;
    if (doIaCmd(KEY_MAX_SHUTTER, IA_CMD_OPT_GET, &nValue) != SNS_SUCCESS) return false;
    const int nIndex = indexOf(anShutter, nCount, nValue);
    if (nIndex < 0) return false;
    const int nNext = nIndex + p_nDirection;
    if (nNext >= 0 && nNext < nCount) nValue = anShutter[nNext];
    return setParameter(KEY_MAX_SHUTTER, nValue, true) == SNS_SUCCESS;
}

bool ISensorController::shutterUp()
{
    SENSOR_RECORD(shutterUp);
    return shutterStep(1);
}

bool ISensorController::shutterDown()
{
    SENSOR_RECORD(shutterDown);
    return shutterStep(-1);
}

// Aligns the visible channel's zoom with the calibrated position that the
// thermal channel's field of view needs.
bool ISensorController::sync_fov()
{
    SENSOR_RECORD(sync_fov);
    std::vector<std::string> vecLines;
    VXFile objFile;
    objFile.open(kSyncFovFile, VXFile::modeRead);
    objFile.ReadLines(vecLines);
    objFile.close();

    char szZoomName[32];
    char szFocusName[32];
    std::snprintf(szZoomName, sizeof(szZoomName), "zoom%d", m_nCameraID);
    std::snprintf(szFocusName, sizeof(szFocusName), "focus%d", m_nCameraID);

    int nZoom = -1;
    int nFocus = -1;
    for (const std::string& strLine : vecLines) {
        readFovEntry(strLine, szZoomName, nZoom);
        readFovEntry(strLine, szFocusName, nFocus);
        std::printf("zoom= %d,focus= %d \n", nZoom, nFocus);
        std::fflush(stdout);
        if (nZoom > 0 && nFocus > 0) break;
    }
    // The focus entry only ends the search: the lens refocuses by itself.
    if (nZoom > 0) setZoomValue(nZoom);
    return true;
}

// The value cache of the schemes, the key-command lookup and the plain
// dispatch handlers that forward one value to the ISP.
#include <cstring>

#include "ISensorController.h"
#include "SensorKeys.h"
#include "SchemeSets.h"
#include "SensorReport.h"
#include "SharedValue.h"
#include "ia_ioctrl.h"
#include "Recorder.h"
#include "IspCall.h"

static const char* const kReportModule = "ISensorController";

namespace {

// Lens commands that the zoom/focus lock holds back.
constexpr u32 kLensCmdFirst = KEY_AUTO_FOCUS_MODE;
constexpr u32 kLensCmdLast = KEY_LENS_RESET;

// A bounded copy, cut at N - 1 characters; the set path makes two per record,
// so no printf machinery.
template <size_t N>
void copyText(char (&to)[N], const char* from)
{
    const size_t length = strnlen(from, N - 1);
    std::memcpy(to, from, length);
    to[length] = '\0';
}

} // namespace

int ISensorController::findFromKeyCmdMap(const keycmd* p_pKeyCmdMap, u32 p_nKey, keycmd& p_stKeyCmd)
{
    for (u32 row = 0; p_pKeyCmdMap != nullptr && row < m_nKeyCmdSum; ++row) {
        const keycmd& found = p_pKeyCmdMap[row];
        if (found.nKey != p_nKey) continue;
        p_stKeyCmd.nKey = found.nKey;
        p_stKeyCmd.nIaCmd = found.nIaCmd;
        p_stKeyCmd.pfnHandler = found.pfnHandler;
        copyText(p_stKeyCmd.szKeyName, found.szKeyName);
        copyText(p_stKeyCmd.szFuncName, found.szFuncName);
        return static_cast<int>(row);
    }
    sensor::plainPrint("cand not find key-cmd while key=%d\n", static_cast<int>(p_nKey));
    return -1;
}

int ISensorController::setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nValue, bool p_bForce)
{
    // Nothing past the factory set exists, whatever the caller forces.
    const sensor::SchemeView sets = schemeView();
    const auto reach = p_bForce ? sensor::SchemeView::kWithFactory : sensor::SchemeView::kUserSchemes;
    KeyVal* set = sets.set(p_nScheme, reach);
    if (set == nullptr) return -2;
    const int nPos = sets.find(p_nScheme, p_nKey);
    if (nPos >= 0) sensor::storeValue(set[nPos], p_nValue);
    return nPos;
}

int ISensorController::getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nValue)
{
    const sensor::SchemeView sets = schemeView();
    if (!sets.reaches(p_nScheme, sensor::SchemeView::kWithFactory)) {
        sensor::plainPrint("can not find val, invalid sheme(%d) \n", static_cast<int>(p_nScheme));
        return -1;
    }
    const int nPos = sets.find(p_nScheme, p_nKey);
    if (nPos >= 0) p_nValue = sensor::loadValue(sets.set(p_nScheme)[nPos]);
    return nPos;
}

bool ISensorController::isKeyValSame(const KeyVal& p_stKeyVal)
{
    // During a switch the ISP still holds the previous scheme's values.
    const int nScheme = testFlag(FLAG_SWITCHING) ? m_nLastScheme : m_nCurScheme;
    u32 nCached = 0;
    if (getKeyValFromCache(static_cast<u32>(nScheme), p_stKeyVal.key, nCached) < 0) return false;
    return nCached == sensor::loadValue(p_stKeyVal);
}

int ISensorController::doIaCmd(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    if (testFlag(FLAG_ZOOM_FOCUS_LOCKED) && p_nKey >= kLensCmdFirst && p_nKey <= kLensCmdLast) {
        return SNS_SUCCESS;
    }
    return sensor::callIsp(m_nCameraID - 1, p_nKey, p_nDir, p_pVal);
}

int ISensorController::doIaCmd_User(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    // User actions make no sense while the parameters are being rebuilt.
    if (isBusy() || testFlag(FLAG_INITIALISING)) return SNS_SUCCESS;
    if (p_nKey == KEY_AUTO_FOCUS_ONCE) {
        SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
        if (p_pVal == nullptr) return -1;
        if (m_bHasLens == 0) return SNS_SUCCESS;
        if (m_bThermalChannel == 0 && *static_cast<const int*>(p_pVal) == 0) return SNS_SUCCESS;
    }
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

int ISensorController::doIaCmdShutter(u32 p_nKey, u32 p_nDir, void* p_pVal)
{
    // After uinit one shutter command gets through the next start-up.
    if (m_bShutterPass == 0 && isBusy()) return SNS_SUCCESS;
    m_bShutterPass = 0;
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

int ISensorController::doIoCrtl(u32 p_nKey, u32, void*)
{
    if (p_nKey == KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV) {
        // Served by the sensor thread of the channel named here.
        m_nChanneldDosomething = 1;
        m_nPassKeycmd = static_cast<int>(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV);
    }
    return SNS_SUCCESS;
}

int ISensorController::test_debugParam(u32 p_nKey, u32, void* p_pVal)
{
    SNS_CHECK_TEXT(p_pVal != nullptr, "NULL != p_pVal", "");
    if (p_pVal == nullptr) return -1;
    notifyToVideo(static_cast<int>(p_nKey), *static_cast<const int*>(p_pVal));
    return SNS_SUCCESS;
}

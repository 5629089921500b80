// The set pipeline: every value that reaches the ISP or a scheme's set
// passes through the array form of setParameters.
#include <cstdio>
#include <string>

#include "ISensorController.h"
#include "KeyFacts.h"
#include "SensorKeyVal.h"
#include "SensorKeys.h"
#include "SensorReport.h"
#include "ia_ioctrl.h"

static const char* const kReportModule = "ISensorController";

namespace {

using sensor::kDayNightKeys;
using sensor::kStoredOnlyKeys;
using sensor::listed;
using sensor::TwinKeys;
using sensor::twinPair;

constexpr u32 kIntelligentLightType = 2;

// Near and far infrared together may not exceed this share of the power.
constexpr u32 kIrPowerLimit = 100;

// Values of KEY_SCHEME_MODE.
constexpr u32 kSchemeModeTime = 1;
constexpr u32 kSchemeModeDayNight = 2;

// On the thermal channel these keys bypass the table: their own handler
// runs, or the video module alone is told; nullptr for the other keys.
const sensor::KeyFact* thermalRoute(u32 key)
{
    if (!listed(sensor::kThermalRoutedKeys, key)) return nullptr;
    return sensor::findKeyFact(key);
}

} // namespace

int ISensorController::setParameters(KeyVal* p_pKeyval, u32 p_nCount, bool p_bStore)
{
    if (p_pKeyval == nullptr) p_nCount = 0;
    const u32 nSchemeSum = m_stSysConf.nSchemeSum;
    // Taken afresh for each record; -1 (before the first switch) as unsigned
    // lies past every set.
    u32 nCurScheme = static_cast<u32>(m_nCurScheme);
    // Reports from the steps below name this function, not the lambda.
    const sensor::ReportSite stSite = SNS_SITE();
    auto siteAt = [&stSite](int line) {
        return sensor::ReportSite{stSite.module, stSite.function, line, stSite.signature};
    };

    // Keys that never reach the table; true when the record was one of them.
    auto handledWithoutTable = [&](KeyVal& stRecord) {
        const u32 nKey = stRecord.key;
        if (listed(kStoredOnlyKeys, nKey)) return true;
        if (nKey == KEY_SCHEME_MODE) {
            if (m_nCurScheme != 0) return true;
            // Scheme 0 decides the mode for every user scheme.
            m_bTimeScheme = stRecord.value == kSchemeModeTime ? 1 : 0;
            m_bDNScheme = stRecord.value == kSchemeModeDayNight ? 1 : 0;
            const u32 nMode = m_bTimeScheme != 0 ? kSchemeModeTime : (m_bDNScheme != 0 ? kSchemeModeDayNight : 0);
            for (u32 s = 1; s < nSchemeSum; ++s) setKeyValToCache(s, KEY_SCHEME_MODE, nMode, true);
            return true;
        }
        const sensor::KeyFact* pRoute = m_bThermalChannel != 0 ? thermalRoute(nKey) : nullptr;
        if (pRoute == nullptr) return false;
        if ((pRoute->facts & sensor::fact::THERMAL_OWN) != 0) {
            (this->*(pRoute->handler))(nKey, IA_CMD_OPT_SET, &stRecord.value);
        } else {
            notifyToVideo(static_cast<int>(nKey), static_cast<int>(stRecord.value));
        }
        return true;
    };

    // Near and far infrared together must stay within the illuminator's power.
    auto irPowerExceeded = [&](u32 nKey, u32 nValue) {
        if (m_bisLimitedIrPower == 0 || (nKey != KEY_IR_MANUAL_STRG_NEAR && nKey != KEY_IR_MANUAL_STRG_FAR)) {
            return false;
        }
        const bool bNear = nKey == KEY_IR_MANUAL_STRG_NEAR;
        const u32 nPartner = bNear ? KEY_IR_MANUAL_STRG_FAR : KEY_IR_MANUAL_STRG_NEAR;
        int nPartnerVal = -1;
        u32 nCached = 0;
        if (getKeyValFromCache(nCurScheme, nPartner, nCached) >= 0) {
            nPartnerVal = static_cast<int>(nCached);
        } else {
            const int nRet = doIaCmd(nPartner, IA_CMD_OPT_GET, &nPartnerVal);
            if (nRet != SNS_SUCCESS) {
                sensor::reportAssert(siteAt(__LINE__),
                                     "SNS_SUCCESS == doIaCmd(nPartnerKey, IA_CMD_OPT_GET, &nPartnerVal)",
                                     "get key(%d) val from 2a err", static_cast<int>(nPartner));
            }
            std::printf("### %s doIaCmd %s\n", bNear ? "KEY_IR_MANUAL_STRG_FAR" : "KEY_IR_MANUAL_STRG_NEAR",
                        nRet == SNS_SUCCESS ? "sucess" : "error");
            std::fflush(stdout);
        }
        return nPartnerVal != -1 && static_cast<u32>(nPartnerVal) + nValue > kIrPowerLimit;
    };

    // Sends the record's value through the row of nApplyKey; the handler's
    // result, with the row's key in nRowKey.
    auto applyThroughTable = [&](u32 nIndex, u32 nApplyKey, KeyVal& stRecord, u32& nRowKey) {
        const int nValue = static_cast<int>(stRecord.value);
        keycmd stKeyCmdTmp{};
        if (findFromKeyCmdMap(m_pKeyCmdMap, nApplyKey, stKeyCmdTmp) < 0) {
            sensor::reportAssert(siteAt(__LINE__), "-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)",
                                 "p_pKeyval[%u].key(%u)", nIndex, nApplyKey);
            sensor::plainPrint("not find (%d) \n", static_cast<int>(nApplyKey));
            stKeyCmdTmp.nKey = nApplyKey;
            stKeyCmdTmp.nIaCmd = nApplyKey;
            stKeyCmdTmp.pfnHandler = &ISensorController::doIaCmd;
            std::snprintf(stKeyCmdTmp.szKeyName, sizeof(stKeyCmdTmp.szKeyName), "%s", "unknow key");
            std::snprintf(stKeyCmdTmp.szFuncName, sizeof(stKeyCmdTmp.szFuncName), "%s", "ISensorController::doIaCmd");
        }
        nRowKey = stKeyCmdTmp.nKey;
        sensor::plainPrint("====================== set %s (%d,%d) func:%s ia_cmd:%d =====================\n",
                           stKeyCmdTmp.szKeyName, static_cast<int>(stKeyCmdTmp.nKey), nValue, stKeyCmdTmp.szFuncName,
                           static_cast<int>(stKeyCmdTmp.nIaCmd));
        // Rows without a handler hold values that are never sent.
        if (stKeyCmdTmp.pfnHandler == nullptr) return SNS_SUCCESS;
        const int nRet = (this->*(stKeyCmdTmp.pfnHandler))(stKeyCmdTmp.nIaCmd, IA_CMD_OPT_SET, &stRecord.value);
        if (nRet == -1 || nRet == -4 || nRet == -5) {
            sensor::report(sensor::ReportKind::Err, siteAt(__LINE__),
                           "set %s (%d,%d) func:%s ia_cmd:%d ~~~failed ia_ret=%d\n", stKeyCmdTmp.szKeyName,
                           static_cast<int>(stKeyCmdTmp.nKey), static_cast<int>(stRecord.value),
                           stKeyCmdTmp.szFuncName, static_cast<int>(stKeyCmdTmp.nIaCmd), nRet);
        }
        return nRet;
    };

    for (u32 i = 0; i < p_nCount; ++i) {
        KeyVal& stRecord = p_pKeyval[i];
        const u32 nKey = stRecord.key;
        const u32 nValue = stRecord.value;
        nCurScheme = static_cast<u32>(m_nCurScheme);
        // The forced stores need a current set.
        const bool bCurIsSet = nCurScheme <= nSchemeSum;

        if (p_bStore && isKeyValSame(stRecord)) continue;

        if (!handledWithoutTable(stRecord)) {
            bool bApply = true;
            if (m_bDNScheme != 0 && listed(kDayNightKeys, nKey)) {
                // Day and night settings are made in scheme 0 and kept in scheme 1.
                if (m_nCurScheme != 0) {
                    bApply = false;
                } else {
                    setKeyValToCache(1, nKey, nValue, true);
                }
            }

            // Read for every record: an earlier record may have changed it.
            u32 nLightType = 0;
            getKeyValFromCache(nCurScheme, KEY_LIGHT_TYPE, nLightType);

            if (irPowerExceeded(nKey, nValue)) return -static_cast<int>(p_pKeyval[0].key);

            u32 nApplyKey = nKey;
            if (const TwinKeys* pPair = twinPair(nKey)) {
                const bool bIsTwin = nKey == pPair->twin;
                // Only the key of the current light type is taken.
                if ((nLightType == kIntelligentLightType) != bIsTwin) continue;
                if (bCurIsSet) setKeyValToCache(nCurScheme, bIsTwin ? pPair->base : pPair->twin, nValue, true);
                nApplyKey = pPair->base;
            }

            u32 nRowKey = nApplyKey;
            if (bApply && applyThroughTable(i, nApplyKey, stRecord, nRowKey) != SNS_SUCCESS) {
                return -static_cast<int>(nRowKey);
            }
        }

        if (p_bStore && setKeyValToCache(nCurScheme, nKey, stRecord.value, false) == -1) {
            SNS_DBG("SET_KEY_VAL FAILED, m_nCurScheme(%d), p_pKeyval[%d].key(%d), p_pKeyval[%d].value(%d),  "
                    "maybe jixin\n",
                    m_nCurScheme.load(), static_cast<int>(i), static_cast<int>(nKey), static_cast<int>(i),
                    static_cast<int>(stRecord.value));
        }
    }
    std::printf("\n");
    std::fflush(stdout);
    return SNS_SUCCESS;
}

int ISensorController::setParameters(const std::string& p_strParameters, bool p_bStore)
{
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);
    SNS_DBG("p_Parameters1111111111(%s)\n", p_strParameters.c_str());
    u32 nCount = 0;
    if (m_pstKeyValTmp != nullptr) keyval_str2st(p_strParameters, m_pstKeyValTmp, &nCount, m_nKeyValSum);
    return setParameters(m_pstKeyValTmp, nCount, p_bStore);
}

int ISensorController::setParameter(int p_nKey, int p_nValue, bool p_bStore)
{
    m_objMutex.Lock(kReportModule, __LINE__);
    VXMutexManager guard(m_objMutex);
    SNS_DBG("p_Parameters22222222222(%d, %d)\n", p_nKey, p_nValue);
    KeyVal stRecord{static_cast<u32>(p_nKey), static_cast<u32>(p_nValue)};
    return setParameters(&stRecord, 1, p_bStore);
}

bool ISensorController::setDNMode(int p_nMode)
{
    return setParameter(KEY_DN_MODE, p_nMode, true) == SNS_SUCCESS;
}

bool ISensorController::setWDRSwitch(int& p_nValue)
{
    return setParameter(KEY_WDR_MODE, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setHLCSwitch(int& p_nValue)
{
    return setParameter(KEY_HLC_SWITCH, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setBLCSwitch(int& p_nValue)
{
    return setParameter(KEY_BLC_SWITCH, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setDefogSwitch(int& p_nValue)
{
    return setParameter(KEY_DEFLG_SWITCH, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setWDRStrength(int& p_nValue)
{
    return setParameter(KEY_WDR_STRG, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setHLCStrength(int& p_nValue)
{
    return setParameter(KEY_HLC_STRG, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setBLCStrength(int& p_nValue)
{
    return setParameter(KEY_BLC_STRG, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setDefogStrength(int& p_nValue)
{
    return setParameter(KEY_DEFLG_STRG, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::set2DSwitch(int& p_nValue)
{
    return setParameter(KEY_2D_NR_SWITCH, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::set3DSwitch(int& p_nValue)
{
    return setParameter(KEY_3D_NR_SWITCH, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::set2DMode(int& p_nValue)
{
    return setParameter(KEY_2D_NR_MODE, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::set3DMode(int& p_nValue)
{
    return setParameter(KEY_3D_NR_MODE, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::set2DAutoMaxStrength(int& p_nValue)
{
    return setParameter(KEY_2D_NR_STRG_A, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::set3DAutoMaxStrength(int& p_nValue)
{
    return setParameter(KEY_3D_NR_STRG_A, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::set2DManualMaxStrength(int& p_nValue)
{
    return setParameter(KEY_2D_NR_STRG_M, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::set3DManualMaxStrength(int& p_nValue)
{
    return setParameter(KEY_3D_NR_STRG_M, p_nValue, true) == SNS_SUCCESS;
}

bool ISensorController::setBeaway(int& p_nValue)
{
    return setParameter(KEY_BEAWAY, p_nValue, true) == SNS_SUCCESS;
}

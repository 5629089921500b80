// The set pipeline: every value that reaches the ISP or a scheme's set
// passes through the array form of setParameters.
#include <cstdio>
#include <string>
#include <vector>

#include "ControllerLock.h"
#include "ISensorController.h"
#include "IspPayload.h"
#include "KeyFacts.h"
#include "SensorKeyVal.h"
#include "SensorKeys.h"
#include "SensorReport.h"
#include "SharedValue.h"
#include "ia_ioctrl.h"
#include "Recorder.h"

static const char* const kReportModule = "ISensorController";

namespace {

using sensor::kDayNightKeys;
using sensor::kStoredOnlyKeys;
using sensor::listed;
using sensor::TwinKeys;
using sensor::twinPair;

constexpr u32 kIntelligentLightType = 2;

// Near and far infrared together may not exceed this share of the power (a
// percentage, not a key).
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

// One record on its way through the set path. A switch applies a set in
// place while host threads store into it: the value is read once, and
// written back only when a handler rewrote it.
struct ISensorController::SetRecord {
    KeyVal& record;
    u32 value;
    u32 index;
    // Taken afresh for each record; -1 (before the first switch) as unsigned
    // lies past every set.
    u32 scheme;
    u32 applyKey; // the key whose row sends the value: the base of a twin
    bool apply;   // false: only stored
    keycmd row;
    bool rowFound;

    void rewrite(u32 p_nValue)
    {
        if (p_nValue == value) return;
        value = p_nValue;
        sensor::storeValue(record, p_nValue);
    }
};

// The partner of a near or far infrared strength, from the set or the ISP.
struct ISensorController::IrPartner {
    u32 key = 0;
    int value = -1; // -1: unknown, no limit
    bool asked = false;
    int result = SNS_SUCCESS;
};

// Keys that never reach the table; true when the record was one of them.
bool ISensorController::setRoutedAside(SetRecord& p_stRec)
{
    const u32 nKey = p_stRec.record.key;
    if (listed(kStoredOnlyKeys, nKey)) return true;
    if (nKey == KEY_SCHEME_MODE) {
        if (m_nCurScheme != 0) return true;
        // Scheme 0 decides the mode for every user scheme.
        m_bTimeScheme = p_stRec.value == kSchemeModeTime ? 1 : 0;
        m_bDNScheme = p_stRec.value == kSchemeModeDayNight ? 1 : 0;
        const u32 nMode = m_bTimeScheme != 0 ? kSchemeModeTime : (m_bDNScheme != 0 ? kSchemeModeDayNight : 0);
        for (u32 s = 1; s < m_stSysConf.nSchemeSum; ++s) setKeyValToCache(s, KEY_SCHEME_MODE, nMode, true);
        return true;
    }
    const sensor::KeyFact* pRoute = m_bThermalChannel != 0 ? thermalRoute(nKey) : nullptr;
    if (pRoute == nullptr) return false;
    if ((pRoute->facts & sensor::fact::THERMAL_OWN) != 0) {
        u32 nValue = p_stRec.value;
        (this->*sensor::keyHandler(pRoute->handler))(nKey, IA_CMD_OPT_SET, &nValue);
        p_stRec.rewrite(nValue);
    } else {
        notifyToVideo(static_cast<int>(nKey), static_cast<int>(p_stRec.value));
    }
    return true;
}

// Day and night settings are made in scheme 0 and kept in scheme 1.
void ISensorController::setDayNightInSchemeZero(SetRecord& p_stRec)
{
    if (m_bDNScheme == 0 || !listed(kDayNightKeys, p_stRec.record.key)) return;
    if (m_nCurScheme != 0) {
        p_stRec.apply = false;
    } else {
        setKeyValToCache(1, p_stRec.record.key, p_stRec.value, true);
    }
}

ISensorController::IrPartner ISensorController::readIrPartner(const SetRecord& p_stRec)
{
    IrPartner stPartner;
    const u32 nKey = p_stRec.record.key;
    if (m_bisLimitedIrPower == 0 || (nKey != KEY_IR_MANUAL_STRG_NEAR && nKey != KEY_IR_MANUAL_STRG_FAR)) {
        return stPartner;
    }
    stPartner.key = nKey == KEY_IR_MANUAL_STRG_NEAR ? KEY_IR_MANUAL_STRG_FAR : KEY_IR_MANUAL_STRG_NEAR;
    u32 nCached = 0;
    if (getKeyValFromCache(p_stRec.scheme, stPartner.key, nCached) >= 0) {
        stPartner.value = static_cast<int>(nCached);
    } else {
        stPartner.asked = true;
        stPartner.result = doIaCmd(stPartner.key, IA_CMD_OPT_GET, &stPartner.value);
    }
    return stPartner;
}

// Only the key of the current light type is taken; its twin keeps the same
// value. False when the record is not taken at all.
bool ISensorController::setTwinOfLightType(SetRecord& p_stRec)
{
    const TwinKeys* pPair = twinPair(p_stRec.record.key);
    if (pPair == nullptr) return true;
    // Read for every record: an earlier record may have changed it.
    u32 nLightType = 0;
    getKeyValFromCache(p_stRec.scheme, KEY_LIGHT_TYPE, nLightType);
    const bool bIsTwin = p_stRec.record.key == pPair->twin;
    if ((nLightType == kIntelligentLightType) != bIsTwin) return false;
    // The forced store refuses a scheme without a set.
    setKeyValToCache(p_stRec.scheme, bIsTwin ? pPair->base : pPair->twin, p_stRec.value, true);
    p_stRec.applyKey = pPair->base;
    return true;
}

bool ISensorController::findSetRow(SetRecord& p_stRec)
{
    p_stRec.rowFound = findFromKeyCmdMap(m_pKeyCmdMap, p_stRec.applyKey, p_stRec.row) >= 0;
    return p_stRec.rowFound;
}

// The handler's result; rows without a handler hold values never sent.
int ISensorController::applySetRow(SetRecord& p_stRec)
{
    keycmd& stRow = p_stRec.row;
    if (!p_stRec.rowFound) {
        // A key without a row goes to the ISP as its own command.
        sensor::plainPrint("not find (%d) \n", static_cast<int>(p_stRec.applyKey));
        stRow.nKey = p_stRec.applyKey;
        stRow.nIaCmd = p_stRec.applyKey;
        stRow.pfnHandler = &ISensorController::doIaCmd;
        std::snprintf(stRow.szKeyName, sizeof(stRow.szKeyName), "%s", "unknow key");
        std::snprintf(stRow.szFuncName, sizeof(stRow.szFuncName), "%s", "ISensorController::doIaCmd");
    }
    sensor::plainPrint("====================== set %s (%d,%d) func:%s ia_cmd:%d =====================\n",
                       stRow.szKeyName, static_cast<int>(stRow.nKey), static_cast<int>(p_stRec.value),
                       stRow.szFuncName, static_cast<int>(stRow.nIaCmd));
    if (stRow.pfnHandler == nullptr) return SNS_SUCCESS;
    u32 nValue = p_stRec.value;
    const int nRet = sensor::exchangeValue(*this, stRow.pfnHandler, stRow.nIaCmd, IA_CMD_OPT_SET, nValue);
    p_stRec.rewrite(nValue);
    return nRet;
}

int ISensorController::setParameters(KeyVal* p_pKeyval, u32 p_nCount, bool p_bStore)
{
    SENSOR_RECORD_AS(SetRecords, setParameters, p_pKeyval, p_nCount, p_bStore);
    if (p_pKeyval == nullptr) p_nCount = 0;
    for (u32 i = 0; i < p_nCount; ++i) {
        SetRecord stRec{p_pKeyval[i], sensor::loadValue(p_pKeyval[i]), i, static_cast<u32>(m_nCurScheme),
                        p_pKeyval[i].key, true, keycmd{}, false};
        const u32 nKey = stRec.record.key;
        if (p_bStore && isKeyValSame(KeyVal{nKey, stRec.value})) continue;

        if (!setRoutedAside(stRec)) {
            setDayNightInSchemeZero(stRec);

            // Near and far infrared together must stay within the illuminator's power.
            const IrPartner stPartner = readIrPartner(stRec);
            if (stPartner.asked) {
                SNS_CHECK_TEXT(stPartner.result == SNS_SUCCESS,
                               "SNS_SUCCESS == doIaCmd(nPartnerKey, IA_CMD_OPT_GET, &nPartnerVal)",
                               "get key(%d) val from 2a err", static_cast<int>(stPartner.key));
                std::printf("### %s doIaCmd %s\n",
                            nKey == KEY_IR_MANUAL_STRG_NEAR ? "KEY_IR_MANUAL_STRG_FAR" : "KEY_IR_MANUAL_STRG_NEAR",
                            stPartner.result == SNS_SUCCESS ? "sucess" : "error");
                std::fflush(stdout);
            }
            if (stPartner.value != -1 && static_cast<u32>(stPartner.value) + stRec.value > kIrPowerLimit) {
                return -static_cast<int>(p_pKeyval[0].key);
            }

            if (!setTwinOfLightType(stRec)) continue;

            if (stRec.apply) {
                SNS_CHECK_TEXT(findSetRow(stRec), "-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)",
                               "p_pKeyval[%u].key(%u)", i, stRec.applyKey);
                const int nRet = applySetRow(stRec);
                const keycmd& stRow = stRec.row;
                if (nRet == -1 || nRet == -4 || nRet == -5) {
                    SNS_ERR("set %s (%d,%d) func:%s ia_cmd:%d ~~~failed ia_ret=%d\n", stRow.szKeyName,
                            static_cast<int>(stRow.nKey), static_cast<int>(stRec.value), stRow.szFuncName,
                            static_cast<int>(stRow.nIaCmd), nRet);
                }
                if (nRet != SNS_SUCCESS) return -static_cast<int>(stRow.nKey);
            }
        }

        if (p_bStore && setKeyValToCache(stRec.scheme, nKey, stRec.value, false) == -1) {
            SNS_DBG("SET_KEY_VAL FAILED, m_nCurScheme(%d), p_pKeyval[%d].key(%d), p_pKeyval[%d].value(%d),  "
                    "maybe jixin\n",
                    m_nCurScheme.load(), static_cast<int>(i), static_cast<int>(nKey), static_cast<int>(i),
                    static_cast<int>(stRec.value));
        }
    }
    std::printf("\n");
    std::fflush(stdout);
    return SNS_SUCCESS;
}

int ISensorController::setParameters(const std::string& p_strParameters, bool p_bStore)
{
    SENSOR_RECORD_AS(SetText, setParameters, p_strParameters, p_bStore);
    const sensor::HostLock guard(m_objMutex, this, kReportModule, __LINE__);
    SNS_DBG("p_Parameters1111111111(%s)\n", p_strParameters.c_str());
    // The scratch set is the host operations'; a call made back from the
    // sensor thread's pass, without the lock, reads into its own.
    std::vector<KeyVal> vecOwn(guard.held() ? 0 : m_nKeyValSum);
    KeyVal* pRecords = guard.held() ? m_pstKeyValTmp : vecOwn.data();
    u32 nCount = 0;
    if (pRecords != nullptr) keyval_str2stBounded(p_strParameters, pRecords, &nCount, m_nKeyValSum);
    return setParameters(pRecords, nCount, p_bStore);
}

int ISensorController::setParameter(int p_nKey, int p_nValue, bool p_bStore)
{
    SENSOR_RECORD(setParameter, p_nKey, p_nValue, p_bStore);
    const sensor::HostLock guard(m_objMutex, this, kReportModule, __LINE__);
    SNS_DBG("p_Parameters22222222222(%d, %d)\n", p_nKey, p_nValue);
    KeyVal stRecord{static_cast<u32>(p_nKey), static_cast<u32>(p_nValue)};
    return setParameters(&stRecord, 1, p_bStore);
}

// Reading parameters: from the current scheme's set, else from the ISP; the
// sensor check and the value ranges of the sensor-dependent commands.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ControllerLock.h"
#include "DynamicCommands.h"
#include "ISensorController.h"
#include "IspPayload.h"
#include "KeyFacts.h"
#include "SensorKeys.h"
#include "SensorReport.h"
#include "StringHandler.h"
#include "ia_ioctrl.h"
#include "Recorder.h"
#include "IspCall.h"

static const char* const kReportModule = "ISensorController";

namespace {

using sensor::listed;

// The sensor check's second argument that asks for a result.
constexpr int kSensorCheckQuery = 2;
constexpr size_t kSensorCheckArgs = 3;

} // namespace

bool ISensorController::getParameter(int p_nKey, int& p_nVal)
{
    SENSOR_RECORD(getParameter, p_nKey, p_nVal);
    const sensor::HostLock guard(m_objMutex, this, kReportModule, __LINE__);
    SNS_DBG("p_nKey(%d)\n", p_nKey);
    const u32 nKey = static_cast<u32>(p_nKey);
    u32 nCached = 0;
    if (getKeyValFromCache(static_cast<u32>(m_nCurScheme), nKey, nCached) >= 0) {
        p_nVal = static_cast<int>(nCached);
        return true;
    }
    if (listed(sensor::kNotCachedKeys, nKey)) {
        p_nVal = -1;
        return true;
    }
    u32 nValue = static_cast<u32>(p_nVal);
    const int nRet = sensor::exchangeValue(*this, &ISensorController::doIaCmd, nKey, IA_CMD_OPT_GET, nValue);
    p_nVal = static_cast<int>(nValue);
    SNS_CHECK_TEXT(SNS_SUCCESS == nRet, "SNS_SUCCESS == doIaCmd(p_nKey, IA_CMD_OPT_GET, &p_nVal)",
                   "get key(%d) val from 2a err", p_nKey);
    return nRet == SNS_SUCCESS;
}

bool ISensorController::getParameters(const std::string& p_strIds, std::string& p_strOut)
{
    SENSOR_RECORD(getParameters, p_strIds, p_strOut);
    std::vector<std::string> vecIds;
    if (!parseSensorParameter(p_strIds, vecIds)) {
        std::printf("%s%d getParameters fail p_strIds = %s \n", kReportModule, __LINE__, p_strIds.c_str());
        std::fflush(stdout);
        return false;
    }
    p_strOut = "";
    for (const std::string& strId : vecIds) {
        const int nKey = std::atoi(strId.c_str());
        int nValue = 0;
        if (!getParameter(nKey, nValue)) continue;
        char szPair[32] = {0};
        std::snprintf(szPair, sizeof(szPair), "(%d,%d)", nKey, nValue);
        p_strOut += szPair;
    }
    std::printf("@@ out_Parameters = %s @@\n", p_strOut.c_str());
    std::fflush(stdout);
    return true;
}

bool ISensorController::parseSensorParameter(const std::string& p_strText, std::vector<std::string>& p_vecOut)
{
    const size_t nLen = p_strText.size();
    // "(" first, ")" last and nowhere before it, something between.
    if (nLen < 3 || p_strText[0] != '(' || p_strText.find(')') != nLen - 1) return false;
    StringHandler::split(p_strText.substr(1, nLen - 2), p_vecOut, ",");
    return !p_vecOut.empty();
}

int ISensorController::SensorCheck(std::string& p_strText)
{
    SENSOR_RECORD_INOUT(SensorCheck, p_strText);
    std::vector<std::string> vecArgs;
    if (!parseSensorParameter(p_strText, vecArgs) || vecArgs.size() < kSensorCheckArgs) {
        std::printf("%s%d getParameters fail p_strIds = %s \n", kReportModule, __LINE__, p_strText.c_str());
        std::fflush(stdout);
        return SNS_SUCCESS;
    }
    ia_sensor_check_st stCheck{};
    for (size_t i = 0; i < kSensorCheckArgs; ++i) stCheck.arg[i] = std::atoi(vecArgs[i].c_str());
    const bool bQuery = stCheck.arg[1] == kSensorCheckQuery;
    const int nRet = sensor::callIsp(m_nCameraID - 1, IA_CMD_SENSOR_CHECK, bQuery ? IA_CMD_OPT_GET : IA_CMD_OPT_SET,
                                  &stCheck);
    if (bQuery) {
        char szResult[16] = {0}; // a decimal int
        std::snprintf(szResult, sizeof(szResult), "%d", static_cast<int>(stCheck.result));
        p_strText = szResult;
    }
    return nRet;
}

bool ISensorController::getSensorParamRange(int p_nCmd, int& p_nDefault, std::string& p_strRange)
{
    SENSOR_RECORD(getSensorParamRange, p_nCmd, p_nDefault, p_strRange);
    char szNumber[64] = {0};
    ia_dynamic_params_attr_st stDynamicParam{};
    sensor::DynamicCommands query = sensor::queryDynamicCommands(m_nCameraID - 1);
    SNS_CHECK_TEXT(SNS_SUCCESS == query.result,
                   "SNS_SUCCESS == ia_ioctrl_v2(m_nCameraID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
                   "(void*)(&dnaCmdList))",
                   "");
    // A failed query offers nothing, whatever it left in the record.
    const int nCmdCount = query.result == SNS_SUCCESS ? query.count : 0;

    bool bQualifies = false;
    for (int i = 0; i < nCmdCount && !bQualifies; ++i) {
        bQualifies = query.list.cmd_list[i] == p_nCmd && p_nCmd >= 0 && listed(sensor::kRangedKeys, static_cast<u32>(p_nCmd));
    }
    if (!bQualifies) return false;

    const int nRangeRet = doIaCmd(static_cast<u32>(p_nCmd), IA_CMD_OPT_GET_PARAM_RNAGE, &stDynamicParam);
    SNS_CHECK_TEXT(SNS_SUCCESS == nRangeRet,
                   "SNS_SUCCESS == doIaCmd(p_nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&stDynamicParam))", "");
    // Only a list of items is handed out.
    if (stDynamicParam.kind != 0) return true;

    p_nDefault = stDynamicParam.default_val;
    const int nItems = sensor::readableCount(stDynamicParam.items_cnt, IA_DYNAMIC_ITEMS_MAX);
    for (int i = 0; i < nItems; ++i) {
        std::snprintf(szNumber, sizeof(szNumber), "%d", static_cast<int>(stDynamicParam.item[i]));
        p_strRange += szNumber;
        if (i + 1 < nItems) p_strRange += " ";
    }
    std::printf("cmd=%d DefaltParam=%d strParamRange=%s\n", p_nCmd, p_nDefault, p_strRange.c_str());
    std::fflush(stdout);
    return true;
}

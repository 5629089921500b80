// Reading parameters, the sensor check and the published value ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KeyFacts.h"
#include "TestHelpers.h"
#include "SensorKeys.h"
#include "isp_sim.h"

TEST(GetParameters, CacheThenInfraredDefaultThenIspAndTheSensorCheck)
{
    ControllerRig rig;
    ControllerProbe& c = rig.start(1);
    int nValue = 64;
    EXPECT_TRUE(c.setBLCStrength(nValue));
    EXPECT_TRUE(c.getBLCStrength(nValue = 0));
    EXPECT_EQ(64, nValue);
    c.renameKey(KEY_IR_MODE, KEY_EMPTY1);
    isp_sim::clearTrace();
    EXPECT_TRUE(c.getParameter(KEY_IR_MODE, nValue));
    EXPECT_EQ(-1, nValue);
    EXPECT_TRUE(isp_sim::trace().empty());
    isp_sim::setValue(0, 153, 1);
    EXPECT_TRUE(c.getParameter(153, nValue));
    EXPECT_EQ(1, nValue);
    isp_sim::failCommand(999);
    std::string strOut = "old";
    EXPECT_TRUE(c.getParameters("(144,999)", strOut));
    EXPECT_EQ("(144,0)", strOut);
    EXPECT_EQ(1u, isp_sim::countCalls(999, IA_CMD_OPT_GET));
    EXPECT_FALSE(c.getParameters("144,999", strOut));
    EXPECT_EQ("(144,0)", strOut);

    std::vector<std::string> out;
    for (const char* bad : {"", "()", "1,2", "(1,2", "(1)2", "(1))"}) {
        EXPECT_FALSE(c.parseSensorParameter(bad, out)) << bad;
    }
    EXPECT_TRUE(c.parseSensorParameter("(1)", out));
    EXPECT_EQ(std::vector<std::string>{"1"}, out);
    isp_sim::setSensorCheckResult(42);
    std::string strText = "(5,2,6)";
    EXPECT_EQ(0, c.SensorCheck(strText));
    EXPECT_EQ("42", strText);
    EXPECT_EQ((std::vector<int32_t>{5, 2, 6, 42}), isp_sim::calls(2816, IA_CMD_OPT_GET).at(0).record);
    isp_sim::failCommand(2816, IA_CMD_OPT_SET);
    EXPECT_NE(0, c.SensorCheck(strText = "(5,3,6)"));
    EXPECT_EQ("(5,3,6)", strText);
    EXPECT_EQ(0, c.SensorCheck(strText = "(5,2)"));
    EXPECT_EQ(2u, isp_sim::countCalls(2816));
}

TEST(GetParameters, RangesOnlyForPublishedCommandsAndNoLensCommandsWhileLocked)
{
    ControllerRig rig;
    ControllerProbe& c = rig.start(1);
    isp_sim::setDynamicCommands({52, 49, 82, 1537});
    isp_sim::DynamicRange stRange{0, 2, 0, 0, {1, 2, 4}, -1};
    isp_sim::setRange(49, stRange);
    isp_sim::setRange(52, stRange);
    int nDefault = -1;
    std::string strRange = "x:";
    EXPECT_FALSE(c.getSensorParamRange(52, nDefault, strRange));
    EXPECT_FALSE(c.getSensorParamRange(50, nDefault, strRange)); // ranged, but not published
    EXPECT_TRUE(c.getSensorParamRange(49, nDefault, strRange));
    EXPECT_EQ(2, nDefault);
    EXPECT_EQ("x:1 2 4", strRange);
    stRange.kind = 1;
    isp_sim::setRange(82, stRange);
    EXPECT_TRUE(c.getSensorParamRange(82, nDefault = -1, strRange));
    EXPECT_EQ(-1, nDefault);
    lockLens(c, true);
    isp_sim::clearTrace();
    EXPECT_TRUE(c.getSensorParamRange(1537, nDefault, strRange));
    EXPECT_EQ(0u, isp_sim::countCalls(1537));
    EXPECT_EQ(0, nDefault);
    EXPECT_EQ("x:1 2 4", strRange);
}

// Every command the ISP header names, read and set once by number, whether
// the key table has it or not: ASan sees the ISP write and read its whole
// payload; the host sees the payload's first int.
TEST(GetParameters, EveryIspCommandGetsItsWholePayloadOnGetAndSet)
{
    ControllerRig rig;
    ControllerProbe& c = rig.start(1);
    std::vector<u32> commands = {IA_CMD_DAY_NIGHT_STATE, IA_CMD_EXPOSURE_STRATEGY, IA_CMD_IR_LED_INFO,
                                 IA_CMD_HEAT_STATUS, IA_CMD_TEMPERATURE, IA_CMD_PTZ_RUN_STATE,
                                 IA_CMD_AF_STATISTIC, IA_CMD_CAMERA_VERSION, IA_CMD_SENSOR_CHECK,
                                 IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_UI_SHUTTER_RESET};
    for (const ia_cmd_payload_st& payload : ia_cmd_payloads) commands.push_back(payload.cmd);
    isp_sim::setVersionText("V1.2.3");
    isp_sim::setDynamicCommands({49, 1537});
    for (u32 cmd : commands) {
        int value = 0;
        c.getParameter(static_cast<int>(cmd), value);
        c.setParameter(static_cast<int>(cmd), 1, false);
    }
    int value = 0;
    EXPECT_TRUE(c.getParameter(IA_CMD_CAMERA_VERSION, value));
    EXPECT_EQ(0, std::memcmp(&value, "V1.2", 4));
    EXPECT_TRUE(c.getParameter(IA_CMD_DYNAMIC_PARAMS_CMDS_GET, value));
    EXPECT_EQ(2, value);
    EXPECT_EQ((std::vector<int32_t>{1, 0, 0, 0}), isp_sim::record(0, IA_CMD_IR_LED_INFO));
    EXPECT_EQ((std::vector<int32_t>{1, 0, 0, 0}), isp_sim::record(0, IA_CMD_SENSOR_CHECK));
}

// Every operation of key_wrappers.def reaches the ISP through its key or
// command: a read of a key the scheme lacks asks the ISP for it, a write
// stores the value and plain rows send it; a command row only asks or sends.
TEST(GetParameters, EveryOneKeyOperationReachesItsKey)
{
    ControllerRig rig;
    ControllerProbe& c = rig.start(1);
    setshowBeawayFalg(true);
    u32 rows = 0;
    const keycmd* table = c.getKeyCmdMap(rows);
    auto plainRow = [&](u32 key) {
        for (u32 i = 0; i < rows; ++i) {
            if (table[i].nKey == key) return std::string(table[i].szFuncName) == "&ISensorController::doIaCmd";
        }
        return false;
    };
    // A number no row uses, to take a key out of scheme 0 for a while.
    constexpr u32 kNoKey = 0xFFFFu;
    // What the cache gives for a key the scheme lacks.
    constexpr u32 kNotStored = 0xFFFFFFFFu;
    int next = 40;
#define SENSOR_WRAPPER(method, key, direction) WRAPPER_CHECK_##direction(method, key)
#define WRAPPER_CHECK_GET(method, key)                                         \
    {                                                                          \
        c.renameKey(key, kNoKey);                                              \
        isp_sim::setValue(0, key, ++next);                                     \
        isp_sim::clearTrace();                                                 \
        int value = 0;                                                         \
        EXPECT_TRUE(c.method(value)) << #method;                               \
        EXPECT_EQ(next, value) << #method;                                     \
        EXPECT_EQ(1u, isp_sim::countCalls(key, IA_CMD_OPT_GET)) << #method;    \
        c.renameKey(kNoKey, key);                                              \
    }
#define WRAPPER_CHECK_GET_ANY WRAPPER_CHECK_GET
#define WRAPPER_CHECK_SET(method, key)                                                          \
    {                                                                                           \
        int value = ++next % 2;                                                                 \
        const bool stored = c.cached(0, key) != kNotStored;                                     \
        if (c.cached(0, key) == static_cast<u32>(value)) value = 1 - value;                     \
        isp_sim::clearTrace();                                                                  \
        EXPECT_TRUE(c.method(value)) << #method;                                                \
        EXPECT_EQ(stored ? static_cast<u32>(value) : kNotStored, c.cached(0, key)) << #method;  \
        if (plainRow(key)) {                                                                    \
            EXPECT_EQ(value, isp_sim::value(0, sensor::commandOf(key))) << #method;             \
        }                                                                                       \
        for (const isp_sim::IspCall& call : isp_sim::trace()) {                                 \
            EXPECT_EQ(sensor::commandOf(key), call.command) << #method;                         \
        }                                                                                       \
    }
#define WRAPPER_CHECK_SET_VALUE WRAPPER_CHECK_SET
// The command rows go to the ISP alone, whatever the schemes hold; without
// a lens the lens rows make no call.
#define WRAPPER_CHECK_DIRECT_GET(method, cmd)                                                 \
    for (const bool lens : {true, false}) {                                                   \
        c.m_bHasLens = lens;                                                                  \
        isp_sim::setValue(0, cmd, ++next);                                                    \
        isp_sim::clearTrace();                                                                \
        int value = -1;                                                                       \
        EXPECT_TRUE(c.method(value)) << #method;                                              \
        const bool asked = lens || !lensRow;                                                  \
        EXPECT_EQ(asked ? next : 0, value) << #method;                                        \
        EXPECT_EQ(asked ? 1u : 0u, isp_sim::countCalls(cmd, IA_CMD_OPT_GET)) << #method;      \
        EXPECT_EQ(asked ? 1u : 0u, isp_sim::trace().size()) << #method;                       \
    }
#define WRAPPER_CHECK_DIRECT_SET(method, cmd)                                                 \
    for (const bool lens : {true, false}) {                                                   \
        c.m_bHasLens = lens;                                                                  \
        const std::string before = schemeText();                                       \
        isp_sim::clearTrace();                                                                \
        EXPECT_TRUE(c.method(++next)) << #method;                                             \
        const bool sent = lens || !lensRow;                                                   \
        EXPECT_EQ(sent ? 1u : 0u, isp_sim::trace().size()) << #method;                        \
        EXPECT_EQ(sent ? 1u : 0u, isp_sim::countCalls(cmd, IA_CMD_OPT_SET)) << #method;       \
        EXPECT_EQ(sent ? next : -1, sent ? isp_sim::value(0, cmd) : -1) << #method;          \
        EXPECT_EQ(before, schemeText()) << #method << " stores nothing";                       \
    }
#define WRAPPER_CHECK_LENS_GET(method, cmd) { const bool lensRow = true; WRAPPER_CHECK_DIRECT_GET(method, cmd) }
#define WRAPPER_CHECK_LENS_SET(method, cmd) { const bool lensRow = true; WRAPPER_CHECK_DIRECT_SET(method, cmd) }
    const bool lensRow = false;
    auto schemeText = [&c] {
        std::string text;
        for (u32 i = 0; i < c.m_nKeyValSum; ++i) {
            text += std::to_string(c.m_ppUserKeyVal[0][i].key) + "=" + std::to_string(c.m_ppUserKeyVal[0][i].value) + ",";
        }
        return text;
    };
#include "key_wrappers.def"
#undef SENSOR_WRAPPER
#undef WRAPPER_CHECK_GET
#undef WRAPPER_CHECK_GET_ANY
#undef WRAPPER_CHECK_SET
#undef WRAPPER_CHECK_SET_VALUE
#undef WRAPPER_CHECK_DIRECT_GET
#undef WRAPPER_CHECK_DIRECT_SET
#undef WRAPPER_CHECK_LENS_GET
#undef WRAPPER_CHECK_LENS_SET
}

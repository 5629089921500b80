// The set pipeline: skipping, special keys, twins, the infrared limit,
// failures and the text form.
#include <gtest/gtest.h>

#include <string>

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

class SetParametersTest : public ::testing::Test {
protected:
    void SetUp() override { isp_sim::clearTrace(); }
    size_t sent(u32 command) { return isp_sim::countCalls(command, IA_CMD_OPT_SET); }
    int lastSent(u32 command) { return isp_sim::calls(command, IA_CMD_OPT_SET).back().value; }
    // Puts a key in place of another in scheme 0 (the sample sets lack some).
    void plant(u32 replacedKey, u32 key, u32 value)
    {
        for (u32 i = 0; i < c.m_nKeyValSum; ++i) {
            if (c.m_ppUserKeyVal[0][i].key == replacedKey) c.m_ppUserKeyVal[0][i] = {key, value};
        }
    }

    ControllerRig rig;
    ControllerProbe& c = rig.start(1);
};

} // namespace

TEST_F(SetParametersTest, UnchangedValuesAreSkippedOnlyWhenStoringAndAFailingRecordStopsTheCall)
{
    const u32 nCurrent = c.cached(0, KEY_BRIGHTNESS);
    EXPECT_EQ(0, c.setParameter(KEY_BRIGHTNESS, nCurrent, true));
    EXPECT_EQ(0u, sent(KEY_BRIGHTNESS));
    EXPECT_EQ(0, c.setParameter(KEY_BRIGHTNESS, nCurrent + 1, false));
    EXPECT_EQ(1u, sent(KEY_BRIGHTNESS));
    EXPECT_EQ(nCurrent, c.cached(0, KEY_BRIGHTNESS));
    EXPECT_EQ(0, c.setParameter(12, 5, true)); // outside the table: sent as its own command
    EXPECT_EQ(5, lastSent(12));

    isp_sim::failCommand(KEY_SATURATION);
    const u32 nSaturation = c.cached(0, KEY_SATURATION);
    KeyVal records[] = {{KEY_BRIGHTNESS, 61}, {KEY_SATURATION, nSaturation + 1}, {KEY_CONTRAST, 63}};
    EXPECT_EQ(-static_cast<int>(KEY_SATURATION), c.setParameters(records, 3, true));
    EXPECT_EQ(61u, c.cached(0, KEY_BRIGHTNESS));
    EXPECT_EQ(nSaturation, c.cached(0, KEY_SATURATION));
    EXPECT_EQ(0u, sent(KEY_CONTRAST));
    isp_sim::failCommand(83);
    EXPECT_EQ(-static_cast<int>(KEY_IRIS_UP), c.setParameter(KEY_IRIS_UP, 1, false)) << "the key, not the command";
}

TEST_F(SetParametersTest, SchemeModeAndDayNightLink)
{
    EXPECT_EQ(0, c.setParameter(KEY_SCHEME_MODE, 2, true));
    EXPECT_EQ(1, c.m_bDNScheme.load());
    EXPECT_EQ(0, c.m_bTimeScheme.load());
    for (u32 s = 0; s < c.schemeCount(); ++s) EXPECT_EQ(2u, c.cached(s, KEY_SCHEME_MODE)) << s;
    EXPECT_TRUE(isp_sim::trace().empty());
    EXPECT_EQ(0, c.setParameter(KEY_DTN_THR, 41, true));
    EXPECT_EQ(41u, c.cached(1, KEY_DTN_THR));

    c.m_nCurScheme = 2;
    EXPECT_EQ(0, c.setParameter(KEY_DTN_THR, 42, true));
    EXPECT_EQ(1u, sent(KEY_DTN_THR));
    EXPECT_EQ(42u, c.cached(2, KEY_DTN_THR));
    EXPECT_EQ(0, c.setParameter(KEY_SCHEME_MODE, 1, true));
    EXPECT_EQ(1, c.m_bDNScheme.load());
    EXPECT_EQ(0, c.m_bTimeScheme.load());
    EXPECT_EQ(1u, c.cached(2, KEY_SCHEME_MODE));
    EXPECT_EQ(2u, c.cached(3, KEY_SCHEME_MODE));
    c.m_nCurScheme = 0;
}

TEST_F(SetParametersTest, IntelligentTwinsFollowTheLightType)
{
    plant(KEY_GAMMA, KEY_LIGHT_TYPE, 2);
    EXPECT_EQ(0, c.setParameter(KEY_IR_MODE, 1, true));
    EXPECT_EQ(0u, sent(KEY_IR_MODE));
    EXPECT_EQ(0u, c.cached(0, KEY_IR_MODE));
    EXPECT_EQ(0u, c.cached(0, KEY_IR_MODE_INTELL));
    EXPECT_EQ(0, c.setParameter(KEY_IR_MODE_INTELL, 2, true));
    EXPECT_EQ(2, lastSent(KEY_IR_MODE));
    EXPECT_EQ(2u, c.cached(0, KEY_IR_MODE));
    EXPECT_EQ(2u, c.cached(0, KEY_IR_MODE_INTELL));
    // A twin without a row of its own reaches the ISP through its base key.
    EXPECT_EQ(0, c.setParameter(KEY_IR_MANUAL_STRG_FAR_INTELL, 7, true));
    EXPECT_EQ(7, lastSent(KEY_IR_MANUAL_STRG_FAR));
    // A light type stored by an earlier record of the same call counts.
    KeyVal records[] = {{KEY_LIGHT_TYPE, 0}, {KEY_IR_MODE_INTELL, 3}, {KEY_IR_MODE, 1}};
    EXPECT_EQ(0, c.setParameters(records, 3, true));
    EXPECT_EQ(1, lastSent(KEY_IR_MODE));
    EXPECT_EQ(1u, c.cached(0, KEY_IR_MODE_INTELL));
}

TEST_F(SetParametersTest, InfraredPowerLimit)
{
    c.m_bisLimitedIrPower = 1;
    c.setKeyValToCache(0, KEY_IR_MANUAL_STRG_FAR, 60, false);
    KeyVal records[] = {{KEY_BRIGHTNESS, 33}, {KEY_IR_MANUAL_STRG_NEAR, 41}};
    EXPECT_EQ(-static_cast<int>(KEY_BRIGHTNESS), c.setParameters(records, 2, true));
    EXPECT_EQ(33u, c.cached(0, KEY_BRIGHTNESS));
    EXPECT_EQ(0u, sent(KEY_IR_MANUAL_STRG_NEAR));
    EXPECT_EQ(0, c.setParameter(KEY_IR_MANUAL_STRG_NEAR, 40, true));
    // A partner missing from the scheme is read from the ISP.
    plant(KEY_IR_MANUAL_STRG_NEAR, KEY_EMPTY1, 0);
    isp_sim::setValue(0, KEY_IR_MANUAL_STRG_NEAR, 50);
    EXPECT_EQ(-static_cast<int>(KEY_IR_MANUAL_STRG_FAR), c.setParameter(KEY_IR_MANUAL_STRG_FAR, 51, true));
    isp_sim::failCommand(KEY_IR_MANUAL_STRG_NEAR, IA_CMD_OPT_GET);
    EXPECT_EQ(0, c.setParameter(KEY_IR_MANUAL_STRG_FAR, 90, true));
}

TEST_F(SetParametersTest, TextFormIsBoundedByTheScratchSet)
{
    EXPECT_EQ(0, c.setParameters(std::string("(34,70) (2337,71)"), true));
    EXPECT_EQ(71u, c.cached(0, KEY_SATURATION));
    EXPECT_EQ(0, c.setParameters(std::string("(34,72"), false));
    EXPECT_EQ(1u, sent(KEY_BRIGHTNESS));
    std::string strMany;
    for (u32 i = 0; i < c.m_nKeyValSum + 5; ++i) strMany += "(34," + std::to_string(i) + ")";
    EXPECT_EQ(0, c.setParameters(strMany, false));
    EXPECT_EQ(c.m_nKeyValSum + 1, sent(KEY_BRIGHTNESS));
}

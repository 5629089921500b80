// Scheme cache, key-command lookups and the plain dispatch handlers.
#include <gtest/gtest.h>

#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override { isp_sim::clearTrace(); }
    size_t sent(u32 command) { return isp_sim::countCalls(command, IA_CMD_OPT_SET); }

    ControllerRig rig;
    ControllerProbe& c = rig.start(1);
    int nZero = 0;
    int nOne = 1;
};

} // namespace

TEST_F(DispatchTest, CacheBoundsAtTheFactorySetAndTableLookups)
{
    const u32 nFactory = c.schemeCount();
    const u32 nBefore = c.cached(nFactory, KEY_BRIGHTNESS);
    EXPECT_EQ(-2, c.setKeyValToCache(nFactory, KEY_BRIGHTNESS, nBefore + 1, false));
    EXPECT_EQ(nBefore, c.cached(nFactory, KEY_BRIGHTNESS));
    EXPECT_GE(c.setKeyValToCache(nFactory, KEY_BRIGHTNESS, nBefore + 1, true), 0);
    EXPECT_EQ(nBefore + 1, c.cached(nFactory, KEY_BRIGHTNESS));
    u32 nValue = 777;
    EXPECT_EQ(-1, c.getKeyValFromCache(nFactory + 1, KEY_BRIGHTNESS, nValue));
    EXPECT_EQ(-1, c.getKeyValFromCache(static_cast<u32>(-1), KEY_BRIGHTNESS, nValue));
    EXPECT_EQ(-1, c.getKeyValFromCache(0, 12, nValue));
    EXPECT_EQ(777u, nValue);

    // The index answered is the key's own row, the first included; an unknown key has none.
    keycmd row{};
    const int index = c.findFromKeyCmdMap(c.m_pKeyCmdMap, 17, row);
    ASSERT_GE(index, 0);
    EXPECT_EQ(17u, c.m_pKeyCmdMap[index].nKey);
    EXPECT_EQ(83u, row.nIaCmd);
    EXPECT_TRUE(row.pfnHandler == &ISensorController::doIaCmd_User);
    EXPECT_EQ(0, c.findFromKeyCmdMap(c.m_pKeyCmdMap, c.m_pKeyCmdMap[0].nKey, row));
    EXPECT_EQ(-1, c.findFromKeyCmdMap(c.m_pKeyCmdMap, 12, row));
}

TEST_F(DispatchTest, LensLockAndBusyFlagsGateUserCommands)
{
    lockLens(c, true);
    isp_sim::failCommand(1616);
    EXPECT_EQ(0, c.doIaCmd(1616, IA_CMD_OPT_SET, &nOne));
    c.doIaCmd(1536, IA_CMD_OPT_SET, &nOne);
    c.doIaCmd(1617, IA_CMD_OPT_SET, &nOne);
    EXPECT_EQ(0u, sent(1616));
    EXPECT_EQ(0u, sent(1536));
    EXPECT_EQ(1u, sent(1617));
    lockLens(c, false);

    for (auto flag : {ControllerProbe::FLAG_INITIALISING, ControllerProbe::FLAG_RESETTING,
                      ControllerProbe::FLAG_RESTORING, ControllerProbe::FLAG_SWITCHING}) {
        c.setFlag(flag);
        c.doIaCmd_User(KEY_ZOOM_IN, IA_CMD_OPT_SET, &nOne);
        c.clearFlag(flag);
    }
    EXPECT_EQ(0u, sent(KEY_ZOOM_IN));
    // Focus once: only 1 goes through, any value on the thermal channel, nothing without a lens.
    c.doIaCmd_User(KEY_AUTO_FOCUS_ONCE, IA_CMD_OPT_SET, &nZero);
    c.doIaCmd_User(KEY_AUTO_FOCUS_ONCE, IA_CMD_OPT_SET, &nOne);
    EXPECT_EQ(1u, sent(KEY_AUTO_FOCUS_ONCE));
    c.m_bThermalChannel = 1;
    c.doIaCmd_User(KEY_AUTO_FOCUS_ONCE, IA_CMD_OPT_SET, &nZero);
    EXPECT_EQ(2u, sent(KEY_AUTO_FOCUS_ONCE));
    c.m_bHasLens = 0;
    c.doIaCmd_User(KEY_AUTO_FOCUS_ONCE, IA_CMD_OPT_SET, &nOne);
    EXPECT_EQ(2u, sent(KEY_AUTO_FOCUS_ONCE));
    EXPECT_EQ(-1, c.doIaCmd_User(KEY_AUTO_FOCUS_ONCE, IA_CMD_OPT_SET, nullptr));
}

TEST_F(DispatchTest, OneShutterCommandPassesAfterUinit)
{
    c.setFlag(ControllerProbe::FLAG_RESETTING);
    c.doIaCmdShutter(KEY_SHUTTER_ADJUST, IA_CMD_OPT_SET, &nOne);
    EXPECT_EQ(0u, sent(KEY_SHUTTER_ADJUST));
    uinitOf(c);
    c.doIaCmdShutter(KEY_SHUTTER_ADJUST, IA_CMD_OPT_SET, &nOne);
    c.doIaCmdShutter(KEY_SHUTTER_ADJUST, IA_CMD_OPT_SET, &nOne);
    EXPECT_EQ(1u, sent(KEY_SHUTTER_ADJUST));
    c.clearFlag(ControllerProbe::FLAG_RESETTING);
    c.doIaCmdShutter(KEY_SHUTTER_ADJUST, IA_CMD_OPT_SET, &nOne);
    EXPECT_EQ(2u, sent(KEY_SHUTTER_ADJUST));
}

// Saving, rolling back and re-applying schemes, watched in the scheme files and on the simulated ISP.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "SensorKeys.h"
#include "TestHelpers.h"

namespace {

// Value of the key in a scheme file; -1 when absent.
int fileValue(TestRoot& root, int scheme, u32 key)
{
    return static_cast<int>(valueIn(schemeRecords(root, scheme), key));
}

void setWindow(ControllerProbe& camera, int startHour, int startMin, int endHour, int endMin)
{
    const u32 keys[] = {KEY_SCHEME_START_HOUR, KEY_SCHEME_START_MIN, KEY_SCHEME_END_HOUR, KEY_SCHEME_END_MIN};
    const int values[] = {startHour, startMin, endHour, endMin};
    for (int i = 0; i < 4; ++i) ASSERT_EQ(SNS_SUCCESS, camera.setParameter(keys[i], values[i], true));
}

// The whole day: a window every save accepts.
void makeSavable(ControllerProbe& camera) { setWindow(camera, 0, 0, 24, 0); }

} // namespace

TEST(Restore, FlushedValuesSurviveARestartAndUnsavedOnesAreRolledBack)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 77, true));
    makeSavable(camera);
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    restart(camera, rig.moduleConfig(1));
    int value = 0;
    EXPECT_TRUE(camera.getParameter(KEY_BRIGHTNESS, value));
    EXPECT_EQ(77, value);
    EXPECT_EQ(77, isp_sim::value(0, KEY_BRIGHTNESS));

    // Unsaved changes: exactly those keys get their saved values back, once.
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 20, true));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_CONTRAST, 33, true));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.resetToLastParameters());
    EXPECT_EQ((Sent{{KEY_BRIGHTNESS, 77}, {KEY_CONTRAST, 50}}), sentValues());
    EXPECT_EQ(50u, camera.cached(0, KEY_CONTRAST));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.resetToLastParameters());
    EXPECT_TRUE(sentValues().empty());
    // A failing key makes the roll-back report failure.
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_CONTRAST, 34, true));
    isp_sim::failCommand(KEY_CONTRAST);
    EXPECT_FALSE(camera.resetToLastParameters());
    EXPECT_FALSE(camera.testFlag(ControllerProbe::FLAG_RESTORING));
    isp_sim::clearFailures();

    // restore resends one stored value.
    isp_sim::clearTrace();
    EXPECT_EQ(SNS_SUCCESS, camera.restore(KEY_BRIGHTNESS));
    EXPECT_EQ((Sent{{KEY_BRIGHTNESS, 77}}), sentValues());

    // Another scheme saves to its own file; the factory set saves and rolls back nothing.
    ASSERT_TRUE(camera.setParamScheme(1));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 5, true));
    makeSavable(camera);
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_EQ(5, fileValue(root, 1, KEY_BRIGHTNESS));
    EXPECT_EQ(77, fileValue(root, 0, KEY_BRIGHTNESS));
    ASSERT_TRUE(camera.setParamScheme(static_cast<int>(camera.schemeCount())));
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 90, true));
    isp_sim::clearTrace();
    EXPECT_EQ(SNS_SUCCESS, camera.flush());
    EXPECT_TRUE(camera.resetToLastParameters());
    EXPECT_EQ(5, fileValue(root, 1, KEY_BRIGHTNESS));
    EXPECT_FALSE(root.exists(schemeFile(4)));
    EXPECT_TRUE(sentValues().empty());
}

TEST(Restore, FlushRefusesAScheduleWindowThatCannotMatch)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    ASSERT_TRUE(camera.setParamScheme(2));
    const struct {
        int startHour, startMin, endHour, endMin, code;
    } cases[] = {{8, 0, 8, 0, 507},  {25, 0, 26, 0, 505}, {24, 1, 24, 2, 505}, {0, 0, 24, 1, 506},
                 {22, 0, 6, 0, 507}, {8, 30, 17, 45, 0},  {0, 0, 24, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startHour << ":" << c.startMin << "-" << c.endHour << ":" << c.endMin);
        setWindow(camera, c.startHour, c.startMin, c.endHour, c.endMin);
        const std::string before = filePairs(rig.root(), 2);
        EXPECT_EQ(c.code, camera.paramCheck());
        EXPECT_EQ(c.code, camera.flush());
        EXPECT_EQ(c.code != 0, before == filePairs(rig.root(), 2));
        if (c.code != 0) continue;
        EXPECT_EQ(c.endHour, fileValue(rig.root(), 2, KEY_SCHEME_END_HOUR));
        EXPECT_EQ(c.endMin, fileValue(rig.root(), 2, KEY_SCHEME_END_MIN));
    }
}

TEST(Restore, AeModeRestoreFollowsTheLensAndSkipsExposureOnTheThermalChannel)
{
    ControllerRig rig;
    // The thermal page gets an exposure and a focus mode: only the channel rule keeps exposure out.
    replaceIn(rig.root(), "/hd1/moduleConfig/sensorConfig/style/Style_Thermal.xml", "<item id=\"34\"",
              "<item id=\"16\" value=\"0\"/><item id=\"1536\" value=\"1\"/><item id=\"34\"");
    ControllerProbe& visible = rig.start(1);
    ControllerProbe& thermal = rig.start(2);
    ASSERT_TRUE(thermal.m_bThermalChannel);
    thermal.m_bHasLens = 1;
    ASSERT_NE(0xFFFFFFFFu, thermal.cached(0, KEY_EXPOSE_MODE));

    isp_sim::clearTrace();
    EXPECT_TRUE(thermal.restoreAeMode());
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_EXPOSE_MODE));
    ASSERT_EQ(1u, isp_sim::countCalls(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET));
    const isp_sim::IspCall focus = isp_sim::calls(KEY_AUTO_FOCUS_MODE, IA_CMD_OPT_SET)[0];
    EXPECT_EQ(std::make_pair(1, 1), std::make_pair(focus.channel, focus.value));

    // The visible channel sets both; without a lens the focus mode is left alone.
    for (int lens : {1, 0}) {
        visible.m_bHasLens = lens;
        isp_sim::clearTrace();
        EXPECT_TRUE(visible.restoreAeMode());
        EXPECT_EQ(1u, isp_sim::countCalls(KEY_EXPOSE_MODE, IA_CMD_OPT_SET));
        EXPECT_EQ(static_cast<size_t>(lens), isp_sim::countCalls(KEY_AUTO_FOCUS_MODE));
    }
    isp_sim::failCommand(KEY_EXPOSE_MODE);
    EXPECT_FALSE(visible.restoreAeMode());
    isp_sim::failCommand(KEY_AUTO_FOCUS_MODE);
    EXPECT_FALSE(thermal.restoreAeMode());
}

TEST(Restore, MirrorModeIsSavedOnlyWhenTheSetSucceeds)
{
    ControllerRig rig;
    TestRoot& root = rig.root();
    ControllerProbe& camera = rig.start(1);
    makeSavable(camera);
    EXPECT_TRUE(camera.setMirrorMode(2));
    EXPECT_EQ(2, fileValue(root, 0, KEY_MIRROR));
    EXPECT_EQ(2, isp_sim::value(0, KEY_MIRROR));

    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_BRIGHTNESS, 88, true));
    isp_sim::failCommand(KEY_MIRROR);
    EXPECT_FALSE(camera.setMirrorMode(3));
    EXPECT_EQ(2, fileValue(root, 0, KEY_MIRROR));
    EXPECT_EQ(50, fileValue(root, 0, KEY_BRIGHTNESS));
    EXPECT_EQ(2u, camera.cached(0, KEY_MIRROR));

    isp_sim::clearFailures();
    EXPECT_TRUE(camera.setMirrorMode(1));
    EXPECT_EQ(1, fileValue(root, 0, KEY_MIRROR));
    EXPECT_EQ(88, fileValue(root, 0, KEY_BRIGHTNESS));
}

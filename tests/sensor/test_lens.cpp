// Direct lens, iris, shutter and illuminator operations on the visible
// channel (camera id 1, ISP channel 0, fitted with a lens).
#include <gtest/gtest.h>

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

size_t sets(uint32_t command) { return isp_sim::countCalls(command, IA_CMD_OPT_SET); }

class Lens : public ::testing::Test {
protected:
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
};

} // namespace

TEST_F(Lens, ZoomRatioLockAndIris)
{
    // {position, ratio}: beyond 16x (31424) the previous ratio is kept.
    const int cases[][2] = {{16384, 1000}, {24576, 2000}, {20480, 1500}, {31424, 16000}, {30000, 7945}, {31425, 4321}};
    for (const auto& c : cases) {
        isp_sim::setValue(0, KEY_MZ_POSITION, c[0]);
        int position = -1, ratio = 4321;
        EXPECT_TRUE(camera.getZoomValue(position, ratio));
        EXPECT_EQ(c[0], position);
        EXPECT_EQ(c[1], ratio) << "position " << c[0];
    }
    for (const auto& c : {std::make_pair(100, 256), {25600, 25600}, {30000, 1048576}}) {
        EXPECT_TRUE(camera.setIrisValue(c.first));
        EXPECT_EQ(c.second, isp_sim::value(0, KEY_IRIS_POSITION)) << "asked " << c.first;
    }
    SensorZoomFocusParam lock;
    lock.setLockZoomFocusEnable(true);
    camera.setSensorZoomFocusParam(lock);
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.zoomIn());
    camera.m_bHasLens = 0;
    int position = 5, ratio = 0;
    EXPECT_TRUE(camera.getZoomValue(position, ratio));
    EXPECT_EQ(0, position);
    EXPECT_TRUE(isp_sim::trace().empty());
}

TEST_F(Lens, InfraredPutsTheWhiteLightOutFirst)
{
    const u32 kWhiteSwitchCmd = 168;
    ASSERT_TRUE(camera.setWhiteSwitch(1));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.setIRSwitch(1));
    const std::vector<isp_sim::IspCall> white = isp_sim::calls(kWhiteSwitchCmd, IA_CMD_OPT_SET);
    ASSERT_EQ(1u, white.size());
    EXPECT_EQ(0, white[0].value);
    EXPECT_EQ(static_cast<uint32_t>(KEY_IR_SWITCH), isp_sim::trace().back().command) << "infrared goes on last";
    EXPECT_EQ(1, isp_sim::value(0, KEY_IR_SWITCH));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.setIRSwitch(0));
    EXPECT_FALSE(camera.setLightType(4));
    EXPECT_EQ(0u, isp_sim::countCalls(kWhiteSwitchCmd));
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_LIGHT_TYPE));
}

TEST_F(Lens, ShutterStepsOverThePublishedList)
{
    isp_sim::DynamicRange range;
    for (int v = 1; v <= 40; ++v) range.items.push_back(v);
    isp_sim::setRange(KEY_MAX_SHUTTER, range);
    EXPECT_TRUE(camera.setShutterValue(29));
    EXPECT_EQ(30, isp_sim::value(0, KEY_MAX_SHUTTER));
    EXPECT_FALSE(camera.setShutterValue(30)) << "only 30 values are kept";
    EXPECT_TRUE(camera.shutterUp());
    EXPECT_EQ(30, isp_sim::value(0, KEY_MAX_SHUTTER));
    EXPECT_TRUE(camera.setShutterValue(0));
    EXPECT_TRUE(camera.shutterDown());
    EXPECT_EQ(1, isp_sim::value(0, KEY_MAX_SHUTTER));
    EXPECT_TRUE(camera.shutterUp());
    int index = -1;
    EXPECT_TRUE(camera.getShutterValue(index));
    EXPECT_EQ(1, index);
    // A value off the list: no index, no step.
    isp_sim::setValue(0, KEY_MAX_SHUTTER, 999);
    isp_sim::clearTrace();
    EXPECT_FALSE(camera.getShutterValue(index));
    EXPECT_FALSE(camera.shutterUp());
    EXPECT_FALSE(camera.shutterDown());
    EXPECT_EQ(0u, sets(KEY_MAX_SHUTTER));
}

TEST_F(Lens, FieldOfViewFileSetsTheZoom)
{
    const char* const file = "/mnt/mtd/hd1/program/config/sync_fov.ini";
    const std::pair<const char*, int> cases[] = {
        {"zoom1=28000,focus1=900,\n", 28000}, {"zoom1=20000,\nzoom1=21000,focus1=5,\nzoom1=22000,\n", 21000},
        {"zoom2=25000,focus2=900,\n", -1},    {"zoom1=0,focus1=900,\n", -1},
        {"zoom1=25000\n", -1},                {nullptr, -1}};
    for (const auto& c : cases) {
        c.first != nullptr ? rig.root().writeFile(file, c.first) : rig.root().remove(file);
        isp_sim::setValue(0, KEY_MZ_POSITION, -1);
        isp_sim::clearTrace();
        EXPECT_TRUE(camera.sync_fov());
        EXPECT_EQ(c.second < 0 ? 0u : 1u, sets(KEY_MZ_POSITION)) << (c.first ? c.first : "no file");
        EXPECT_EQ(c.second, isp_sim::value(0, KEY_MZ_POSITION));
        EXPECT_EQ(0u, sets(KEY_MF_POSITION));
    }
}

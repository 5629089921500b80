// Direct lens, iris, shutter and illuminator operations on the visible
// channel (camera id 1, ISP channel 0, fitted with a lens).
#include <gtest/gtest.h>

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {

constexpr int kIsp = 0;
constexpr u32 kWhiteSwitchCmd = 168;

size_t sets(uint32_t command)
{
    return isp_sim::countCalls(command, IA_CMD_OPT_SET);
}

} // namespace

TEST(Lens, ZoomRatioAndLock)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    const int cases[][2] = {{16384, 1000}, {24576, 2000}, {20480, 1500}, {31424, 16000}, {30000, 7945}};
    for (const auto& c : cases) {
        isp_sim::setValue(kIsp, KEY_MZ_POSITION, c[0]);
        int position = -1, ratio = -1;
        EXPECT_TRUE(camera.getZoomValue(position, ratio));
        EXPECT_EQ(c[0], position);
        EXPECT_EQ(c[1], ratio) << "position " << c[0];
    }
    int position = 0, ratio = 4321;
    isp_sim::setValue(kIsp, KEY_MZ_POSITION, 31425);
    EXPECT_TRUE(camera.getZoomValue(position, ratio));
    EXPECT_EQ(4321, ratio) << "beyond 16x the ratio is kept";

    SensorZoomFocusParam lock;
    lock.setLockZoomFocusEnable(true);
    camera.setSensorZoomFocusParam(lock);
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.zoomIn());
    EXPECT_TRUE(isp_sim::trace().empty());

    camera.m_bHasLens = 0;
    EXPECT_TRUE(camera.getZoomValue(position, ratio));
    EXPECT_EQ(0, position);
    EXPECT_TRUE(isp_sim::trace().empty());
}

TEST(Lens, IrisClampAndIlluminators)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    for (const auto& c : {std::make_pair(100, 256), {25600, 25600}, {30000, 1048576}}) {
        EXPECT_TRUE(camera.setIrisValue(c.first));
        EXPECT_EQ(c.second, isp_sim::value(kIsp, KEY_IRIS_POSITION)) << "asked " << c.first;
    }

    // Switching the infrared light on first puts the white light out.
    ASSERT_TRUE(camera.setWhiteSwitch(1));
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.setIRSwitch(1));
    const std::vector<isp_sim::IspCall> calls = isp_sim::calls(kWhiteSwitchCmd, IA_CMD_OPT_SET);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(0, calls[0].value);
    const std::vector<isp_sim::IspCall> all = isp_sim::trace();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(static_cast<uint32_t>(KEY_IR_SWITCH), all.back().command) << "infrared goes on last";
    EXPECT_EQ(1, isp_sim::value(kIsp, KEY_IR_SWITCH));

    isp_sim::clearTrace();
    EXPECT_TRUE(camera.setIRSwitch(0));
    EXPECT_EQ(0u, isp_sim::countCalls(kWhiteSwitchCmd));
    EXPECT_FALSE(camera.setLightType(4));
    EXPECT_EQ(0u, isp_sim::countCalls(KEY_LIGHT_TYPE));
}

TEST(Lens, ShutterStepsOverThePublishedList)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    isp_sim::DynamicRange range;
    for (int v = 1; v <= 40; ++v) range.items.push_back(v);
    isp_sim::setRange(KEY_MAX_SHUTTER, range);

    EXPECT_TRUE(camera.setShutterValue(29));
    EXPECT_EQ(30, isp_sim::value(kIsp, KEY_MAX_SHUTTER));
    EXPECT_FALSE(camera.setShutterValue(30)) << "only 30 values are kept";
    EXPECT_TRUE(camera.shutterUp());
    EXPECT_EQ(30, isp_sim::value(kIsp, KEY_MAX_SHUTTER));

    EXPECT_TRUE(camera.setShutterValue(0));
    EXPECT_TRUE(camera.shutterDown());
    EXPECT_EQ(1, isp_sim::value(kIsp, KEY_MAX_SHUTTER));
    EXPECT_TRUE(camera.shutterUp());
    int index = -1;
    EXPECT_TRUE(camera.getShutterValue(index));
    EXPECT_EQ(1, index);

    isp_sim::setValue(kIsp, KEY_MAX_SHUTTER, 999);
    isp_sim::clearTrace();
    EXPECT_FALSE(camera.getShutterValue(index));
    EXPECT_FALSE(camera.shutterUp());
    EXPECT_FALSE(camera.shutterDown());
    EXPECT_EQ(0u, sets(KEY_MAX_SHUTTER));
}

TEST(Lens, FieldOfViewFileSetsTheZoom)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    const char* const file = "/mnt/mtd/hd1/program/config/sync_fov.ini";
    const std::pair<const char*, int> cases[] = {
        {"zoom1=28000,focus1=900,\n", 28000},
        {"zoom1=20000,\nzoom1=21000,focus1=5,\nzoom1=22000,\n", 21000},
        {"zoom2=25000,focus2=900,\n", -1},
        {"zoom1=0,focus1=900,\n", -1},
        {"zoom1=25000\n", -1},
    };
    for (const auto& c : cases) {
        rig.root().writeFile(file, c.first);
        isp_sim::clearTrace();
        EXPECT_TRUE(camera.sync_fov());
        EXPECT_EQ(c.second < 0 ? 0u : 1u, sets(KEY_MZ_POSITION)) << c.first;
        if (c.second > 0) {
            EXPECT_EQ(c.second, isp_sim::value(kIsp, KEY_MZ_POSITION));
        }
        EXPECT_EQ(0u, sets(KEY_MF_POSITION));
    }
    rig.root().remove(file);
    isp_sim::clearTrace();
    EXPECT_TRUE(camera.sync_fov());
    EXPECT_TRUE(isp_sim::trace().empty());
}

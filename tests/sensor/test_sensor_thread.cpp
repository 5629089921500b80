// The sensor thread's pass: the deferred field-of-view request (served by
// camera id 1 from the sample sync_fov.ini, zoom1=28000) and its pace.
#include <gtest/gtest.h>

#include <thread>

#include "ControllerRig.h"
#include "SensorKeys.h"
#include "isp_sim.h"

namespace {


// 1: pending for camera id 1; 0: cleared; -1: anything else.
int requestState()
{
    const int channel = ISensorController::m_nChanneldDosomething.load();
    const int key = ISensorController::m_nPassKeycmd.load();
    if (channel == 1 && key == 8104) return 1;
    return channel == -1 && key == -1 ? 0 : -1;
}

void postRequest(const ControllerRig& rig, ControllerProbe& camera)
{
    rig.settle();
    ASSERT_EQ(SNS_SUCCESS, camera.setParameter(KEY_MIXSTREAM_THERMAL_TO_VISION_SYNC_FOV, 1, false));
    EXPECT_EQ(1, requestState());
}

size_t zoomSets() { return isp_sim::countCalls(KEY_MZ_POSITION, IA_CMD_OPT_SET); }

} // namespace

TEST(SensorThread, RequestFromAnyChannelWaitsForCameraOneAndIsServedOnce)
{
    ControllerRig rig;
    ControllerProbe& thermal = rig.start(2);
    isp_sim::clearTrace();
    postRequest(rig, thermal);
    rig.passes(3);
    EXPECT_EQ(1, requestState()) << "no camera 1 yet";
    EXPECT_EQ(0u, zoomSets());

    ControllerProbe& visible = rig.start(1);
    rig.settle();
    rig.passes(1);
    EXPECT_EQ(0, requestState());
    isp_sim::clearTrace();
    postRequest(rig, thermal);
    EXPECT_EQ(0u, zoomSets()) << "deferred to the thread";
    rig.passes(3);
    EXPECT_EQ(0, requestState());
    EXPECT_EQ(1u, zoomSets());
    EXPECT_EQ(28000, isp_sim::value(0, KEY_MZ_POSITION));
    isp_sim::clearTrace();
    postRequest(rig, thermal);
    postRequest(rig, visible);
    rig.passes(2);
    EXPECT_EQ(1u, zoomSets()) << "two requests before a pass are one";
}

TEST(SensorThread, ResettingPassDoesNotWaitAndManualPassOnlyServesTheRequest)
{
    ControllerRig rig;
    ControllerProbe& camera = rig.start(1);
    camera.setParameter(KEY_SCHEME_MODE, 2, true);
    isp_sim::setValue(0, IA_CMD_DAY_NIGHT_STATE, 1);
    isp_sim::clearTrace();
    postRequest(rig, camera);

    // The running thread stays parked (the clock does not move): a pass made
    // here while resetting returns without waiting and selects nothing. Were
    // it to wait, the clock lets it go so the test cannot hang.
    camera.setFlag(ControllerProbe::FLAG_RESETTING);
    const long waits = technic_sim::waitEntries();
    std::thread pass([&camera] { camera.sensorThread(); });
    const bool waited = technic_sim::waitForWaitEntries(waits + 1, 200);
    if (waited) technic_sim::advance(1, 0);
    pass.join();
    EXPECT_FALSE(waited);
    EXPECT_EQ(0, camera.m_nCurScheme);
    EXPECT_EQ(0, requestState());
    EXPECT_EQ(1u, zoomSets());
    camera.clearFlag(ControllerProbe::FLAG_RESETTING);

    camera.setParamMode(0);
    postRequest(rig, camera);
    rig.passes(1);
    EXPECT_EQ(0, requestState());
    EXPECT_EQ(2u, zoomSets());
    EXPECT_EQ(0, camera.m_nCurScheme);
}

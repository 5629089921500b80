// The controller object: initial state, channel rules, notifications.
#include <gtest/gtest.h>

#include "ControllerRig.h"

TEST(ControllerObject, NewControllerState)
{
    TestRoot root;
    ControllerProbe controller;
    EXPECT_EQ(controller.m_nCameraID, 1);
    EXPECT_EQ(controller.m_nCurScheme, -1);
    EXPECT_EQ(controller.m_nLastScheme, -1);
    EXPECT_EQ(controller.m_nParamMode, 1);
    EXPECT_EQ(controller.m_nKeyCmdSum, 170u);
    EXPECT_EQ(controller.m_nVersion, 8u);
    EXPECT_EQ(controller.m_nLastSchedule, 255u);
    EXPECT_EQ(controller.m_bShowWDRFalg, 1);
    EXPECT_EQ(controller.m_bShowLDCFlag, 1);
    EXPECT_EQ(controller.m_bHasLens, 1);
    EXPECT_EQ(controller.m_bThermalChannel, 0);
    EXPECT_FALSE(controller.getSensorStatus());
    EXPECT_FALSE(controller.threadRunning());
    // Without a video module nothing is notified.
    EXPECT_EQ(controller.notifyToVideo(2384, 1), 0);
}

TEST(ControllerObject, ChannelRulesFollowTheDeviceType)
{
    TestRoot root;
    struct Case {
        int deviceType, channel, cameraId;
        bool thermal;
        int videoChannel;
    };
    const Case cases[] = {
        {13, 1, 2, true, 1},  // thermal-only device: its one channel is camera 2
        {14, 2, 2, true, 2},  {14, 1, 1, false, 1}, {19, 2, 2, true, 2},
        {1, 2, 2, false, 2},  {23, 2, 2, true, 2},  {4, 3, 3, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deviceType * 10 + c.channel);
        root.writeFile("/mnt/mtd/code/factory_setting/machineinfo.ini",
                       "deviceType=" + std::to_string(c.deviceType) + "\n");
        RecordingVideo video;
        video.answer = 5;
        ControllerProbe controller;
        controller.setChannelID(c.channel);
        controller.setVideoStreamModule(&video);
        EXPECT_EQ(controller.m_nCameraID, c.cameraId);
        EXPECT_EQ(controller.m_bThermalChannel != 0, c.thermal);
        EXPECT_EQ(controller.notifyToVideo(2384, 2), 5);
        ASSERT_EQ(video.notes().size(), 1u);
        EXPECT_EQ(video.notes()[0].channel, c.videoChannel);
        EXPECT_EQ(video.notes()[0].key, 2384);
        EXPECT_EQ(video.notes()[0].value, 2);
    }
}

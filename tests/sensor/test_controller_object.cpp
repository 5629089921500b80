// The controller object: channel rules following the device type, notifications.
#include <gtest/gtest.h>

#include <tuple>

#include "ControllerRig.h"

TEST(ControllerObject, ChannelRulesFollowTheDeviceTypeAndNotesReachTheVideoModule)
{
    TestRoot root;
    EXPECT_EQ(ControllerProbe().notifyToVideo(2384, 1), 0); // no video module: nothing to notify

    // {device type, channel, camera id, thermal, video channel}
    const int cases[][5] = {{13, 1, 2, 1, 1}, // thermal-only device: its one channel is camera 2
                            {14, 2, 2, 1, 2}, {14, 1, 1, 0, 1}, {19, 2, 2, 1, 2},
                            {1, 2, 2, 0, 2},  {23, 2, 2, 1, 2}, {4, 3, 3, 0, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0] * 10 + c[1]);
        root.writeFile("/mnt/mtd/code/factory_setting/machineinfo.ini", "deviceType=" + std::to_string(c[0]) + "\n");
        RecordingVideo video;
        video.answer = 5;
        ControllerProbe controller;
        controller.setChannelID(c[1]);
        controller.setVideoStreamModule(&video);
        EXPECT_EQ(controller.m_nCameraID, c[2]);
        EXPECT_EQ(controller.m_bThermalChannel, c[3]);
        EXPECT_EQ(controller.notifyToVideo(2384, 2), 5);
        ASSERT_EQ(video.notes().size(), 1u);
        const RecordingVideo::Note note = video.notes()[0];
        EXPECT_EQ(std::make_tuple(note.channel, note.key, note.value), std::make_tuple(c[4], 2384, 2));
    }
}

// A video module that prints what the controller tells it.
#ifndef SENSORCTL_CONSOLE_VIDEO_H
#define SENSORCTL_CONSOLE_VIDEO_H

#include "VideoStreamModule.h"

class ConsoleVideo : public VideoStreamModule {
public:
    void getAVStreamParams(std::vector<AVStreamParam>& streams) override;
    int notifySensorParam(int channel, int key, int value) override;
    void getLimitedFramesWDRModeParam(int cameraId, LimitedFramesWDRModeParam& param) override;
    int isBusy() override { return 0; }
};

#endif

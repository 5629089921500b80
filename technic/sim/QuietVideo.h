// A video module that answers every query with nothing and every
// notification with 0, for programs that only need the controller to start.
#ifndef TECHNIC_SIM_QUIET_VIDEO_H
#define TECHNIC_SIM_QUIET_VIDEO_H

#include <vector>

#include "VideoStreamModule.h"

class QuietVideo : public VideoStreamModule {
public:
    void getAVStreamParams(std::vector<AVStreamParam>&) override {}
    int notifySensorParam(int, int, int) override { return 0; }
    void getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam&) override {}
    int isBusy() override { return 0; }
};

#endif

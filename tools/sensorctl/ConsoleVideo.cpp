#include "ConsoleVideo.h"

#include <cstdio>

void ConsoleVideo::getAVStreamParams(std::vector<AVStreamParam>& streams)
{
    AVStreamParam main;
    main.setVideoEncoderType(1);
    main.setVideoHeight(1080);
    streams.assign(1, main);
}

int ConsoleVideo::notifySensorParam(int channel, int key, int value)
{
    std::printf("video\t%d\t%d\t%d\n", channel, key, value);
    std::fflush(stdout);
    return 0;
}

void ConsoleVideo::getLimitedFramesWDRModeParam(int, LimitedFramesWDRModeParam& param)
{
    param = LimitedFramesWDRModeParam();
}

#ifndef TECHNIC_VIDEO_STREAM_MODULE_H
#define TECHNIC_VIDEO_STREAM_MODULE_H

#include <vector>

class AVStreamParam {
public:
    int getVideoEncoderType() const { return m_nEncoderType; }
    int getVideoHeight() const { return m_nHeight; }
    void setVideoEncoderType(int type) { m_nEncoderType = type; }
    void setVideoHeight(int height) { m_nHeight = height; }

private:
    int m_nEncoderType = 0;
    int m_nHeight = 0;
};

class LimitedFramesWDRModeParam {
public:
    int getLimitFramesModeId() const { return m_nModeId; }
    int getLimitWdr() const { return m_nLimitWdr; }
    int getLDCSupport() const { return m_nLDCSupport; }
    int getLDCSwitch() const { return m_nLDCSwitch; }
    void setLimitFramesModeId(int id) { m_nModeId = id; }
    void setLimitWdr(int limit) { m_nLimitWdr = limit; }
    void setLDCSupport(int support) { m_nLDCSupport = support; }
    void setLDCSwitch(int on) { m_nLDCSwitch = on; }

private:
    int m_nModeId = -1;
    int m_nLimitWdr = 0;
    int m_nLDCSupport = 0;
    int m_nLDCSwitch = 0;
};

// The host's video module, implemented by the host application.
class VideoStreamModule {
public:
    virtual ~VideoStreamModule() = default;
    // Parameters of every video stream of the device.
    virtual void getAVStreamParams(std::vector<AVStreamParam>& streams) = 0;
    // A sensor parameter changed; returns 0 when the module accepted it.
    virtual int notifySensorParam(int channel, int key, int value) = 0;
    virtual void getLimitedFramesWDRModeParam(int cameraId, LimitedFramesWDRModeParam& param) = 0;
    // Non-zero while the module is busy (for example restarting streams).
    virtual int isBusy() = 0;
};

#endif

#include "ReadBackVideo.h"

#include "ControllerLock.h"

int ReadBackVideo::notifySensorParam(int channel, int key, int value)
{
    const int answer = RecordingVideo::notifySensorParam(channel, key, value);
    ISensorController* controller = m_controller;
    if (controller == nullptr) return answer;
    ReadBack read{key, false, -1, sensor::inSensorPassOf(controller)};
    read.ok = controller->getParameter(key, read.value);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_readBacks.push_back(read);
    return answer;
}

std::vector<ReadBackVideo::ReadBack> ReadBackVideo::readBacks()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_readBacks;
}

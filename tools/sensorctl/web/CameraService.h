// What the imaging page can do with the running controllers. One request at
// a time reaches them, so the ISP calls answered belong to that request.
#ifndef SENSORCTL_CAMERA_SERVICE_H
#define SENSORCTL_CAMERA_SERVICE_H

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "Session.h"
#include "SimClock.h"

class CameraService {
public:
    CameraService() = default;
    CameraService(const CameraService&) = delete;
    CameraService& operator=(const CameraService&) = delete;
    // Starts every channel of the tree (SENSOR_ROOTFS), then puts the sensor
    // threads on the simulated clock at 00:00.
    bool open(std::string& error);
    ~CameraService(); // the real clock again

    int channelCount() const { return m_session.channelCount(); }
    bool hasChannel(int channel) const { return m_session.hasChannel(channel); }
    // Whether the key is an item of the channel's page.
    bool onPage(int channel, int key);

    nlohmann::json state(int channel);
    // Each answer carries "isp": the calls it caused, as the simulated ISP
    // formats them.
    nlohmann::json setParameter(int channel, int key, int value);
    nlohmann::json setScheme(int channel, int scheme);
    nlohmann::json setDayNight(int channel, int state);
    // 0 manual, 1 automatic (by schedule or day/night).
    nlohmann::json setMode(int channel, int mode);
    // "flush", "revert" or "factory-reset"; false for any other name.
    bool isAction(const std::string& action) const;
    nlohmann::json runAction(int channel, const std::string& action);
    // Runs the sensor threads through simulated time from start (minutes
    // after midnight), a minute a step, listing every scheme switch.
    nlohmann::json runClock(int startMinute, int hours);

private:
    // One request at a time, holding the simulated clock's turn: its ISP
    // calls and its waits (a scheme change's 0.5 s steps) are ordered with
    // the sensor threads' passes.
    struct Turn {
        explicit Turn(std::mutex& mutex) : lock(mutex) {}
        std::lock_guard<std::mutex> lock;
        technic_sim::DriverTurn turn;
    };

    nlohmann::json tabsOf(int channel);
    nlohmann::json withCalls(nlohmann::json answer);
    // A host operation answering true or false, as {"result": 0 or -1, "isp"}.
    nlohmann::json runHostSwitch(int channel, const std::function<bool(ISensorController&)>& operation);
    int startedChannels() const;
    static int hostAction(ISensorController& controller, const std::string& action);

    Session m_session;
    std::mutex m_mutex;
    std::map<int, std::set<int>> m_pageKeys;
    int m_minuteOfDay = 0;
};

#endif

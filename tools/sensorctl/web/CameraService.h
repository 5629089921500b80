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

#include "PreviewPicture.h"
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
    // Why the page may not set the key to the value: 400 for a key that is
    // not an item of the channel's page or a value the item does not allow,
    // 409 for a key that follows its twin; status 0 when it may.
    struct Refusal {
        int status = 0;
        std::string message;
    };
    Refusal refusal(int channel, int key, int value);

    nlohmann::json state(int channel);
    long version();
    int schemeCount(int channel);
    // The page's values of the current scheme as pair text: {scheme, text}.
    nlohmann::json exportScheme(int channel);
    // Pair text is taken whole or not at all: the first pair the page would
    // refuse (or a fault of the text) refuses it, with status 400 or 409.
    Refusal importRefusal(int channel, const std::string& text);
    nlohmann::json importScheme(int channel, const std::string& text);
    // The page's keys whose values differ between two schemes (the current
    // one as it is, the others as their files hold them): [{id, name, first, second}].
    nlohmann::json compareSchemes(int channel, int first, int second);
    // What the channel's preview picture shows, from its current values.
    PictureSettings pictureSettings(int channel);
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
    const nlohmann::json* itemOf(int channel, int key);
    // Each item's value and the one the scheme's file holds ("saved"); a
    // key that follows its twin shows the leader's value.
    void fillValues(int channel, int scheme, nlohmann::json& tabs);
    std::map<int, int> savedValues(int channel, int scheme);
    // The values of the page's keys in a scheme, as compareSchemes takes them.
    std::map<int, int> schemeValues(int channel, int scheme);
    std::string nameOf(int channel, int key);
    int lightType(int channel);
    nlohmann::json withCalls(nlohmann::json answer);
    // A host operation answering true or false, as {"result": 0 or -1, "isp"}.
    nlohmann::json runHostSwitch(int channel, const std::function<bool(ISensorController&)>& operation);
    int startedChannels() const;
    static int hostAction(ISensorController& controller, const std::string& action);

    Session m_session;
    std::mutex m_mutex;
    std::map<int, nlohmann::json> m_tabs;
    std::map<int, std::map<int, nlohmann::json>> m_pageItems;
    int m_minuteOfDay = 0;
    long m_version = 0; // counts the changes: a page's state older than the last one is stale
};

#endif

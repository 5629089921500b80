// One run of sensorctl: the device tree, a controller per channel and the
// simulated ISP's traffic.
#ifndef SENSORCTL_SESSION_H
#define SENSORCTL_SESSION_H

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ConsoleVideo.h"
#include "ISensorController.h"
#include "SimulatedTime.h"
#include "StyleLimits.h"
#include "isp_sim.h"

class Session {
public:
    Session() = default;
    ~Session(); // uinit of every started controller
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts the simulated clock at `start`, constructs a controller per
    // channel of the tree and, when startAll, runs init for each from the
    // tree's module configuration.
    bool open(bool startAll, const SimulatedStart& start, std::string& error);

    int channelCount() const { return static_cast<int>(m_controllers.size()); }
    bool hasChannel(int channel) const { return m_controllers.count(channel) != 0; }
    ISensorController& controller(int channel) { return *m_controllers.at(channel); }
    const ModuleConfigure& moduleConfig(int channel) const { return m_configs.at(channel); }
    bool started(int channel) const { return m_started.count(channel) != 0; }
    int startedCount() const { return static_cast<int>(m_started.size()); }
    SimulatedTime& time() { return m_time; }
    // The channel's dynamic style, read once.
    const StyleLimits& styleLimits(int channel);

    // ISP calls seen since the last take.
    std::vector<isp_sim::IspCall> takeCalls();
    void setEchoCalls(bool echo) { m_bEcho = echo; }
    bool echoCalls() const { return m_bEcho; }

private:
    SimulatedTime m_time;
    std::map<int, std::unique_ptr<ISensorController>> m_controllers;
    std::map<int, std::unique_ptr<ConsoleVideo>> m_videos;
    std::map<int, ModuleConfigure> m_configs;
    std::map<int, bool> m_started;
    std::map<int, StyleLimits> m_styles;
    std::mutex m_mutex;
    std::vector<isp_sim::IspCall> m_calls;
    bool m_bEcho = false;
};

#endif

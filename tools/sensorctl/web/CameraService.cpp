#include "CameraService.h"

#include <cstdio>

#include "PageModel.h"
#include "SensorFile.h"
#include "SimClock.h"

using nlohmann::json;

namespace {

std::string clockText(int minuteOfDay)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", minuteOfDay / 60 % 24, minuteOfDay % 60);
    return text;
}

} // namespace

bool CameraService::open(std::string& error)
{
    if (!m_session.open(true, SimulatedStart{}, error)) return false;
    m_session.takeCalls();
    technic_sim::resetSimulatedClock();
    // Each request takes the clock's turn (Turn); between requests the
    // sensor threads stay parked.
    technic_sim::driveClockFromThisThread(false);
    return true;
}

CameraService::~CameraService()
{
    // The session's stops run in turn too.
    technic_sim::driveClockFromThisThread(true);
}

int CameraService::startedChannels() const
{
    int started = 0;
    for (int channel = 1; channel <= m_session.channelCount(); ++channel) started += m_session.started(channel) ? 1 : 0;
    return started;
}

json CameraService::tabsOf(int channel)
{
    json tabs = pageTabs(m_session.controller(channel).getUIStyleFile());
    m_pageKeys[channel] = pageKeys(tabs);
    return tabs;
}

bool CameraService::onPage(int channel, int key)
{
    const Turn turn(m_mutex);
    if (m_pageKeys.count(channel) == 0) tabsOf(channel);
    return m_pageKeys[channel].count(key) != 0;
}

json CameraService::withCalls(json answer)
{
    json calls = json::array();
    for (const isp_sim::IspCall& call : m_session.takeCalls()) calls.push_back(isp_sim::formatCall(call));
    answer["isp"] = calls;
    return answer;
}

json CameraService::state(int channel)
{
    const Turn turn(m_mutex);
    ISensorController& controller = m_session.controller(channel);
    json tabs = tabsOf(channel);
    for (json& tab : tabs) {
        for (json& item : tab["items"]) {
            int value = 0;
            if (controller.getParameter(item["id"].get<int>(), value)) item["value"] = value;
        }
    }
    int scheme = -1, mode = -1, dayNight = -1;
    controller.getParamScheme(scheme);
    controller.getParamMode(mode);
    controller.getDNState(dayNight);
    u32 schemes = 4; // as the library counts them when the module names none
    if (getDetailFieldTou32(m_session.moduleConfig(channel).getDetail().c_str(), "max_scheme", &schemes) != 0) schemes = 4;
    m_session.takeCalls();
    return {{"channel", channel},
            {"schemes", schemes},
            {"channels", m_session.channelCount()},
            {"scheme", scheme},
            {"mode", mode},
            {"dayNight", dayNight},
            {"clock", clockText(m_minuteOfDay)},
            {"tabs", tabs}};
}

json CameraService::setParameter(int channel, int key, int value)
{
    const Turn turn(m_mutex);
    m_session.takeCalls();
    ISensorController& controller = m_session.controller(channel);
    const int result = controller.setParameter(key, value, true);
    json answer = withCalls({{"result", result}});
    int readBack = 0;
    answer["value"] = controller.getParameter(key, readBack) ? json(readBack) : json(nullptr);
    m_session.takeCalls();
    return answer;
}

json CameraService::setScheme(int channel, int scheme)
{
    const Turn turn(m_mutex);
    m_session.takeCalls();
    ISensorController& controller = m_session.controller(channel);
    const bool ok = controller.setParamScheme(scheme);
    json answer = withCalls({{"result", ok ? 0 : -1}});
    int current = -1;
    controller.getParamScheme(current);
    answer["scheme"] = current;
    return answer;
}

json CameraService::setDayNight(int channel, int state)
{
    return runHostSwitch(channel, [state](ISensorController& controller) { return controller.setDNState(state); });
}

json CameraService::setMode(int channel, int mode)
{
    return runHostSwitch(channel, [mode](ISensorController& controller) { return controller.setParamMode(mode); });
}

json CameraService::runHostSwitch(int channel, const std::function<bool(ISensorController&)>& operation)
{
    const Turn turn(m_mutex);
    m_session.takeCalls();
    ISensorController& controller = m_session.controller(channel);
    const bool ok = operation(controller);
    return withCalls({{"result", ok ? 0 : -1}});
}

bool CameraService::isAction(const std::string& action) const
{
    return action == "flush" || action == "revert" || action == "factory-reset";
}

json CameraService::runAction(int channel, const std::string& action)
{
    const Turn turn(m_mutex);
    m_session.takeCalls();
    ISensorController& controller = m_session.controller(channel);
    const int result = hostAction(controller, action);
    if (action == "factory-reset") m_pageKeys.erase(channel);
    return withCalls({{"result", result}});
}

int CameraService::hostAction(ISensorController& controller, const std::string& action)
{
    int result = -1;
    if (action == "flush") {
        result = controller.flush();
    } else if (action == "revert") {
        result = controller.resetToLastParameters() ? 0 : -1;
    } else if (action == "factory-reset") {
        result = controller.resetParameters() ? 0 : -1;
    }
    return result;
}

json CameraService::runClock(int startMinute, int hours)
{
    const Turn turn(m_mutex);
    const int threads = startedChannels();
    technic_sim::resetSimulatedClock();
    technic_sim::setLocalTime(startMinute / 60, startMinute % 60, 0);
    std::map<int, int> schemes;
    for (int channel = 1; channel <= m_session.channelCount(); ++channel) {
        m_session.controller(channel).getParamScheme(schemes[channel]);
    }
    json switches = json::array();
    bool ok = true;
    int minute = startMinute;
    for (int step = 0; step <= hours * 60 && ok; ++step, ++minute) {
        // The first step lets every thread make a pass at the start time.
        ok = technic_sim::advanceAndSettle(step == 0 ? 1 : 60, 0, threads, 10000);
        for (int channel = 1; channel <= m_session.channelCount(); ++channel) {
            int scheme = -1;
            if (!m_session.started(channel) || !m_session.controller(channel).getParamScheme(scheme)) continue;
            if (schemes[channel] != scheme) {
                switches.push_back({{"time", clockText(minute)}, {"channel", channel}, {"scheme", scheme}});
                schemes[channel] = scheme;
            }
        }
    }
    m_minuteOfDay = (minute - 1) % (24 * 60);
    m_session.takeCalls();
    return {{"ok", ok}, {"clock", clockText(m_minuteOfDay)}, {"switches", switches}};
}

#include "CameraService.h"

#include <cstdio>

#include "KeyNames.h"
#include "LinkedKeys.h"
#include "PageModel.h"
#include "SchemeFile.h"
#include "SensorKeys.h"
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

// Why the current scheme is the current one.
std::string schemeReason(ISensorController& controller, int mode)
{
    int schemeMode = 0;
    if (mode != 1 || !controller.getParameter(KEY_SCHEME_MODE, schemeMode)) return "manual";
    return schemeMode == 1 ? "time" : schemeMode == 2 ? "day/night" : "manual";
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
    // The style is built at start-up: read once, and again after a factory
    // reset, which starts the channel anew.
    if (m_tabs.count(channel) == 0) {
        m_tabs[channel] = pageTabs(m_session.controller(channel).getUIStyleFile());
        m_pageItems[channel] = pageItems(m_tabs[channel]);
    }
    return m_tabs[channel];
}

const json* CameraService::itemOf(int channel, int key)
{
    tabsOf(channel);
    const auto found = m_pageItems[channel].find(key);
    return found != m_pageItems[channel].end() ? &found->second : nullptr;
}

std::string CameraService::nameOf(int channel, int key)
{
    const json* item = itemOf(channel, key);
    const char* constant = keyConstantName(key);
    return item != nullptr ? item->at("name").get<std::string>() : constant != nullptr ? constant : std::to_string(key);
}

int CameraService::lightType(int channel)
{
    int type = 0;
    return m_session.controller(channel).getParameter(KEY_LIGHT_TYPE, type) ? type : 0;
}

CameraService::Refusal CameraService::refusal(int channel, int key, int value)
{
    const Turn turn(m_mutex);
    const json* item = itemOf(channel, key);
    if (item == nullptr) return {400, "unknown key " + std::to_string(key) + ": not on the channel's page"};
    const int leader = leadingKey(key, lightType(channel));
    if (leader != key) {
        return {409, nameOf(channel, key) + " (" + std::to_string(key) + ") follows " + nameOf(channel, leader) + " (" +
                         std::to_string(leader) + ") under the current light type: set that one"};
    }
    return {refusedValue(*item, value).empty() ? 0 : 400, refusedValue(*item, value)};
}

std::map<int, int> CameraService::savedValues(int channel, int scheme)
{
    std::vector<KeyVal> records;
    std::map<int, int> values;
    if (scheme < 0 || !readKeyValFile(m_session.controller(channel).schemeFileName(static_cast<u32>(scheme)), records)) {
        return values;
    }
    for (const KeyVal& record : records) values[static_cast<int>(record.key)] = static_cast<int>(record.value);
    return values;
}

void CameraService::fillValues(int channel, int scheme, json& tabs)
{
    ISensorController& controller = m_session.controller(channel);
    const int light = lightType(channel);
    const std::map<int, int> saved = savedValues(channel, scheme);
    for (json& tab : tabs) {
        for (json& item : tab["items"]) {
            if (!storesValue(item)) continue;
            const int key = item["id"], leader = leadingKey(key, light);
            if (leader != key) item["follows"] = {{"id", leader}, {"name", nameOf(channel, leader)}};
            int value = 0;
            if (controller.getParameter(leader, value)) item["value"] = value;
            const auto file = saved.find(key);
            if (file != saved.end()) item["saved"] = file->second;
        }
    }
}

json CameraService::withCalls(json answer)
{
    json calls = json::array();
    for (const isp_sim::IspCall& call : m_session.takeCalls()) calls.push_back(isp_sim::formatCall(call));
    answer["isp"] = calls;
    return answer;
}

int CameraService::schemeCount(int channel)
{
    u32 schemes = 4; // as the library counts them when the module names none
    if (getDetailFieldTou32(m_session.moduleConfig(channel).getDetail().c_str(), "max_scheme", &schemes) != 0) schemes = 4;
    return static_cast<int>(schemes);
}

PictureSettings CameraService::pictureSettings(int channel)
{
    const Turn turn(m_mutex);
    ISensorController& controller = m_session.controller(channel);
    auto value = [&controller](u32 key, int fallback) {
        int read = fallback;
        return controller.getParameter(static_cast<int>(key), read) ? read : fallback;
    };
    PictureSettings settings;
    settings.brightness = value(KEY_BRIGHTNESS, 50);
    settings.contrast = value(KEY_CONTRAST, 50);
    settings.saturation = value(KEY_SATURATION, 50);
    settings.sharpness = value(KEY_SHARPNESS, 50);
    settings.mirror = value(KEY_MIRROR, 0) & 3;
    int dayNight = 0;
    settings.night = controller.getDNState(dayNight) && dayNight == 1;
    settings.toneCurve = value(KEY_WDR_MODE, 0) != 0 || value(KEY_BLC_SWITCH, 0) != 0;
    settings.defog = value(KEY_DEFLG_SWITCH, 0) != 0 ? value(KEY_DEFLG_STRG, 50) : 0;
    settings.noiseReduction = value(KEY_2D_NR_SWITCH, 0) != 0 || value(KEY_3D_NR_SWITCH, 0) != 0;
    m_session.takeCalls();
    return settings;
}

long CameraService::version()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_version;
}

json CameraService::state(int channel)
{
    const Turn turn(m_mutex);
    ISensorController& controller = m_session.controller(channel);
    json tabs = tabsOf(channel);
    int scheme = -1, mode = -1, dayNight = -1;
    controller.getParamScheme(scheme);
    fillValues(channel, scheme, tabs);
    controller.getParamMode(mode);
    controller.getDNState(dayNight);
    const int schemes = schemeCount(channel);
    m_session.takeCalls();
    return {{"channel", channel},
            {"schemes", schemes},
            {"channels", m_session.channelCount()},
            {"scheme", scheme},
            {"mode", mode},
            {"dayNight", dayNight},
            {"schemeReason", schemeReason(controller, mode)},
            {"version", m_version},
            {"clock", clockText(m_minuteOfDay)},
            {"tabs", tabs}};
}

json CameraService::setParameter(int channel, int key, int value)
{
    const Turn turn(m_mutex);
    ++m_version;
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
    ++m_version;
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
    ++m_version;
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
    ++m_version;
    m_session.takeCalls();
    ISensorController& controller = m_session.controller(channel);
    const int result = hostAction(controller, action);
    if (action == "factory-reset") m_tabs.erase(channel);
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
    ++m_version;
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

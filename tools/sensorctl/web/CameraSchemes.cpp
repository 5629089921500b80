// What the page does with whole schemes: export, import, comparison.
#include "CameraService.h"

#include "LinkedKeys.h"
#include "PageModel.h"
#include "PairText.h"

using nlohmann::json;

json CameraService::exportScheme(int channel)
{
    const Turn turn(m_mutex);
    tabsOf(channel);
    int scheme = -1;
    m_session.controller(channel).getParamScheme(scheme);
    Pairs pairs;
    for (const auto& value : schemeValues(channel, scheme)) pairs.emplace_back(value.first, value.second);
    m_session.takeCalls();
    return {{"scheme", scheme}, {"text", formatPairText(pairs)}};
}

CameraService::Refusal CameraService::importRefusal(int channel, const std::string& text)
{
    Pairs pairs;
    std::string error;
    if (!parsePairText(text, pairs, error)) return {400, error};
    if (pairs.empty()) return {400, "no pair to import"};
    for (const auto& pair : pairs) {
        const Refusal refused = refusal(channel, pair.first, pair.second);
        if (refused.status != 0) return {refused.status, "nothing imported: " + refused.message};
    }
    return {};
}

json CameraService::importScheme(int channel, const std::string& text)
{
    const Turn turn(m_mutex);
    ++m_version;
    m_session.takeCalls();
    ISensorController& controller = m_session.controller(channel);
    const int result = controller.setParameters(text, true);
    return withCalls({{"result", result}});
}

std::map<int, int> CameraService::schemeValues(int channel, int scheme)
{
    int current = -1;
    ISensorController& controller = m_session.controller(channel);
    controller.getParamScheme(current);
    const std::map<int, int> saved = scheme == current ? std::map<int, int>{} : savedValues(channel, scheme);
    const int light = lightType(channel);
    std::map<int, int> values;
    for (const auto& entry : m_pageItems[channel]) {
        const int key = entry.first;
        if (!storesValue(entry.second) || leadingKey(key, light) != key) continue;
        int value = 0;
        if (scheme == current ? controller.getParameter(key, value) : saved.count(key) != 0) {
            values[key] = scheme == current ? value : saved.at(key);
        }
    }
    return values;
}

json CameraService::compareSchemes(int channel, int first, int second)
{
    const Turn turn(m_mutex);
    tabsOf(channel);
    const std::map<int, int> a = schemeValues(channel, first), b = schemeValues(channel, second);
    json differences = json::array();
    for (const auto& value : a) {
        const auto other = b.find(value.first);
        if (other == b.end() || other->second == value.second) continue;
        differences.push_back({{"id", value.first}, {"name", nameOf(channel, value.first)}, {"first", value.second},
                               {"second", other->second}});
    }
    m_session.takeCalls();
    return {{"first", first}, {"second", second}, {"differences", differences}};
}

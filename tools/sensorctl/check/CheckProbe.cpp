#include "CheckProbe.h"

#include <cstring>

#include "KeyNames.h"
#include "SensorKeys.h"

CheckChannel::CheckChannel(Session& session, int channel)
    : session(session), channel(channel), controller(session.controller(channel)), style(session.styleLimits(channel))
{
}

std::string CheckChannel::describe(u32 key) const
{
    const StyleItem* item = style.find(static_cast<int>(key));
    const char* constant = keyConstantName(static_cast<int>(key));
    const std::string name = item != nullptr && !item->name.empty() ? item->name : constant != nullptr ? constant : "not in the table";
    return "key " + std::to_string(key) + " (" + name + ")";
}

int CheckChannel::currentScheme() const
{
    int scheme = -1;
    controller.getParamScheme(scheme);
    return scheme;
}

bool CheckChannel::reachesIsp(const CheckKey& key) const
{
    if (key.command == 0 || key.toVideoOnly()) return false;
    if (controller.isThermalChannel() && (key.facts & sensor::fact::THERMAL_VIDEO) != 0) return false;
    if ((key.facts & sensor::fact::DAY_NIGHT) == 0 || currentScheme() == 0) return true;
    // While schemes follow day and night, day/night keys are sent in scheme 0 only.
    u32 mode = 0;
    controller.getKeyValFromCache(0, KEY_SCHEME_MODE, mode);
    return mode != 2;
}

SetOutcome setAndRead(CheckChannel& channel, u32 key, int value)
{
    SetOutcome outcome;
    channel.session.takeCalls();
    outcome.result = channel.controller.setParameter(static_cast<int>(key), value, true);
    outcome.calls = channel.session.takeCalls();
    outcome.read = channel.controller.getParameter(static_cast<int>(key), outcome.readBack);
    channel.session.takeCalls();
    return outcome;
}

bool ispGet(CheckChannel& channel, u32 command, int& value)
{
    // Zeroed and large enough for any command's own record.
    int32_t data[ia_cmd_payload_max() / sizeof(int32_t) + 1] = {};
    channel.session.takeCalls();
    const int result = ia_ioctrl_v2(channel.ispChannel(), static_cast<ia_cmd_e>(command), IA_CMD_OPT_GET, data);
    const std::vector<isp_sim::IspCall> calls = channel.session.takeCalls();
    // A record command answers its value in its own place: the trace names it.
    value = calls.empty() ? data[0] : calls.back().value;
    return result == 0;
}

bool ispRange(CheckChannel& channel, u32 command, ia_dynamic_params_attr_st& range)
{
    std::memset(&range, 0, sizeof range);
    const int result = ia_ioctrl_v2(channel.ispChannel(), static_cast<ia_cmd_e>(command), IA_CMD_OPT_GET_PARAM_RNAGE, &range);
    channel.session.takeCalls();
    return result == 0;
}

bool hasSet(const std::vector<isp_sim::IspCall>& calls, u32 command, int value)
{
    for (const isp_sim::IspCall& call : calls) {
        if (call.command == command && call.option == IA_CMD_OPT_SET && call.value == value && call.result == 0) return true;
    }
    return false;
}

std::string describeCalls(const std::vector<isp_sim::IspCall>& calls)
{
    if (calls.empty()) return "no ISP call";
    std::string text;
    for (const isp_sim::IspCall& call : calls) {
        if (!text.empty()) text += ", ";
        text += std::to_string(call.command) + " " + isp_sim::optionName(call.option) + " " + std::to_string(call.value) +
                (call.result == 0 ? "" : " (failed " + std::to_string(call.result) + ")");
    }
    return text;
}

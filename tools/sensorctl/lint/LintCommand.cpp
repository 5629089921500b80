#include "LintCommand.h"

#include <cstdlib>
#include <set>
#include <utility>

#include "MachineInfo.h"
#include "SensorKeys.h"
#include "Session.h"
#include "ia_ioctrl.h"
#include "isp_sim.h"
#include "sensor.h"

namespace {

const char* const kMachineInfoFile = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const char* const kIspProfile = "/mnt/mtd/isp_profile.ini";

// Fields the camera's sensor modules publish in their detail text.
const char* const kModuleDetailFields[] = {"isInfrared", "lensId", "max_scheme", "digitalZoom", "mixstream", "antiShake"};

std::string hostPath(const std::string& devicePath)
{
    const char* root = std::getenv("SENSOR_ROOTFS");
    return root != nullptr && *root != '\0' ? std::string(root) + devicePath : devicePath;
}

std::set<int> tableKeys()
{
    return {
#define SENSOR_KEY(constant, key, cmd, handler, facts) key,
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) key,
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) key,
#define SENSOR_TWIN_KEY(constant, key, twinOf) key,
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
    };
}

// Asks the simulated ISP, loaded with the tree's profile, what the library
// would ask it at start-up: the range and the default of each command.
void offeredRanges(LintRules& rules)
{
    std::map<int, std::pair<int, int>>& offered = rules.offered;
    isp_sim::reset();
    isp_sim::loadProfile(kIspProfile);
    ia_dynamic_cmd_list_st list{};
    if (ia_ioctrl_v2(0, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &list) != 0) return;
    for (int i = 0; i < list.cmd_cnt && i < IA_DYNAMIC_CMDS_MAX; ++i) {
        ia_dynamic_params_attr_st range{};
        if (ia_ioctrl_v2(0, static_cast<ia_cmd_e>(list.cmd_list[i]), IA_CMD_OPT_GET_PARAM_RNAGE, &range) != 0) continue;
        std::pair<int, int> span(range.min, range.max);
        const int count = std::min(range.items_cnt, IA_DYNAMIC_ITEMS_MAX);
        for (int item = 0; item < count; ++item) {
            span.first = item == 0 ? range.item[0] : std::min(span.first, range.item[item]);
            span.second = item == 0 ? range.item[0] : std::max(span.second, range.item[item]);
        }
        offered[list.cmd_list[i]] = span;
        rules.offeredDefaults[list.cmd_list[i]] = range.default_val;
    }
    isp_sim::reset();
}

void addDetailFieldNames(const std::string& detail, std::set<std::string>& names)
{
    for (size_t open = detail.find('('); open != std::string::npos; open = detail.find('(', open + 1)) {
        const size_t equals = detail.find('=', open);
        if (equals != std::string::npos) names.insert(detail.substr(open + 1, equals - open - 1));
    }
}

// Each distinct style pair the tree's channels load.
bool treePairs(std::vector<std::pair<std::string, std::string>>& pairs, std::string& error)
{
    Session session;
    if (!session.open(false, SimulatedStart{}, error)) return false;
    for (int channel = 1; channel <= session.channelCount(); ++channel) {
        const auto pair = channelStylePair(channel);
        if (std::find(pairs.begin(), pairs.end(), pair) == pairs.end()) pairs.push_back(pair);
    }
    return true;
}

} // namespace

std::pair<std::string, std::string> channelStylePair(int channel)
{
    MachineInfo machine;
    SystemInfoParser::parseMachineInfo(kMachineInfoFile, machine);
    std::string style, diversity;
    getStyleDocuments(channel, machine.getDeviceType(), style, diversity);
    return std::make_pair(hostPath(style), hostPath(diversity));
}

LintRules rulesOfTree()
{
    LintRules rules;
    rules.keys = tableKeys();
    offeredRanges(rules);
    rules.detailFields.insert(std::begin(kModuleDetailFields), std::end(kModuleDetailFields));
    Session session;
    std::string error;
    if (session.open(false, SimulatedStart{}, error)) {
        for (int channel = 1; channel <= session.channelCount(); ++channel) {
            addDetailFieldNames(session.moduleConfig(channel).getDetail(), rules.detailFields);
        }
    }
    return rules;
}

int runLint(const std::vector<std::string>& args, std::FILE* out, std::FILE* errors)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    if (args.size() > 2) {
        std::fprintf(errors, "sensorctl: usage: lint [STYLE] [DIVERSITY]\n");
        return 1;
    }
    std::string error;
    if (!args.empty()) {
        pairs.emplace_back(args[0], args.size() > 1 ? args[1] : "");
    } else if (!treePairs(pairs, error)) {
        std::fprintf(errors, "sensorctl: lint: %s\n", error.c_str());
        return 1;
    }
    const LintRules rules = rulesOfTree();
    size_t found = 0;
    for (const auto& pair : pairs) {
        for (const LintFinding& finding : lintStyleFiles(pair.first, pair.second, rules)) {
            std::fprintf(out, "%s\n", formatFinding(finding).c_str());
            ++found;
        }
    }
    return found == 0 ? 0 : 1;
}

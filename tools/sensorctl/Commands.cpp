#include "Commands.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <unistd.h>

#include "KeyNames.h"
#include "Operations.h"
#include "SaveCheck.h"
#include "SchemeFile.h"
#include "Output.h"
#include "PairText.h"
#include "SensorKeys.h"
#include "Shell.h"
#include "SensorFile.h"
#include "SensorKeyVal.h"
#include "VexloTime.h"
#include "sensor.h"

namespace {

std::FILE* g_pResults = stdout;

// Runs at least this long show their progress on a terminal.
const std::int64_t kProgressFromDays = 30;

bool fail(CommandContext& context, const std::string& message)
{
    context.error = message;
    return false;
}

// Bad input rather than a failure of the library.
bool refuse(CommandContext& context, const std::string& message)
{
    context.failure = kExitUsage;
    return fail(context, message);
}

bool intArg(CommandContext& context, const std::string& text, int& value)
{
    return parseNumber(text, value) || refuse(context, "not a number: \"" + text + "\"");
}

// A key by number or name; one outside the key table only under --force.
bool keyArg(CommandContext& context, const std::string& text, int& key)
{
    if (!parseKey(text, key)) return refuse(context, "no such key: \"" + text + "\" (see \"keys\")");
    if (keyConstantName(key) != nullptr || context.policy.force) return true;
    return refuse(context, "unknown key " + text + " (not in the key table; --force sends it anyway)");
}

// Checks a value against the channel's style: a warning, or under --strict a refusal.
bool valueAllowed(CommandContext& context, int key, int value)
{
    const StyleItem* item = context.session.styleLimits(context.channel).find(key);
    if (item == nullptr || item->allows(value)) return true;
    const std::string message = std::to_string(value) + " is outside what the style allows for key " +
                                std::to_string(key) + " (" + item->name + "): " + item->describe();
    if (context.policy.strict) return refuse(context, message);
    std::fprintf(stderr, "sensorctl: warning: %s\n", message.c_str());
    return true;
}

// Strict pair text with known keys and allowed values.
bool pairsArg(CommandContext& context, const std::string& text, Pairs& pairs)
{
    std::string error;
    if (!parsePairText(text, pairs, error)) return refuse(context, error);
    for (const auto& pair : pairs) {
        if (keyConstantName(pair.first) == nullptr && !context.policy.force) {
            return refuse(context, "unknown key " + std::to_string(pair.first) + " in the pair text (--force sends it anyway)");
        }
        if (!valueAllowed(context, pair.first, pair.second)) return false;
    }
    return true;
}

// Chooses between two words, e.g. on/off.
bool choice(CommandContext& context, const std::string& text, const char* first, const char* second, bool& isFirst)
{
    if (text == first || text == second) {
        isFirst = text == first;
        return true;
    }
    return refuse(context, "expected \"" + std::string(first) + "\" or \"" + second + "\", got \"" + text + "\"");
}

bool succeeded(CommandContext& context, bool ok, const char* what)
{
    return ok || fail(context, std::string(what) + " failed");
}

ISensorController& current(CommandContext& context)
{
    return context.session.controller(context.channel);
}

// Handler name without the class prefix.
const char* shortHandlerName(const char* name)
{
    const char* separator = std::strstr(name, "::");
    return separator != nullptr ? separator + 2 : name;
}

const char* keyName(ISensorController& controller, u32 key)
{
    u32 rows = 0;
    const keycmd* table = controller.getKeyCmdMap(rows);
    for (u32 i = 0; table != nullptr && i < rows; ++i) {
        if (table[i].nKey == key) return table[i].szKeyName;
    }
    return "-";
}

// key, name, value of each record
Table keyValueTable(ISensorController& controller, const KeyVal* begin, const KeyVal* end)
{
    Table table{{"key", "name", "value"}, {}, true};
    for (const KeyVal* record = begin; record != end; ++record) {
        table.rows.push_back({std::to_string(record->key), keyName(controller, record->key),
                              std::to_string(static_cast<int32_t>(record->value))});
    }
    return table;
}

// --- object ---

bool cmdInfo(CommandContext& context, const std::vector<std::string>&)
{
    Table table{{"channel", "camera_id", "thermal", "sensor_type", "started"}, {}, true};
    for (int channel = 1; channel <= context.session.channelCount(); ++channel) {
        ISensorController& controller = context.session.controller(channel);
        table.rows.push_back({std::to_string(channel), std::to_string(controller.getCameraID()),
                              std::to_string(controller.isThermalChannel() ? 1 : 0), std::to_string(controller.getSensorType()),
                              std::to_string(controller.getSensorStatus() ? 1 : 0)});
    }
    printTable(table);
    return true;
}

bool cmdNotify(CommandContext& context, const std::vector<std::string>& args)
{
    int key = 0, value = 0;
    if (!keyArg(context, args[0], key) || !intArg(context, args[1], value)) return false;
    printValue(std::to_string(current(context).notifyToVideo(key, value)));
    return true;
}

// --- table and dispatch ---

bool cmdKeys(CommandContext& context, const std::vector<std::string>&)
{
    u32 rows = 0;
    const keycmd* table = current(context).getKeyCmdMap(rows);
    if (table == nullptr) return fail(context, "the controller has no key table (not started)");
    Table out{{"key", "isp_cmd", "name", "handler"}, {}, true};
    for (u32 i = 0; i < rows; ++i) {
        out.rows.push_back({std::to_string(table[i].nKey), std::to_string(table[i].nIaCmd), table[i].szKeyName,
                            shortHandlerName(table[i].szFuncName)});
    }
    printTable(out);
    return true;
}

bool cmdApply(CommandContext& context, const std::vector<std::string>& args)
{
    int key = 0, value = 0;
    if (!keyArg(context, args[0], key) || !intArg(context, args[1], value)) return false;
    ISensorController& controller = current(context);
    u32 rows = 0;
    const keycmd* table = controller.getKeyCmdMap(rows);
    keycmd row{};
    if (table == nullptr || controller.findFromKeyCmdMap(table, static_cast<u32>(key), row) < 0) {
        return fail(context, "key " + args[0] + " has no row in the key-command table");
    }
    if (row.pfnHandler == nullptr) return fail(context, "key " + args[0] + " has no handler: it is never sent");
    const int result = (controller.*row.pfnHandler)(row.nIaCmd, 0, &value);
    printTable({{"handler", "result"}, {{shortHandlerName(row.szFuncName), std::to_string(result)}}, false});
    return result == 0 || fail(context, "the handler returned " + std::to_string(result));
}

// --- reading and setting ---

bool cmdGet(CommandContext& context, const std::vector<std::string>& args)
{
    std::vector<std::string> values;
    for (const std::string& text : args) {
        int key = 0, value = 0;
        if (!keyArg(context, text, key)) return false;
        if (!current(context).getParameter(key, value)) return fail(context, "reading key " + text + " failed");
        values.push_back(std::to_string(value));
    }
    printValues(values);
    return true;
}

bool cmdSet(CommandContext& context, const std::vector<std::string>& args)
{
    for (const std::string& pair : args) {
        const size_t equals = pair.find('=');
        int key = 0, value = 0;
        if (equals == std::string::npos || !parseNumber(pair.substr(equals + 1), value)) {
            return refuse(context, "expected KEY=VALUE, got \"" + pair + "\"");
        }
        if (!keyArg(context, pair.substr(0, equals), key) || !valueAllowed(context, key, value)) return false;
        const int result = current(context).setParameter(key, value, true);
        if (result != 0) return fail(context, "setting " + pair + " failed (" + std::to_string(result) + ")");
    }
    return true;
}

bool cmdSetText(CommandContext& context, const std::vector<std::string>& args)
{
    Pairs pairs;
    if (!pairsArg(context, args[0], pairs)) return false;
    u32 capacity = 0;
    current(context).getFactoryKeyVal(capacity);
    if (pairs.size() > capacity) {
        return refuse(context, "the pair text holds " + std::to_string(pairs.size()) + " pairs; a set takes at most " +
                                   std::to_string(capacity));
    }
    const int result = current(context).setParameters(formatPairText(pairs), true);
    return result == 0 || fail(context, "setting the pair text failed (" + std::to_string(result) + ")");
}

bool cmdRange(CommandContext& context, const std::vector<std::string>& args)
{
    int key = 0, defaultValue = 0;
    if (!keyArg(context, args[0], key)) return false;
    std::string items;
    if (!current(context).getSensorParamRange(key, defaultValue, items)) {
        return fail(context, "the ISP publishes no range for key " + args[0]);
    }
    printFields({{"default", std::to_string(defaultValue)}, {"items", items}});
    return true;
}

bool cmdCorrect(CommandContext& context, const std::vector<std::string>& args)
{
    Pairs pairs;
    if (!pairsArg(context, args[0], pairs)) return false;
    std::vector<KeyVal> set;
    for (const auto& pair : pairs) set.push_back({static_cast<u32>(pair.first), static_cast<u32>(pair.second)});
    const u32 count = static_cast<u32>(set.size());
    if (keyval_correct(context.channel - 1, set.data(), count) != SNS_SUCCESS) {
        return fail(context, "correction failed");
    }
    std::string text;
    keyval_st2str(text, set.data(), count);
    printValue(text);
    return true;
}

bool cmdAll(CommandContext& context, const std::vector<std::string>&)
{
    std::string text;
    current(context).getAllParameters(text);
    printValue(text);
    return true;
}

// --- schemes ---

bool cmdScheme(CommandContext& context, const std::vector<std::string>& args)
{
    ISensorController& controller = current(context);
    if (args.empty()) {
        int scheme = -1;
        controller.getParamScheme(scheme);
        printValue(std::to_string(scheme));
        return true;
    }
    int scheme = 0;
    if (!intArg(context, args[0], scheme)) return false;
    return succeeded(context, controller.setParamScheme(scheme), "switching the scheme");
}

bool cmdMode(CommandContext& context, const std::vector<std::string>& args)
{
    ISensorController& controller = current(context);
    if (args.empty()) {
        int mode = 0;
        controller.getParamMode(mode);
        printValue(mode == 0 ? "manual" : "auto");
        return true;
    }
    bool manual = false;
    if (!choice(context, args[0], "manual", "auto", manual)) return false;
    return succeeded(context, controller.setParamMode(manual ? 0 : 1), "setting the mode");
}

// Prints each channel whose scheme differs from the one last seen; under
// --json gathers them for one document at the end.
bool reportSchemeChanges(CommandContext& context, std::vector<int>& schemes, Table& switches)
{
    bool changed = false;
    for (int channel = 1; channel <= context.session.channelCount(); ++channel) {
        if (!context.session.started(channel)) continue;
        int scheme = -1;
        context.session.controller(channel).getParamScheme(scheme);
        if (scheme == schemes[channel]) continue;
        if (jsonOutput()) {
            switches.rows.push_back({context.session.time().now(), std::to_string(channel), std::to_string(scheme)});
        } else {
            std::fprintf(results(), "%s\tchannel %d\tscheme %d\n", context.session.time().now().c_str(), channel, scheme);
        }
        schemes[channel] = scheme;
        changed = true;
    }
    return changed;
}

// Lets the sensor threads run through simulated time, a pass a minute,
// printing each scheme switch with its date and time; `printStart` prints
// every channel's scheme at the start too.
bool runSensorThreads(CommandContext& context, std::int64_t seconds, bool printStart)
{
    Session& session = context.session;
    if (session.startedCount() == 0) return fail(context, "no controller is started");
    std::vector<int> schemes(session.channelCount() + 1, -2);
    if (!printStart) {
        for (int channel = 1; channel <= session.channelCount(); ++channel) {
            if (session.started(channel)) session.controller(channel).getParamScheme(schemes[channel]);
        }
    }
    Table switches{{"time", "channel", "scheme"}, {}, true};
    const std::int64_t days = seconds / 86400;
    const bool showProgress = days >= kProgressFromDays && isatty(STDERR_FILENO);
    const bool ok = session.time().runFor(
        seconds, session.startedCount(), [&] { return reportSchemeChanges(context, schemes, switches); },
        [&](std::int64_t day) {
            if (showProgress) std::fprintf(stderr, "\rday %lld of %lld", static_cast<long long>(day), static_cast<long long>(days));
        });
    if (showProgress) std::fprintf(stderr, "\r\033[K");
    if (jsonOutput()) printTable(switches);
    return ok || fail(context, "the sensor threads stopped answering");
}

bool cmdRun(CommandContext& context, const std::vector<std::string>& args)
{
    std::int64_t seconds = 0;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return refuse(context, "option " + args[i] + " needs a value");
        const std::string& value = args[i + 1];
        std::int64_t part = 0;
        int hour = 0, minute = 0;
        if (args[i] == "--hours" || args[i] == "--days") {
            if (!parseDuration(value + (args[i] == "--hours" ? "h" : "d"), part)) return refuse(context, "bad " + args[i] + " " + value);
            seconds += part;
        } else if (args[i] == "--from") {
            if (!parseTimeOfDay(value, hour, minute)) return refuse(context, "bad --from, expected HH:MM");
            if (!context.session.time().skipTo(hour, minute, context.session.startedCount())) {
                return fail(context, "the sensor threads stopped answering");
            }
        } else {
            return refuse(context, "unknown option " + args[i]);
        }
    }
    return runSensorThreads(context, seconds, true);
}

bool cmdWait(CommandContext& context, const std::vector<std::string>& args)
{
    std::int64_t seconds = 0;
    if (!parseDuration(args[0], seconds)) return refuse(context, "bad duration \"" + args[0] + "\", expected e.g. 90s, 30m, 2h, 3d");
    return runSensorThreads(context, seconds, false);
}

// --- lens, exposure and light ---

// Commands that choose between two operations by one word, e.g. "zoom in".
struct TwoWayCommand {
    const char* name;
    const char* first;
    const char* second;
    const char* what;
    std::function<bool(ISensorController&)> onFirst;
    std::function<bool(ISensorController&)> onSecond;
};

const TwoWayCommand kTwoWayCommands[] = {
    {"zoom", "in", "out", "zoom", [](ISensorController& c) { return c.zoomIn(); },
     [](ISensorController& c) { return c.zoomOut(); }},
    {"focus", "near", "far", "focus", [](ISensorController& c) { return c.focusNear(); },
     [](ISensorController& c) { return c.focusFar(); }},
    {"iris", "up", "down", "iris", [](ISensorController& c) { return c.irisUp(); },
     [](ISensorController& c) { return c.irisDown(); }},
    {"shutter", "up", "down", "shutter step", [](ISensorController& c) { return c.shutterUp(); },
     [](ISensorController& c) { return c.shutterDown(); }},
    {"ir", "on", "off", "infrared switch", [](ISensorController& c) { return c.setIRSwitch(1); },
     [](ISensorController& c) { return c.setIRSwitch(0); }},
    {"white", "on", "off", "white-light switch", [](ISensorController& c) { return c.setWhiteSwitch(1); },
     [](ISensorController& c) { return c.setWhiteSwitch(0); }},
    {"dn", "day", "night", "day/night state", [](ISensorController& c) { return c.setDNState(0); },
     [](ISensorController& c) { return c.setDNState(1); }},
};

bool cmdTwoWay(CommandContext& context, const std::vector<std::string>& args)
{
    for (const TwoWayCommand& command : kTwoWayCommands) {
        if (context.command != command.name) continue;
        bool first = false;
        if (!choice(context, args[0], command.first, command.second, first)) return false;
        ISensorController& controller = current(context);
        return succeeded(context, first ? command.onFirst(controller) : command.onSecond(controller), command.what);
    }
    return fail(context, "no such command");
}

bool cmdSyncFov(CommandContext& context, const std::vector<std::string>&)
{
    return succeeded(context, current(context).sync_fov(), "field-of-view synchronisation");
}

// --- files and styles ---

bool cmdConfig(CommandContext& context, const std::vector<std::string>&)
{
    SysConfig config{};
    initSysConf(context.channel, context.session.moduleConfig(context.channel), &config);
    std::string style, diversity;
    getStyleDocuments(context.channel, config.nDeviceType, style, diversity);
    printFields({{"module_id", std::to_string(config.moduleConfig.nModuleId)},
                 {"schemes", std::to_string(config.nSchemeSum)},
                 {"device_type", std::to_string(config.nDeviceType)},
                 {"detail", config.moduleConfig.szDetail},
                 {"style", style},
                 {"diversity", diversity}});
    uinitSysConf(&config);
    return true;
}

bool cmdMerge(CommandContext& context, const std::vector<std::string>&)
{
    SysConfig config{};
    initSysConf(context.channel, context.session.moduleConfig(context.channel), &config);
    printValue(config.szUIStyle != nullptr ? config.szUIStyle : "");
    uinitSysConf(&config);
    return true;
}

bool cmdStyle(CommandContext& context, const std::vector<std::string>&)
{
    printValue(current(context).getUIStyleFile());
    return true;
}

bool cmdDefaults(CommandContext& context, const std::vector<std::string>&)
{
    u32 count = 0;
    const KeyVal* set = current(context).getFactoryKeyVal(count);
    if (set == nullptr) return fail(context, "the controller has no factory set (not started)");
    printTable(keyValueTable(current(context), set, set + count));
    return true;
}

bool cmdDumpFile(CommandContext& context, const std::vector<std::string>& args)
{
    std::vector<KeyVal> set;
    if (!readKeyValFile(args[0], set)) return fail(context, "cannot read " + args[0]);
    printTable(keyValueTable(current(context), set.data(), set.data() + set.size()));
    return true;
}

bool cmdVersion(CommandContext& context, const std::vector<std::string>& args)
{
    if (args.empty()) {
        u32 version = 0;
        if (getVersion(&version) != SNS_SUCCESS) return fail(context, "no readable version stamp");
        printValue(std::to_string(version));
        return true;
    }
    int version = 0;
    if (!intArg(context, args[0], version)) return false;
    return succeeded(context, setVersion(static_cast<u32>(version)) == SNS_SUCCESS, "writing the version stamp");
}

// --- one view of a channel ---

typedef std::map<u32, int> SchemeValues;

int schemeCount(CommandContext& context)
{
    SysConfig config{};
    initSysConf(context.channel, context.session.moduleConfig(context.channel), &config);
    const int count = static_cast<int>(config.nSchemeSum);
    uinitSysConf(&config);
    return count;
}

// The current scheme as it is now, saved or not; any other as its file holds it.
SchemeValues schemeValues(CommandContext& context, int scheme, int currentScheme)
{
    SchemeValues values;
    ISensorController& controller = current(context);
    if (scheme == currentScheme) {
        std::string text, error;
        Pairs pairs;
        controller.getAllParameters(text);
        parsePairText(text, pairs, error);
        for (const auto& pair : pairs) values[static_cast<u32>(pair.first)] = pair.second;
        return values;
    }
    std::vector<KeyVal> set;
    readKeyValFile(controller.schemeFileName(static_cast<u32>(scheme)), set);
    for (const KeyVal& record : set) values[record.key] = static_cast<int32_t>(record.value);
    return values;
}

std::string valueText(const SchemeValues& values, u32 key)
{
    const auto found = values.find(key);
    return found == values.end() ? "-" : std::to_string(found->second);
}

bool cmdShow(CommandContext& context, const std::vector<std::string>&)
{
    ISensorController& controller = current(context);
    u32 count = 0;
    const KeyVal* factory = controller.getFactoryKeyVal(count);
    if (factory == nullptr) return fail(context, "the controller has no factory set (not started)");
    const StyleLimits& style = context.session.styleLimits(context.channel);
    int currentScheme = -1;
    controller.getParamScheme(currentScheme);
    Table table{{"key", "name", "allowed", "default"}, {}, true};
    std::vector<SchemeValues> schemes;
    for (int scheme = 0; scheme < schemeCount(context); ++scheme) {
        table.columns.push_back("scheme" + std::to_string(scheme) + (scheme == currentScheme ? "*" : ""));
        schemes.push_back(schemeValues(context, scheme, currentScheme));
    }
    for (u32 i = 0; i < count; ++i) {
        const StyleItem* item = style.find(static_cast<int>(factory[i].key));
        std::vector<std::string> row = {std::to_string(factory[i].key), keyName(controller, factory[i].key),
                                        item != nullptr ? item->describe() : "-",
                                        std::to_string(static_cast<int32_t>(factory[i].value))};
        for (const SchemeValues& values : schemes) row.push_back(valueText(values, factory[i].key));
        table.rows.push_back(row);
    }
    printTable(table);
    return true;
}

bool cmdDiff(CommandContext& context, const std::vector<std::string>& args)
{
    int first = 0, second = 0;
    if (!intArg(context, args[0], first) || !intArg(context, args[1], second)) return false;
    const int count = schemeCount(context);
    if (first < 0 || second < 0 || first >= count || second >= count) {
        return refuse(context, "the channel has schemes 0 to " + std::to_string(count - 1));
    }
    int currentScheme = -1;
    current(context).getParamScheme(currentScheme);
    const SchemeValues a = schemeValues(context, first, currentScheme);
    const SchemeValues b = schemeValues(context, second, currentScheme);
    Table table{{"key", "name", "scheme" + args[0], "scheme" + args[1]}, {}, true};
    SchemeValues keys = a;
    keys.insert(b.begin(), b.end());
    for (const auto& entry : keys) {
        const std::string left = valueText(a, entry.first), right = valueText(b, entry.first);
        if (left != right) table.rows.push_back({std::to_string(entry.first), keyName(current(context), entry.first), left, right});
    }
    printTable(table);
    return true;
}

// --- saving, restoring and resetting ---

// A command that saves fails unless the file read back holds the scheme.
bool readsBack(CommandContext& context)
{
    std::string problem;
    return savedSchemeReadsBack(current(context), problem) || fail(context, problem);
}

// Words for the window check's refusals.
std::string windowProblem(int code)
{
    switch (code) {
    case 505: return ": the scheme's time window starts after 24:00 (keys 8001/8002)";
    case 506: return ": the scheme's time window ends after 24:00 (keys 8003/8004)";
    case 507: return ": the scheme's time window is empty: its end is not after its start (keys 8001-8004)";
    default: return "";
    }
}

bool cmdFlush(CommandContext& context, const std::vector<std::string>&)
{
    const int result = current(context).flush();
    return (result == 0 || fail(context, "flush refused (" + std::to_string(result) + ")" + windowProblem(result))) &&
           readsBack(context);
}

bool cmdRevert(CommandContext& context, const std::vector<std::string>&)
{
    return succeeded(context, current(context).resetToLastParameters(), "reverting to the saved scheme");
}

bool cmdRestore(CommandContext& context, const std::vector<std::string>& args)
{
    int key = 0;
    if (!keyArg(context, args[0], key)) return false;
    const int result = current(context).restore(key);
    return result == 0 || fail(context, "restoring key " + args[0] + " failed (" + std::to_string(result) + ")");
}

bool cmdRestoreAe(CommandContext& context, const std::vector<std::string>&)
{
    return succeeded(context, current(context).restoreAeMode(), "restoring the exposure and focus modes");
}

bool cmdFactoryReset(CommandContext& context, const std::vector<std::string>&)
{
    return succeeded(context, current(context).resetParameters(), "factory reset") && readsBack(context);
}

bool cmdMirror(CommandContext& context, const std::vector<std::string>& args)
{
    int mirror = 0;
    if (!intArg(context, args[0], mirror) || !valueAllowed(context, KEY_MIRROR, mirror)) return false;
    return succeeded(context, current(context).setMirrorMode(mirror), "setting the mirror") && readsBack(context);
}

// "label<TAB>value" lines as an object; a label seen again gathers its values in an array.
Json labelledJson(const std::vector<std::string>& lines, bool ok)
{
    Json object = Json::object();
    for (const std::string& line : lines) {
        const size_t tab = line.find('\t');
        const std::string label = tab == std::string::npos ? "value" : line.substr(0, tab);
        const Json value = jsonCell(tab == std::string::npos ? line : line.substr(tab + 1));
        if (!object.contains(label)) {
            object[label] = value;
        } else {
            if (!object[label].is_array()) object[label] = Json::array({object[label]});
            object[label].push_back(value);
        }
    }
    object["ok"] = ok;
    return object;
}

bool cmdOp(CommandContext& context, const std::vector<std::string>& args)
{
    if (args[0] == "list") {
        Table table{{"operation", "arguments"}, {}, false};
        for (const Operation& operation : operationTable()) table.rows.push_back({operation.name, std::to_string(operation.argCount)});
        printTable(table);
        return true;
    }
    const Operation* operation = findOperation(args[0], static_cast<int>(args.size()) - 1);
    if (operation == nullptr) return refuse(context, "no operation \"" + args[0] + "\" (see \"op list\")");
    if (static_cast<int>(args.size()) - 1 != operation->argCount) {
        return refuse(context, args[0] + " takes " + std::to_string(operation->argCount) + " argument(s)");
    }
    const size_t firstNumber = operation->textCall ? 2 : 1;
    std::vector<int> values(args.size() - firstNumber);
    for (size_t i = firstNumber; i < args.size(); ++i) {
        if (!intArg(context, args[i], values[i - firstNumber])) return false;
    }
    std::vector<std::string> out;
    const bool ok = operation->textCall ? operation->textCall(current(context), args[1], values, out)
                                        : operation->call(current(context), values, out);
    if (jsonOutput()) {
        printJson(labelledJson(out, ok));
    } else {
        for (const std::string& line : out) std::fprintf(results(), "%s\n", line.c_str());
        std::fprintf(results(), "ok\t%d\n", ok ? 1 : 0);
    }
    return ok || fail(context, args[0] + " failed");
}

bool cmdHelp(CommandContext& context, const std::vector<std::string>& args);

const std::vector<Command> kCommands = {
    {"info", "info", "controllers: channel, camera id, thermal, sensor type, started", 0, 0, false, cmdInfo},
    {"notify", "notify KEY VALUE", "send a notification through the video module", 2, 2, false, cmdNotify},
    {"keys", "keys", "the key-command table: key, ISP command, name, handler", 0, 0, false, cmdKeys},
    {"apply", "apply KEY VALUE", "send one value through its row's handler", 2, 2, true, cmdApply},
    {"get", "get KEY...", "read parameters, one value a line", 1, -1, false, cmdGet},
    {"set", "set KEY=VALUE...", "set parameters through the set path", 1, -1, true, cmdSet},
    {"set-text", "set-text \"(k,v)(k,v)\"", "set parameters from pair text", 1, 1, true, cmdSetText},
    {"range", "range KEY", "the published range of a key: default and items", 1, 1, false, cmdRange},
    {"correct", "correct \"(k,v)...\"", "the pair text corrected by the ISP", 1, 1, false, cmdCorrect},
    {"all", "all", "the whole current scheme as pair text", 0, 0, false, cmdAll},
    {"scheme", "scheme [N]", "show the current scheme, or switch to N", 0, 1, true, cmdScheme},
    {"mode", "mode [manual|auto]", "show or set the scheme selection mode", 0, 1, false, cmdMode},
    {"run", "run [--days D] [--hours H] [--from HH:MM]", "run the sensor threads on the simulated clock, print each switch", 0, 6, false,
     cmdRun},
    {"wait", "wait DURATION", "let the sensor threads run for 90s, 30m, 2h, 3d of simulated time", 1, 1, false, cmdWait},
    {"zoom", "zoom in|out", "one zoom step", 1, 1, true, cmdTwoWay},
    {"focus", "focus near|far", "one focus step", 1, 1, true, cmdTwoWay},
    {"iris", "iris up|down", "one iris step", 1, 1, true, cmdTwoWay},
    {"shutter", "shutter up|down", "one step along the published shutter list", 1, 1, true, cmdTwoWay},
    {"ir", "ir on|off", "infrared illuminator (switches white light off)", 1, 1, true, cmdTwoWay},
    {"white", "white on|off", "white-light illuminator (switches infrared off)", 1, 1, true, cmdTwoWay},
    {"dn", "dn day|night", "set the day/night state", 1, 1, true, cmdTwoWay},
    {"sync-fov", "sync-fov", "align the zoom with the field-of-view calibration file", 0, 0, true, cmdSyncFov},
    {"config", "config", "module id, scheme count, device type, detail text, style pair", 0, 0, false, cmdConfig},
    {"merge", "merge", "write the merged style of the channel and print it", 0, 0, false, cmdMerge},
    {"style", "style", "the dynamic style the web page draws", 0, 0, false, cmdStyle},
    {"defaults", "defaults", "the factory set: key, name, value", 0, 0, false, cmdDefaults},
    {"dump-file", "dump-file PATH", "a parameter file as key, name, value", 1, 1, false, cmdDumpFile},
    {"version", "version [N]", "show or write the version stamp", 0, 1, false, cmdVersion},
    {"flush", "flush", "save the current scheme to its file", 0, 0, false, cmdFlush},
    {"revert", "revert", "throw away unsaved changes of the current scheme", 0, 0, true, cmdRevert},
    {"restore", "restore KEY", "send the stored value of a key again", 1, 1, true, cmdRestore},
    {"restore-ae", "restore-ae", "put the stored exposure and focus modes back", 0, 0, true, cmdRestoreAe},
    {"factory-reset", "factory-reset", "return the channel to factory settings", 0, 0, true, cmdFactoryReset},
    {"mirror", "mirror N", "set the mirror and save the scheme", 1, 1, true, cmdMirror},
    {"op", "op NAME [ARGS] | op list", "call any other host operation by name; values one a line", 1, -1, true,
     cmdOp},
    {"help", "help [COMMAND]", "every command, or one command's usage and purpose", 0, 1, false, cmdHelp},
    {"shell", "shell", "an interactive session; Tab completes, \"exit\" or Ctrl-D ends it", 0, 0, false, cmdShell},
    {"show", "show", "per key: number, name, allowed values, factory default, value in each scheme (* current)", 0, 0,
     false, cmdShow},
    {"diff", "diff SCHEME SCHEME", "the keys whose values differ between two schemes", 2, 2, false, cmdDiff},
};

bool cmdHelp(CommandContext& context, const std::vector<std::string>& args)
{
    Table table{{"command", "usage", "help"}, {}, false};
    for (const Command& command : kCommands) {
        if (args.empty() || args[0] == command.name) table.rows.push_back({command.name, command.usage, command.help});
    }
    if (table.rows.empty()) return refuse(context, "unknown command \"" + args[0] + "\"");
    if (jsonOutput()) {
        printTable(table);
    } else {
        for (const std::vector<std::string>& row : table.rows) std::fprintf(results(), "%s\n", describeCommand(*findCommand(row[0])).c_str());
    }
    return true;
}

} // namespace

std::FILE* results()
{
    return g_pResults;
}

void setResults(std::FILE* stream)
{
    g_pResults = stream;
}

const std::vector<Command>& commandTable()
{
    return kCommands;
}

std::string describeCommand(const Command& command)
{
    char line[256];
    std::snprintf(line, sizeof line, "  %-30s %s%s", command.usage, command.printsTraffic ? "* " : "  ", command.help);
    return line;
}

const Command* findCommand(const std::string& name)
{
    for (const Command& command : kCommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

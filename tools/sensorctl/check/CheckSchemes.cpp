// Schemes and saves: every scheme is switched to and back, its values reach
// the ISP and read back as its set holds them; with --save a flush is read
// back from the file.
#include <map>

#include "CheckTests.h"
#include "PairText.h"
#include "SaveCheck.h"

namespace {

typedef std::map<u32, int> Values;

Values valuesOf(const std::vector<KeyVal>& set)
{
    Values values;
    for (const KeyVal& record : set) values[record.key] = static_cast<int32_t>(record.value);
    return values;
}

// A key sent straight through its own row, whose switch must show as a SET.
bool sentOnSwitch(CheckChannel& channel, u32 key)
{
    const CheckKey* row = findCheckKey(key);
    return row != nullptr && row->twinOf == 0 && twinWithBase(key) == nullptr && channel.reachesIsp(*row);
}

// The first ranged item sent straight to the ISP with room for a value a
// scheme: it tells the schemes apart.
const CheckKey* markerKey(CheckChannel& channel, int schemes)
{
    for (int id : channel.style.keys()) {
        const StyleItem& item = *channel.style.find(id);
        const CheckKey* key = findCheckKey(static_cast<u32>(id));
        if (key != nullptr && item.ranged && item.max - item.min >= schemes && sentOnSwitch(channel, key->key) &&
            (key->facts & sensor::fact::DAY_NIGHT) == 0) {
            return key;
        }
    }
    return nullptr;
}

bool switchTo(CheckRun& run, int scheme)
{
    if (run.channel.controller.setParamScheme(scheme) && run.channel.currentScheme() == scheme) return true;
    run.report.fail("switching to scheme " + std::to_string(scheme) + " failed");
    return false;
}

// Every key whose value differs from the scheme left reaches the ISP.
void checkSwitch(CheckRun& run, int from, int to)
{
    CheckChannel& channel = run.channel;
    const std::vector<std::vector<KeyVal>> before = schemeSets(channel.controller);
    channel.session.takeCalls();
    if (!switchTo(run, to)) return;
    const std::vector<isp_sim::IspCall> calls = channel.session.takeCalls();
    const Values left = valuesOf(before[static_cast<size_t>(from)]);
    for (const auto& entry : valuesOf(before[static_cast<size_t>(to)])) {
        const auto old = left.find(entry.first);
        if ((old != left.end() && old->second == entry.second) || !sentOnSwitch(channel, entry.first)) continue;
        const u32 command = findCheckKey(entry.first)->command;
        if (!hasSet(calls, command, entry.second)) {
            run.report.fail("scheme " + std::to_string(from) + " to " + std::to_string(to) + ": " + channel.describe(entry.first) +
                            " = " + std::to_string(entry.second) + " did not reach the ISP as command " + std::to_string(command));
        }
    }
    const std::vector<std::vector<KeyVal>> after = schemeSets(channel.controller);
    if (valuesOf(after[static_cast<size_t>(to)]) != valuesOf(before[static_cast<size_t>(to)])) {
        run.report.fail("switching to scheme " + std::to_string(to) + " changed its values");
    }
}

// getAllParameters of the current scheme against its set and key by key reads.
void checkAllOfScheme(CheckRun& run, int scheme)
{
    CheckChannel& channel = run.channel;
    std::string text, error;
    Pairs pairs;
    channel.controller.getAllParameters(text);
    if (!parsePairText(text, pairs, error)) return run.report.fail("scheme " + std::to_string(scheme) + ": getAllParameters: " + error);
    const Values held = valuesOf(schemeSets(channel.controller)[static_cast<size_t>(scheme)]);
    Values listed;
    for (const auto& pair : pairs) {
        listed[static_cast<u32>(pair.first)] = pair.second;
        int value = 0;
        const std::string name = "scheme " + std::to_string(scheme) + ": " + channel.describe(static_cast<u32>(pair.first));
        if (!channel.controller.getParameter(pair.first, value)) {
            run.report.fail(name + ": getParameter fails");
        } else if (value != pair.second) {
            run.report.fail(name + ": getAllParameters says " + std::to_string(pair.second) + ", getParameter " + std::to_string(value));
        }
    }
    channel.session.takeCalls();
    for (const auto& entry : held) {
        const auto found = listed.find(entry.first);
        if (found == listed.end()) {
            run.report.fail("scheme " + std::to_string(scheme) + ": getAllParameters lacks " + channel.describe(entry.first));
        } else if (found->second != entry.second) {
            run.report.fail("scheme " + std::to_string(scheme) + ": getAllParameters says " + channel.describe(entry.first) + " = " +
                            std::to_string(found->second) + ", the set holds " + std::to_string(entry.second));
        }
    }
}

} // namespace

void checkSchemeSwitches(CheckRun& run)
{
    const int schemes = run.snapshot.schemeCount();
    const int start = run.snapshot.scheme();
    const CheckKey* marker = markerKey(run.channel, schemes);
    if (schemes < 2 || start < 0 || start >= schemes) return run.report.notSupported();
    // Each scheme gets a value of its own, so that every switch has one to send.
    if (marker != nullptr) {
        const StyleItem& item = *run.channel.style.find(static_cast<int>(marker->key));
        for (int scheme = 0; scheme < schemes && switchTo(run, scheme); ++scheme) {
            run.channel.controller.setParameter(static_cast<int>(marker->key), item.min + scheme, true);
        }
        if (!switchTo(run, start)) return;
    }
    for (int step = 1; step <= schemes && !run.stopping(); ++step) {
        checkSwitch(run, (start + step - 1) % schemes, (start + step) % schemes);
    }
}

void checkAllParameters(CheckRun& run)
{
    const int schemes = run.snapshot.schemeCount();
    const int start = run.snapshot.scheme();
    if (start < 0 || start >= schemes) return run.report.notSupported();
    for (int step = 1; step <= schemes && !run.stopping(); ++step) {
        const int scheme = (start + step) % schemes;
        if (run.channel.currentScheme() != scheme && !switchTo(run, scheme)) return;
        checkAllOfScheme(run, scheme);
    }
}

void checkSave(CheckRun& run)
{
    if (!run.scope.save) return run.report.notSupported();
    CheckChannel& channel = run.channel;
    const CheckKey* marker = markerKey(channel, 1);
    if (marker == nullptr) return run.report.notSupported();
    const StyleItem& item = *channel.style.find(static_cast<int>(marker->key));
    int original = 0;
    channel.controller.getParameter(static_cast<int>(marker->key), original);
    const int changed = original != item.min ? item.min : item.max;
    std::string problem;
    // The changed value is saved and read back, then the value as found.
    for (int value : {changed, original}) {
        channel.controller.setParameter(static_cast<int>(marker->key), value, true);
        const int result = channel.controller.flush();
        if (result != 0) {
            run.report.fail("flush with " + channel.describe(marker->key) + " = " + std::to_string(value) + " refused (" + std::to_string(result) + ")");
        } else if (!savedSchemeReadsBack(channel.controller, problem)) {
            run.report.fail(problem);
        }
    }
    channel.session.takeCalls();
}

// Per-key behaviour: each value the style offers is set as the host sets it,
// read back, and seen reaching the ISP as the row's command.
#include <algorithm>
#include <climits>
#include <fstream>

#include "CheckTests.h"
#include "DevicePath.h"
#include "SensorKeys.h"

namespace {

// The light type under which the intelligent-mode twins are the keys set.
const int kIntelligentLightType = 2;

enum class KeyKind { Sent, Stored, Twinned };

KeyKind kindOf(const CheckKey& key)
{
    if (key.twinOf != 0 || twinWithBase(key.key) != nullptr) return KeyKind::Twinned;
    return key.command == 0 ? KeyKind::Stored : KeyKind::Sent;
}

// The style's keys of a kind that the run takes, in the style's order.
std::vector<const CheckKey*> keysOfKind(CheckRun& run, KeyKind kind)
{
    std::vector<const CheckKey*> keys;
    for (int id : run.channel.style.keys()) {
        const CheckKey* key = findCheckKey(static_cast<u32>(id));
        if (key != nullptr && kindOf(*key) == kind && run.scope.takes(key->key)) keys.push_back(key);
    }
    return keys;
}

// Limits, default and options, each once.
std::vector<int> valuesOf(const StyleItem& item)
{
    std::vector<int> values;
    const auto add = [&values](int value) {
        if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
    };
    if (item.ranged) {
        add(item.min);
        add(item.max);
    }
    add(item.defaultValue);
    for (const auto& option : item.options) add(option.first);
    return values;
}

int readValue(CheckChannel& channel, u32 key)
{
    int value = 0;
    channel.controller.getParameter(static_cast<int>(key), value);
    return value;
}

void putBack(CheckChannel& channel, u32 key, int value)
{
    if (readValue(channel, key) != value) channel.controller.setParameter(static_cast<int>(key), value, true);
    channel.session.takeCalls();
}

// A set of a value the key already holds is skipped by the library: another
// of its values goes first. False when it has no other.
bool makeDiffer(CheckChannel& channel, u32 key, int value, const std::vector<int>& values)
{
    if (readValue(channel, key) != value) return true;
    for (int other : values) {
        if (other == value) continue;
        channel.controller.setParameter(static_cast<int>(key), other, true);
        channel.session.takeCalls();
        return readValue(channel, key) != value;
    }
    return false;
}

// Sets the value and checks it reads back and reaches the ISP as the
// command (0: no ISP call at all).
void checkSet(CheckRun& run, u32 key, int value, u32 command, const std::vector<int>& values)
{
    CheckChannel& channel = run.channel;
    const bool differs = makeDiffer(channel, key, value, values);
    const SetOutcome set = setAndRead(channel, key, value);
    const std::string name = channel.describe(key) + ": set " + std::to_string(value);
    if (set.result != 0) return run.report.fail(name + " refused (" + std::to_string(set.result) + ")");
    if (!set.read) return run.report.fail(name + ", reading it back failed");
    if (set.readBack != value) return run.report.fail(name + ", read back " + std::to_string(set.readBack));
    if (command == 0) {
        if (!set.calls.empty()) run.report.fail(name + ": not for the ISP here, yet it got " + describeCalls(set.calls));
        return;
    }
    if (!differs) return;
    if (!hasSet(set.calls, command, value)) {
        return run.report.fail(name + ": the ISP got " + describeCalls(set.calls) + ", not command " + std::to_string(command) + " SET " +
                               std::to_string(value));
    }
    int held = 0;
    if (!ispGet(channel, command, held)) return run.report.fail(name + ": a get of command " + std::to_string(command) + " fails");
    if (held != value) run.report.fail(name + ", the ISP holds " + std::to_string(held));
}

void checkEveryValue(CheckRun& run, u32 key, u32 command, const StyleItem& item)
{
    const std::vector<int> values = valuesOf(item);
    const int original = readValue(run.channel, key);
    for (int value : values) checkSet(run, key, value, command, values);
    putBack(run.channel, key, original);
}

// What the library does with a value outside the style's range.
std::string outsideOutcome(CheckChannel& channel, u32 key, int value, const StyleItem& item)
{
    const SetOutcome set = setAndRead(channel, key, value);
    if (set.result != 0) return "refused";
    if (set.read && set.readBack == value) return "passed through";
    if (set.read && (set.readBack == item.min || set.readBack == item.max)) return "clamped";
    return "read back as " + std::to_string(set.readBack);
}

// True on a tree whose failed assertions abort (line 2 of /tmp/Debug.sign).
bool assertionsAbort()
{
    std::ifstream in(technic::devicePath("/tmp/Debug.sign"));
    int level = 0, abort = 0;
    return (in >> level >> abort) && abort != 0;
}


// A set the library does not take: accepted, but nothing is sent or stored.
void checkNotTaken(CheckRun& run, u32 key, const StyleItem& item)
{
    const int original = readValue(run.channel, key);
    for (int value : valuesOf(item)) {
        if (value == original) continue;
        const SetOutcome set = setAndRead(run.channel, key, value);
        const std::string name = run.channel.describe(key) + ": set " + std::to_string(value) + " under a light type other than its own";
        if (set.result != 0) run.report.fail(name + " refused (" + std::to_string(set.result) + ")");
        if (set.readBack != original) run.report.fail(name + ", read back " + std::to_string(set.readBack) + " (taken)");
        if (!set.calls.empty()) run.report.fail(name + ": the ISP got " + describeCalls(set.calls));
        return;
    }
}

bool setLightType(CheckRun& run, u32 key, int lightType)
{
    const SetOutcome set = setAndRead(run.channel, KEY_LIGHT_TYPE, lightType);
    if (set.result == 0 && set.readBack == lightType) return true;
    run.report.fail(run.channel.describe(key) + ": setting its light type " + std::to_string(lightType) + " failed");
    return false;
}

// The twin of a key set keeps the same value.
void checkPartnerFollows(CheckRun& run, u32 key, u32 partner, const StyleItem& item)
{
    const int original = readValue(run.channel, key);
    const std::vector<int> values = valuesOf(item);
    const auto other = std::find_if(values.begin(), values.end(), [original](int value) { return value != original; });
    if (other == values.end()) return;
    setAndRead(run.channel, key, *other);
    const int followed = readValue(run.channel, partner);
    if (followed != *other) {
        run.report.fail(run.channel.describe(key) + ": set " + std::to_string(*other) + ", its twin " + run.channel.describe(partner) +
                        " reads " + std::to_string(followed));
    }
    putBack(run.channel, key, original);
}

} // namespace

void checkLimitsAndOptions(CheckRun& run)
{
    const std::vector<const CheckKey*> keys = keysOfKind(run, KeyKind::Sent);
    if (keys.empty()) run.report.notSupported();
    for (const CheckKey* key : keys) {
        if (run.stopping()) return;
        checkEveryValue(run, key->key, run.channel.reachesIsp(*key) ? key->command : 0,
                        *run.channel.style.find(static_cast<int>(key->key)));
    }
}

void checkOutsideTheRange(CheckRun& run)
{
    bool any = false;
    for (const CheckKey* key : keysOfKind(run, KeyKind::Sent)) {
        const StyleItem& item = *run.channel.style.find(static_cast<int>(key->key));
        if (!item.ranged || item.min == INT_MIN || item.max == INT_MAX) continue;
        if (run.stopping()) return;
        any = true;
        const int original = readValue(run.channel, key->key);
        const std::string below = outsideOutcome(run.channel, key->key, item.min - 1, item);
        const std::string above = outsideOutcome(run.channel, key->key, item.max + 1, item);
        putBack(run.channel, key->key, original);
        const std::string name = run.channel.describe(key->key) + ": outside the style's " + item.describe() + ", ";
        if (below == "refused" && above == "refused") continue;
        if (below == above) {
            run.report.warn(name + std::to_string(item.min - 1) + " and " + std::to_string(item.max + 1) + " are " + below);
        } else {
            run.report.warn(name + std::to_string(item.min - 1) + " is " + below + ", " + std::to_string(item.max + 1) + " is " + above);
        }
    }
    if (!any) run.report.notSupported();
}

void checkKeyOutsideTable(CheckRun& run)
{
    CheckChannel& channel = run.channel;
    if (assertionsAbort()) {
        run.report.notSupported();
        run.report.warn("the tree aborts on a failed assertion (/tmp/Debug.sign), which a key outside the table reports");
        return;
    }
    const u32 key = keyOutsideTable();
    int before = 0;
    const bool answered = ispGet(channel, key, before);
    const int value = before + 1;
    const SetOutcome set = setAndRead(channel, key, value);
    const std::string name = "key " + std::to_string(key) + " (not in the table): set " + std::to_string(value);
    // Described: sent as its own command, the ISP's answer returned (minus
    // the key when it fails), stored nowhere, read back from the ISP.
    const auto sent = std::find_if(set.calls.begin(), set.calls.end(), [key, value](const isp_sim::IspCall& call) {
        return call.command == key && call.option == IA_CMD_OPT_SET && call.value == value;
    });
    if (sent == set.calls.end()) {
        run.report.fail(name + ": the ISP got " + describeCalls(set.calls) + ", not command " + std::to_string(key) + " SET " + std::to_string(value));
    } else if (set.result != (sent->result == 0 ? 0 : -static_cast<int>(key))) {
        run.report.fail(name + ": the ISP answered " + std::to_string(sent->result) + ", the set returned " + std::to_string(set.result));
    } else if (sent->result == 0 && (!set.read || set.readBack != value)) {
        run.report.fail(name + ", read back " + std::to_string(set.readBack) + " from the ISP");
    }
    std::string all;
    channel.controller.getAllParameters(all);
    if (all.find("(" + std::to_string(key) + ",") != std::string::npos) run.report.fail(name + ": the scheme's set took it");
    if (answered) {
        int old = before;
        ia_ioctrl_v2(channel.ispChannel(), static_cast<ia_cmd_e>(key), IA_CMD_OPT_SET, &old);
    }
    channel.session.takeCalls();
}

void checkStoredOnlyKeys(CheckRun& run)
{
    const std::vector<const CheckKey*> keys = keysOfKind(run, KeyKind::Stored);
    if (keys.empty()) run.report.notSupported();
    for (const CheckKey* key : keys) {
        if (run.stopping()) return;
        checkEveryValue(run, key->key, 0, *run.channel.style.find(static_cast<int>(key->key)));
    }
}

// A twin is the key set under the intelligent light type, its base under
// any other; a set of either keeps the other equal. Each is set after its
// light type, which is put back after. Without a light type in the set the
// base is always the one set, and a set of the twin is not taken.
void checkModeDependentKeys(CheckRun& run)
{
    CheckChannel& channel = run.channel;
    const std::vector<const CheckKey*> keys = keysOfKind(run, KeyKind::Twinned);
    if (keys.empty()) return run.report.notSupported();
    u32 held = 0;
    const bool lightTypeHeld = channel.controller.getKeyValFromCache(static_cast<u32>(channel.currentScheme()), KEY_LIGHT_TYPE, held) >= 0;
    const int lightType = static_cast<int>(held);
    for (const CheckKey* key : keys) {
        if (run.stopping()) break;
        const StyleItem& item = *channel.style.find(static_cast<int>(key->key));
        const bool twin = key->twinOf != 0;
        if (twin && !lightTypeHeld) {
            checkNotTaken(run, key->key, item);
            continue;
        }
        const int needed = twin ? kIntelligentLightType : (lightType != kIntelligentLightType ? lightType : 0);
        if (lightTypeHeld && !setLightType(run, key->key, needed)) continue;
        const CheckKey* sent = twin ? findCheckKey(key->twinOf) : key;
        checkEveryValue(run, key->key, sent != nullptr && channel.reachesIsp(*sent) ? sent->command : 0, item);
        const CheckKey* partner = twin ? findCheckKey(key->twinOf) : twinWithBase(key->key);
        if (partner != nullptr) checkPartnerFollows(run, key->key, partner->key, item);
    }
    if (lightTypeHeld) putBack(channel, KEY_LIGHT_TYPE, lightType);
}

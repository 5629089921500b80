// Profile files: one setting per line, applied through the control
// functions. The format is described in docs/isp-profile.md.
#include "isp_sim.h"

#include "ProfileNumbers.h"

#include "DevicePath.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

namespace isp_sim {

namespace {

// A handler checks the whole line first and applies it only when it is good;
// it returns what was wrong, or "" for a good line.
using LineHandler = std::string (*)(const std::vector<std::string>& words, const std::string& rest);

std::string quoted(const std::string& word) { return "'" + word + "'"; }

// Splits "name=value"; false when there is no '=' or either side is empty.
bool splitOption(const std::string& word, std::string& name, std::string& val)
{
    const size_t eq = word.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == word.size()) return false;
    name = word.substr(0, eq);
    val = word.substr(eq + 1);
    return true;
}

std::string applyDynamic(const std::vector<std::string>& words, const std::string&)
{
    std::vector<int32_t> commands;
    int32_t count = -1;
    for (size_t i = 1; i < words.size(); ++i) {
        std::string name, val;
        if (splitOption(words[i], name, val)) {
            if (name != "count" || !parseInt32(val, count) || count < 0) return "bad option " + quoted(words[i]);
            continue;
        }
        uint32_t command = 0;
        if (!parseCommand(words[i], command)) return "bad command " + quoted(words[i]);
        commands.push_back(static_cast<int32_t>(command));
    }
    setDynamicCommands(commands, count);
    return "";
}

std::string applyRange(const std::vector<std::string>& words, const std::string&)
{
    uint32_t command = 0;
    if (words.size() < 2 || !parseCommand(words[1], command)) return "range needs a command number";
    DynamicRange range;
    bool hasDefault = false, hasMin = false, hasMax = false;
    for (size_t i = 2; i < words.size(); ++i) {
        std::string name, val;
        if (!splitOption(words[i], name, val)) return "expected name=value, got " + quoted(words[i]);
        bool ok = false;
        if (name == "kind") ok = parseInt32(val, range.kind);
        else if (name == "default") ok = hasDefault = parseInt32(val, range.defaultValue);
        else if (name == "min") ok = hasMin = parseInt32(val, range.min);
        else if (name == "max") ok = hasMax = parseInt32(val, range.max);
        else if (name == "items") ok = parseInt32List(val, range.items);
        else if (name == "count") ok = parseInt32(val, range.reportedItems) && range.reportedItems >= 0;
        else return "unknown range option " + quoted(name);
        if (!ok) return "bad value in " + quoted(words[i]);
    }
    if (range.items.empty() && !(hasMin && hasMax)) return "range needs items= or both min= and max=";
    if (!range.items.empty()) {
        const auto bounds = std::minmax_element(range.items.begin(), range.items.end());
        if (!hasMin) range.min = *bounds.first;
        if (!hasMax) range.max = *bounds.second;
    }
    if (range.min > range.max) return "min is above max";
    if (!hasDefault) range.defaultValue = range.items.empty() ? range.min : range.items.front();
    setRange(command, range);
    return "";
}

std::string applyValue(const std::vector<std::string>& words, const std::string&)
{
    int32_t channel = 0, v = 0;
    uint32_t command = 0;
    if (words.size() != 4 || !parseInt32(words[1], channel) || channel < 0 || !parseCommand(words[2], command) ||
        !parseInt32(words[3], v)) {
        return "expected: value <channel> <command> <value>";
    }
    setValue(channel, command, v);
    return "";
}

std::string applyStatus(const std::vector<std::string>& words, const std::string&)
{
    uint32_t command = 0;
    int32_t status = 0;
    if (words.size() != 3 || !parseCommand(words[1], command) || !parseInt32(words[2], status)) {
        return "expected: status <command> <status>";
    }
    setExecStatus(command, status);
    return "";
}

std::string applyVersion(const std::vector<std::string>&, const std::string& rest)
{
    if (rest.empty()) return "version needs a text";
    setVersionText(rest);
    return "";
}

std::string applySensorCheck(const std::vector<std::string>& words, const std::string&)
{
    int32_t result = 0;
    if (words.size() != 2 || !parseInt32(words[1], result)) return "expected: sensorcheck <result>";
    setSensorCheckResult(result);
    return "";
}

std::string applyFail(const std::vector<std::string>& words, const std::string&)
{
    uint32_t command = 0;
    int32_t option = -1;
    if (words.size() < 2 || words.size() > 3 || !parseCommand(words[1], command) ||
        (words.size() == 3 && (!parseInt32(words[2], option) || option < 0))) {
        return "expected: fail <command> [<option>]";
    }
    failCommand(command, option);
    return "";
}


// Several fault lines of a command add up.
std::string plantFault(uint32_t command, const std::function<void(CommandFault&)>& change)
{
    CommandFault fault = plantedFault(command);
    change(fault);
    setFault(command, fault);
    return "";
}

std::string applyIgnore(const std::vector<std::string>& words, const std::string&)
{
    uint32_t command = 0;
    if (words.size() != 2 || !parseCommand(words[1], command)) return "expected: ignore <command>";
    return plantFault(command, [](CommandFault& fault) { fault.ignoreSets = true; });
}

std::string applySkew(const std::vector<std::string>& words, const std::string&)
{
    uint32_t command = 0;
    int32_t delta = 0;
    if (words.size() != 3 || !parseCommand(words[1], command) || !parseInt32(words[2], delta)) {
        return "expected: skew <command> <delta>";
    }
    return plantFault(command, [delta](CommandFault& fault) { fault.skew = delta; });
}

std::string applyHold(const std::vector<std::string>& words, const std::string&)
{
    uint32_t command = 0;
    int32_t min = 0, max = 0;
    std::string minName, minText, maxName, maxText;
    if (words.size() != 4 || !parseCommand(words[1], command) || !splitOption(words[2], minName, minText) ||
        !splitOption(words[3], maxName, maxText) || minName != "min" || maxName != "max" || !parseInt32(minText, min) ||
        !parseInt32(maxText, max) || min > max) {
        return "expected: hold <command> min=<v> max=<v>, min not above max";
    }
    return plantFault(command, [min, max](CommandFault& fault) {
        fault.holds = true;
        fault.holdMin = min;
        fault.holdMax = max;
    });
}

struct Keyword {
    const char* name;
    LineHandler apply;
};

const Keyword kKeywords[] = {
    {"dynamic", applyDynamic},
    {"range", applyRange},
    {"value", applyValue},
    {"status", applyStatus},
    {"version", applyVersion},
    {"sensorcheck", applySensorCheck},
    {"fail", applyFail},
    {"ignore", applyIgnore},
    {"skew", applySkew},
    {"hold", applyHold},
};

std::string trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "" for a good, blank or comment line.
std::string applyLine(const std::string& raw)
{
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') return "";
    std::istringstream split(line);
    std::vector<std::string> words;
    for (std::string word; split >> word;) words.push_back(word);
    const std::string rest = trim(line.substr(words[0].size()));
    for (const Keyword& keyword : kKeywords) {
        if (words[0] == keyword.name) return keyword.apply(words, rest);
    }
    return "unknown keyword " + quoted(words[0]);
}

} // namespace

bool loadProfile(const std::string& devicePath)
{
    const std::string hostPath = technic::devicePath(devicePath);
    std::ifstream in(hostPath);
    if (!in) {
        std::cerr << "isp_sim: cannot read profile " << devicePath << " (" << hostPath << ")\n";
        return false;
    }
    bool good = true;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string problem = applyLine(line);
        if (problem.empty()) continue;
        std::cerr << "isp_sim: " << devicePath << ":" << number << ": " << problem << " (line skipped)\n";
        good = false;
    }
    return good;
}

} // namespace isp_sim

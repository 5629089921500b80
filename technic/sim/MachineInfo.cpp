// Reader of the factory machine-information file: "name=value" lines.
#include "MachineInfo.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "DevicePath.h"

namespace {

struct MachineInfoField {
    const char* name;
    bool numeric;
    long minimum; // smallest accepted number
    void (*apply)(MachineInfo& info, const std::string& text, int number);
};

const MachineInfoField kMachineInfoFields[] = {
    {"deviceType", true, 0, [](MachineInfo& info, const std::string&, int number) { info.setDeviceType(number); }},
    {"hardwareModel", false, 0,
     [](MachineInfo& info, const std::string& text, int) { info.setHardwareModel(text); }},
    {"hardwareCode", false, 0, [](MachineInfo& info, const std::string& text, int) { info.setHardwareCode(text); }},
    {"channelCount", true, 1, [](MachineInfo& info, const std::string&, int number) { info.setChannelCount(number); }},
};

std::string trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool parseNumber(const std::string& text, long minimum, int& number)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < minimum || value > INT_MAX) return false;
    number = static_cast<int>(value);
    return true;
}

const MachineInfoField* findField(const std::string& name)
{
    for (const MachineInfoField& field : kMachineInfoFields) {
        if (name == field.name) return &field;
    }
    return nullptr;
}

void reportLine(const std::string& path, int lineNumber, const std::string& problem)
{
    std::fprintf(stderr, "%s:%d: %s, line skipped\n", path.c_str(), lineNumber, problem.c_str());
}

void parseLine(const std::string& path, int lineNumber, const std::string& rawLine, MachineInfo& info)
{
    const std::string line = trimmed(rawLine);
    if (line.empty() || line[0] == '#') return;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
        reportLine(path, lineNumber, "no '=' in \"" + line + "\"");
        return;
    }
    const MachineInfoField* field = findField(trimmed(line.substr(0, equals)));
    if (field == nullptr) return; // names of other readers
    const std::string value = trimmed(line.substr(equals + 1));
    int number = 0;
    if (field->numeric && !parseNumber(value, field->minimum, number)) {
        reportLine(path, lineNumber,
                   std::string(field->name) + " needs a whole number from " + std::to_string(field->minimum) +
                       ", got \"" + value + "\"");
        return;
    }
    field->apply(info, value, number);
}

} // namespace

bool SystemInfoParser::parseMachineInfo(const std::string& fileName, MachineInfo& info)
{
    const std::string path = technic::devicePath(fileName);
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "parseMachineInfo: cannot open %s\n", path.c_str());
        return false;
    }
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) parseLine(path, lineNumber, line, info);
    return true;
}

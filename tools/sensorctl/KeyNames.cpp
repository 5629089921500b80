#include "KeyNames.h"

#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

struct KeyName {
    const char* constant;
    int key;
};

#define SENSOR_KEY(constant, key, command, handler, facts) {#constant, key},
#define SENSOR_KEY_NAMED(constant, name, key, command, handler, facts) {#constant, key},
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) {#constant, key},
#define SENSOR_TWIN_KEY(constant, key, twinOf) {#constant, key},
const KeyName kKeyNames[] = {
#include "key_table.def"
};
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY

const char* const kPrefix = "KEY_";

} // namespace

const char* keyConstantName(int key)
{
    for (const KeyName& row : kKeyNames) {
        if (row.key == key) return row.constant;
    }
    return nullptr;
}

bool parseNumber(const std::string& text, int& value)
{
    if (text.empty() || text[0] == ' ' || text[0] == '\t' || text[0] == '+') return false;
    errno = 0;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || number < INT_MIN || number > INT_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

bool parseKey(const std::string& text, int& key)
{
    if (parseNumber(text, key)) return true;
    for (const KeyName& row : kKeyNames) {
        if (strcasecmp(row.constant, text.c_str()) == 0 || strcasecmp(row.constant + std::strlen(kPrefix), text.c_str()) == 0) {
            key = row.key;
            return true;
        }
    }
    return false;
}

std::vector<std::string> keyConstantNames()
{
    std::vector<std::string> names;
    for (const KeyName& row : kKeyNames) names.push_back(row.constant);
    return names;
}

#include "CheckKeys.h"

#include "SensorKeys.h"

namespace {

// The words the facts, command and twin columns are written with.
using namespace sensor::fact;

constexpr u32 commandOf(u32 key, u32 command)
{
    return command == SAME ? key : command;
}

const std::vector<CheckKey> kKeys = {
#define SENSOR_KEY(constant, key, cmd, handler, facts) \
    {key, commandOf(key, cmd), (facts), NO_TWIN, true, &ISensorController::handler},
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) SENSOR_KEY(constant, key, cmd, handler, facts)
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) {key, 0, (facts), (twinOf), true, nullptr},
#define SENSOR_TWIN_KEY(constant, key, twinOf) {key, 0, PLAIN, (twinOf), false, nullptr},
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
};

} // namespace

const std::vector<CheckKey>& checkKeys()
{
    return kKeys;
}

const CheckKey* findCheckKey(u32 key)
{
    for (const CheckKey& row : kKeys) {
        if (row.key == key) return &row;
    }
    return nullptr;
}

const CheckKey* twinWithBase(u32 key)
{
    for (const CheckKey& row : kKeys) {
        if (row.twinOf == key) return &row;
    }
    return nullptr;
}

u32 keyOutsideTable()
{
    u32 key = 1;
    while (findCheckKey(key) != nullptr) ++key;
    return key;
}

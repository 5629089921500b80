// Builds the controller's key-command table from key_table.def.
#include <cstring>

#include "ISensorController.h"
#include "SensorKeys.h"

namespace {

// Marks a row whose ISP command is the key itself.
constexpr u32 SAME = 0xFFFFFFFFu;

struct KeyRow {
    u32 key;
    u32 command;
    KeyHandler handler;
    const char* keyName;
    const char* handlerName;
};

const KeyRow kKeyRows[] = {
#define SENSOR_KEY(constant, key, cmd, handler, facts) \
    {key, (cmd) == SAME ? (key) : (cmd), &ISensorController::handler, #constant, "&ISensorController::" #handler},
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) \
    {key, (cmd) == SAME ? (key) : (cmd), &ISensorController::handler, name, "&ISensorController::" #handler},
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) {key, 0, nullptr, #constant, "NULL"},
#define SENSOR_TWIN_KEY(constant, key, twinOf)
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
};
static_assert(sizeof kKeyRows / sizeof kKeyRows[0] == kKeyTableRows, "every row of key_table.def is built");

void copyName(char* field, size_t size, const char* name)
{
    std::strncpy(field, name, size - 1);
    field[size - 1] = '\0';
}

} // namespace

void ISensorController::buildKeyCmdMap()
{
    // Allocated at the capacity the object has now (170 before the first
    // build); rows past the table stay zero and are never visited.
    const u32 capacity = m_nKeyCmdSum < kKeyTableRows ? kKeyTableRows : m_nKeyCmdSum;
    m_pKeyCmdMap = new keycmd[capacity]();
    for (u32 row = 0; row < kKeyTableRows; ++row) {
        const KeyRow& source = kKeyRows[row];
        keycmd& target = m_pKeyCmdMap[row];
        target.nKey = source.key;
        target.nIaCmd = source.command;
        target.pfnHandler = source.handler;
        copyName(target.szKeyName, sizeof target.szKeyName, source.keyName);
        copyName(target.szFuncName, sizeof target.szFuncName, source.handlerName);
    }
    m_nKeyCmdSum = kKeyTableRows;
}

const keycmd* ISensorController::getKeyCmdMap(u32& p_nRows) const
{
    p_nRows = m_pKeyCmdMap != nullptr ? m_nKeyCmdSum : 0;
    return m_pKeyCmdMap;
}

// Builds the controller's key-command table from key_table.def.
#include <cstdio>
#include <cstring>

#include "ISensorController.h"
#include "KeyFacts.h"
#include "SensorKeys.h"

namespace {

// Key, command and handler of each row come from the row's facts
// (KeyFacts.h), which hold the table rows first, then the twins.
constexpr u32 kRowKeys[] = {
#define SENSOR_KEY(constant, key, cmd, handler, facts) key,
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) key,
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) key,
#define SENSOR_TWIN_KEY(constant, key, twinOf)
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
};
static_assert(sizeof kRowKeys / sizeof kRowKeys[0] == kKeyTableRows, "every row of key_table.def is built");

constexpr bool factsFollowRows(u32 row = 0)
{
    return row == kKeyTableRows || (sensor::kKeyFacts[row].key == kRowKeys[row] && factsFollowRows(row + 1));
}
static_assert(factsFollowRows(), "the key facts hold the table rows first, in table order");

// Each row's printed key name, ending in '\0', in table order: one block of
// text, so that the library carries no pointer per name for the loader to
// relocate.
constexpr char kRowNames[] =
#define SENSOR_KEY(constant, key, cmd, handler, facts) #constant "\0"
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) name "\0"
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) #constant "\0"
#define SENSOR_TWIN_KEY(constant, key, twinOf)
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
    ;

// The handlers' names in slot order, the same way (key_handlers.def): each
// once, not once per row.
constexpr char kHandlerNames[] =
#define SENSOR_KEY_HANDLER(handler) #handler "\0"
#include "key_handlers.def"
#undef SENSOR_KEY_HANDLER
    ;

// The name at `cursor`; moves the cursor past it.
const char* nextName(const char*& cursor)
{
    const char* name = cursor;
    cursor += std::strlen(cursor) + 1;
    return name;
}

// The name of a handler slot's member function (kNoHandler has none).
const char* handlerName(sensor::KeyHandlerSlot slot)
{
    const char* cursor = kHandlerNames;
    const char* name = nullptr;
    for (unsigned passed = sensor::kNoHandler; passed < slot; ++passed) name = nextName(cursor);
    return name;
}

void copyName(char* field, size_t size, const char* name)
{
    std::strncpy(field, name, size - 1);
    field[size - 1] = '\0';
}

} // namespace

KeyHandler sensor::keyHandler(KeyHandlerSlot slot)
{
    static const KeyHandler kHandlers[] = {
        nullptr,
#define SENSOR_KEY_HANDLER(handler) &ISensorController::handler,
#include "key_handlers.def"
#undef SENSOR_KEY_HANDLER
    };
    return kHandlers[slot];
}

void ISensorController::buildKeyCmdMap()
{
    // Allocated at the capacity the object has now (170 before the first
    // build); rows past the table stay zero and are never visited.
    const u32 capacity = m_nKeyCmdSum < kKeyTableRows ? kKeyTableRows : m_nKeyCmdSum;
    m_pKeyCmdMap = new keycmd[capacity]();
    const char* names = kRowNames;
    for (u32 row = 0; row < kKeyTableRows; ++row) {
        const sensor::KeyFact& source = sensor::kKeyFacts[row];
        keycmd& target = m_pKeyCmdMap[row];
        target.nKey = source.key;
        target.nIaCmd = source.command;
        target.pfnHandler = sensor::keyHandler(source.handler);
        copyName(target.szKeyName, sizeof target.szKeyName, nextName(names));
        const char* handler = handlerName(source.handler);
        if (handler == nullptr) {
            copyName(target.szFuncName, sizeof target.szFuncName, "NULL");
        } else {
            std::snprintf(target.szFuncName, sizeof target.szFuncName, "&ISensorController::%s", handler);
        }
    }
    m_nKeyCmdSum = kKeyTableRows;
}

const keycmd* ISensorController::getKeyCmdMap(u32& p_nRows) const
{
    p_nRows = m_pKeyCmdMap != nullptr ? m_nKeyCmdSum : 0;
    return m_pKeyCmdMap;
}

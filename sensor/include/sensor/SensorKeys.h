// Parameter key numbers, generated from key_table.def.
#ifndef SENSOR_SENSOR_KEYS_H
#define SENSOR_SENSOR_KEYS_H

#include "SensorTypes.h"

enum SensorKey : u32 {
#define SENSOR_KEY(constant, key, cmd, handler, facts) constant = key,
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) constant = key,
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) constant = key,
#define SENSOR_TWIN_KEY(constant, key, twinOf) constant = key,
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
};

// Rows of the key-command table; the twins outside it are not counted.
constexpr u32 kKeyTableRows = 0
#define SENSOR_KEY(constant, key, cmd, handler, facts) +1
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler, facts) +1
#define SENSOR_KEY_NO_CMD(constant, key, facts, twinOf) +1
#define SENSOR_TWIN_KEY(constant, key, twinOf)
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
#undef SENSOR_TWIN_KEY
    ;
static_assert(kKeyTableRows == 165, "the key-command table has 165 rows");

#endif

// Parameter key numbers, generated from key_table.def.
#ifndef SENSOR_SENSOR_KEYS_H
#define SENSOR_SENSOR_KEYS_H

#include "SensorTypes.h"

enum SensorKey : u32 {
#define SENSOR_KEY(constant, key, cmd, handler) constant = key,
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler) constant = key,
#define SENSOR_KEY_NO_CMD(constant, key) constant = key,
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD

    // Intelligent-mode twins that live in the sets but have no table row.
    KEY_IR_MANUAL_STRG_MEDIUM_INTELL = 201,
    KEY_IR_MANUAL_STRG_FAR_INTELL = 202,
    KEY_WHITE_MANUAL_STRG_MEDIUM_INTELL = 204,
    KEY_WHITE_MANUAL_STRG_FAR_INTELL = 205,
};

// Rows of the key-command table.
constexpr u32 kKeyTableRows = 0
#define SENSOR_KEY(constant, key, cmd, handler) +1
#define SENSOR_KEY_NAMED(constant, name, key, cmd, handler) +1
#define SENSOR_KEY_NO_CMD(constant, key) +1
#include "key_table.def"
#undef SENSOR_KEY
#undef SENSOR_KEY_NAMED
#undef SENSOR_KEY_NO_CMD
    ;
static_assert(kKeyTableRows == 165, "the key-command table has 165 rows");

#endif

// The ISP's list of commands whose range depends on the fitted sensor.
#ifndef SENSOR_SRC_DYNAMIC_COMMANDS_H
#define SENSOR_SRC_DYNAMIC_COMMANDS_H

#include <cstdint>

#include "ia_ioctrl.h"

namespace sensor {

struct DynamicCommands {
    ia_dynamic_cmd_list_st list{};
    int result = -1;      // the ISP's answer to the query
    int32_t reported = 0; // cmd_cnt as the ISP reported it
    int count = 0;        // entries to read: reported within [0, IA_DYNAMIC_CMDS_MAX]
};

// One GET of the list into a zeroed record; callers report a failed result
// themselves, so their reports name them.
DynamicCommands queryDynamicCommands(int ispChannel);

// A count the ISP reported, within [0, capacity].
int readableCount(int32_t reported, int capacity);

} // namespace sensor

#endif

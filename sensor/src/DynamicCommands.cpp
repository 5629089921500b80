#include "DynamicCommands.h"
#include "IspCall.h"

#include <algorithm>

namespace sensor {

int readableCount(int32_t reported, int capacity)
{
    return std::max<int32_t>(0, std::min<int32_t>(reported, capacity));
}

DynamicCommands queryDynamicCommands(int ispChannel)
{
    DynamicCommands query;
    query.result = callIsp(ispChannel, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, &query.list);
    query.reported = query.list.cmd_cnt;
    query.count = readableCount(query.reported, IA_DYNAMIC_CMDS_MAX);
    return query;
}

} // namespace sensor

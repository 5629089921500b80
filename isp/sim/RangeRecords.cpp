#include "RangeRecords.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace isp_sim {

int32_t correctValue(const DynamicRange& range, int32_t value)
{
    if (range.items.empty()) {
        if (value < range.min) return range.min;
        if (value > range.max) return range.max;
        return value;
    }
    int32_t best = range.items.front();
    int64_t bestDistance = std::llabs(int64_t{value} - best);
    for (int32_t item : range.items) {
        const int64_t distance = std::llabs(int64_t{value} - item);
        if (distance < bestDistance || (distance == bestDistance && item < best)) {
            best = item;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<int32_t> fillRangeRecord(const DynamicRange& range, ia_dynamic_params_attr_st& out)
{
    std::memset(&out, 0, sizeof(out));
    out.kind = range.kind;
    out.default_val = range.defaultValue;
    out.min = range.min;
    out.max = range.max;
    out.items_cnt = range.reportedItems >= 0 ? range.reportedItems : static_cast<int32_t>(range.items.size());
    const size_t written = std::min<size_t>(range.items.size(), IA_DYNAMIC_ITEMS_MAX);
    std::copy_n(range.items.begin(), written, out.item);

    std::vector<int32_t> words{out.kind, out.default_val, out.min, out.max, out.items_cnt};
    words.insert(words.end(), out.item, out.item + written);
    return words;
}

std::vector<int32_t> fillCommandList(const std::vector<int32_t>& commands, int32_t reportedCount,
                                     ia_dynamic_cmd_list_st& out)
{
    std::memset(&out, 0, sizeof(out));
    out.cmd_cnt = reportedCount >= 0 ? reportedCount : static_cast<int32_t>(commands.size());
    const size_t written = std::min<size_t>(commands.size(), IA_DYNAMIC_CMDS_MAX);
    std::copy_n(commands.begin(), written, out.cmd_list);

    std::vector<int32_t> words{out.cmd_cnt};
    words.insert(words.end(), out.cmd_list, out.cmd_list + written);
    return words;
}

} // namespace isp_sim

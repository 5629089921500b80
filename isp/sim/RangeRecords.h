// Turns the published list and ranges into the ISP's fixed-size records, and
// corrects a value against a range.
#ifndef ISP_SIM_RANGE_RECORDS_H
#define ISP_SIM_RANGE_RECORDS_H

#include "isp_sim.h"

#include <cstdint>
#include <vector>

namespace isp_sim {

// Nearest item (ties: the lower item); without items, clamped to [min, max].
int32_t correctValue(const DynamicRange& range, int32_t value);

// Fills the whole record; at most IA_DYNAMIC_ITEMS_MAX items are written
// whatever items_cnt reports. Returns the record words for the trace.
std::vector<int32_t> fillRangeRecord(const DynamicRange& range, ia_dynamic_params_attr_st& out);

// Same for the dynamic command list, capped at IA_DYNAMIC_CMDS_MAX entries.
std::vector<int32_t> fillCommandList(const std::vector<int32_t>& commands, int32_t reportedCount,
                                     ia_dynamic_cmd_list_st& out);

} // namespace isp_sim

#endif
